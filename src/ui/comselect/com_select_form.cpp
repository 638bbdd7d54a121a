#include "ui/comselect/com_select_form.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "comms/px_serial_ports.h"
#include "settings/settings_file.h"

namespace px {

TComSelectForm::TComSelectForm(std::vector<PortChoice> choices, QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)), list_(new QListWidget(this)) {
    setWindowTitle("Select Port");
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel("&Serial port of the fax modem:", this);
    caption->setBuddy(list_);
    list_->setAccessibleName("Serial port of the fax modem");
    layout->addWidget(caption);
    for (const PortChoice& c : choices_)
        list_->addItem(QString::fromStdString(c.text()));
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!choices_.empty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

const PortChoice* TComSelectForm::chosen() const {
    int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(choices_.size()))
        return nullptr;
    // The number is read back from the entry's text, from its fourth character on.
    int number = portNumberOfChoiceText(list_->item(row)->text().toStdString());
    for (const PortChoice& c : choices_)
        if (c.number == number)
            return &c;
    return nullptr;
}

int selectPortNumber(QWidget* parent, const std::string& settingsPath) {
    SettingsFile file(settingsPath);
    TComSelectForm form(portChoices(file.read(), listSerialPorts()), parent);
    if (form.exec() != QDialog::Accepted)
        return 0;
    const PortChoice* c = form.chosen();
    if (c == nullptr)
        return 0;
    if (c->needsBinding) {
        PortChoice choice = *c;
        file.update([&](IniFile& ini) { bindPortChoice(ini, choice); });
    }
    return c->number;
}

}  // namespace px
