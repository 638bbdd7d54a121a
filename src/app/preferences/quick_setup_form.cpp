#include "app/preferences/quick_setup_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/preferences/port_list.h"
#include "app/preferences/preferences_limits.h"
#include "app/preferences/preferences_services.h"
#include "app/preferences/probing_actions.h"
#include "settings/settings_file.h"

namespace px {

TQuickSetupForm::TQuickSetupForm(const Settings& settings, TPreferencesServices& services,
                                 QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setObjectName("TQuickSetupForm");
    setWindowTitle("Quick Setup Form");
    setModal(true);

    auto* intro = new QLabel(
        "Welcome to Parvex. Choose the port of your fax modem and enter the name and fax "
        "number your faxes will carry. Preferences holds every other setting.",
        this);
    intro->setWordWrap(true);

    port_ = new QComboBox(this);
    port_->setObjectName("portList");
    port_->setAccessibleName("Port");
    IniFile ini;
    try {
        ini = services.settingsFile.read();
    } catch (const IniFileError&) {
        // Unreadable: no bindings to show, the defaults apply.
    }
    fillPortList(port_, ini, settings.modem.comPort);
    findModem_ = new QPushButton("Find Modem Port", this);
    findModem_->setObjectName("findModemButton");
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(port_, 1);
    portRow->addWidget(findModem_);

    name_ = new QLineEdit(QString::fromStdString(settings.user.name), this);
    name_->setObjectName("nameBox");
    name_->setAccessibleName("Your name");
    name_->setMaxLength(kNameLength);
    fax_ = new QLineEdit(QString::fromStdString(settings.user.fax), this);
    fax_->setObjectName("faxBox");
    fax_->setAccessibleName("Your fax number (Station ID#)");
    fax_->setMaxLength(kStationIdLength);
    const int width = name_->fontMetrics().averageCharWidth() * (kNameLength + 2);
    name_->setMinimumWidth(width);

    auto* form = new QFormLayout;
    auto* portLabel = new QLabel("&Port", this);
    portLabel->setBuddy(port_);
    form->addRow(portLabel, portRow);
    auto* nameLabel = new QLabel("Your &name", this);
    nameLabel->setBuddy(name_);
    form->addRow(nameLabel, name_);
    auto* faxLabel = new QLabel("Your &fax number (Station ID#)", this);
    faxLabel->setBuddy(fax_);
    form->addRow(faxLabel, fax_);

    ok_ = new QPushButton("Ok", this);
    ok_->setObjectName("okButton");
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cance&l", this);
    cancel_->setObjectName("cancelButton");
    preferences_ = new QPushButton("Preferences", this);
    preferences_->setObjectName("preferencesButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(preferences_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(findModem_, &QPushButton::clicked, this, &TQuickSetupForm::findModemPort);
    connect(ok_, &QPushButton::clicked, this, [this] { done(Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(Cancelled); });
    connect(preferences_, &QPushButton::clicked, this, [this] { done(OpenPreferences); });
}

TQuickSetupForm::~TQuickSetupForm() = default;

Settings TQuickSetupForm::settings() const {
    Settings s = settings_;
    s.modem.comPort = selectedPort(port_);
    s.user.name = name_->text().toStdString();
    s.user.fax = fax_->text().toStdString();
    return s;
}

void TQuickSetupForm::findModemPort() {
    if (!probe_) {
        probe_ = std::make_unique<TProbingPort>(services_);
    }
    px::findModemPort(this, services_, *probe_, port_);
}

}  // namespace px
