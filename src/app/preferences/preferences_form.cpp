#include "app/preferences/preferences_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/host/user_prompts.h"
#include "app/incoming/receive_sound.h"
#include "app/preferences/port_list.h"
#include "app/preferences/preferences_services.h"
#include "app/preferences/probing_actions.h"
#include "settings/settings_file.h"

namespace px {

namespace {

constexpr int kMaxDialAttempts = 99;
constexpr int kMaxRetryWait = 9999;  // seconds
constexpr int kRings = 8;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::string str(const QLineEdit* edit) {
    return edit->text().toStdString();
}

// A whole number within [low, high] typed into `edit`, or nothing.
std::optional<int> typedNumber(const QLineEdit* edit, int low, int high) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int helpTopicOfPage(int page) {
    if (page <= static_cast<int>(TWizardPage::WizardInformation)) {
        return kHelpPreferencesIntroduction;
    }
    if (page == static_cast<int>(TWizardPage::ModemAndPort)) {
        return kHelpPreferencesModem;
    }
    if (page <= static_cast<int>(TWizardPage::SendingPart3)) {
        return kHelpPreferencesSending;
    }
    return kHelpPreferencesReceiving;
}

TPreferences::TPreferences(const Settings& settings, bool firstRun, TPreferencesServices& services,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), firstRun_(firstRun), services_(services) {
    setObjectName("TPreferences");
    setWindowTitle("Preferences Wizard");
    setModal(true);

    pageList_ = new QListWidget(this);
    pageList_->setObjectName("pageList");
    pageList_->setAccessibleName("Pages");
    for (const char* name : kWizardPageNames) {
        pageList_->addItem(name);
    }
    pageList_->setFixedWidth(pageList_->sizeHintForColumn(0) + 2 * pageList_->frameWidth() + 8);

    heading_ = new QLabel(this);
    heading_->setObjectName("heading");
    QFont big = heading_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    heading_->setFont(big);

    pages_ = new QStackedWidget(this);
    buildWizardPages(pages_, c_);

    problemSolver_ = new QPushButton("Problem Solver", this);
    problemSolver_->setObjectName("problemSolverButton");
    help_ = new QPushButton("&Help", this);
    help_->setObjectName("helpButton");
    back_ = new QPushButton("< Back", this);
    back_->setObjectName("backButton");
    next_ = new QPushButton("Next >", this);
    next_->setObjectName("nextButton");
    finish_ = new QPushButton("&Finish", this);
    finish_->setObjectName("finishButton");
    cancel_ = new QPushButton("Cance&l", this);
    cancel_->setObjectName("cancelButton");
    for (QPushButton* b : {problemSolver_, help_, back_, next_, finish_, cancel_}) {
        b->setAutoDefault(false);
    }

    auto* right = new QVBoxLayout;
    right->addWidget(heading_);
    right->addWidget(pages_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(pageList_);
    body->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(problemSolver_);
    buttons->addWidget(help_);
    buttons->addStretch();
    buttons->addWidget(back_);
    buttons->addWidget(next_);
    buttons->addWidget(finish_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(pageList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            showPage(row);
        }
    });
    connect(back_, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(finish_, &QPushButton::clicked, this, &TPreferences::finishClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] {
        if (services_.showHelp) {
            services_.showHelp(helpTopicOfPage(currentPage()));
        }
    });
    connect(problemSolver_, &QPushButton::clicked, this, [this] {
        if (services_.showProblemSolver) {
            services_.showProblemSolver();
        }
    });

    connect(c_.findModem, &QPushButton::clicked, this,
            [this] { findModemPort(this, services_, probe(), c_.port); });
    connect(c_.checkClassSend, &QPushButton::clicked, this, [this] {
        checkFaxClass(this, services_, probe(), selectedPort(c_.port) + 1, c_.sendClass);
    });
    connect(c_.checkClassReceive, &QPushButton::clicked, this, [this] {
        checkFaxClass(this, services_, probe(), selectedPort(c_.port) + 1, c_.receiveClass);
    });
    connect(c_.initHelpSend, &QPushButton::clicked, this,
            [this] { helpWithInitString(this, services_, c_.sendInit, true); });
    connect(c_.initHelpReceive, &QPushButton::clicked, this,
            [this] { helpWithInitString(this, services_, c_.receiveInit, false); });
    connect(c_.sameClass, &QPushButton::clicked, this,
            [this] { c_.receiveClass->setCurrentIndex(c_.sendClass->currentIndex()); });
    connect(c_.sameRate, &QPushButton::clicked, this,
            [this] { c_.receiveRate->setCurrentIndex(c_.sendRate->currentIndex()); });
    connect(c_.sameInit, &QPushButton::clicked, this,
            [this] { c_.receiveInit->setText(c_.sendInit->text()); });
    connect(c_.chooseSound, &QPushButton::clicked, this, &TPreferences::chooseSound);
    connect(c_.playSound, &QPushButton::clicked, this, &TPreferences::playSound);
    connect(c_.noSound, &QPushButton::clicked, c_.wav, &QLineEdit::clear);

    load();
    showPage(0);
}

TPreferences::~TPreferences() = default;

void TPreferences::load() {
    const Settings& s = settings_;
    c_.firstRunNotice->setVisible(firstRun_);

    IniFile ini;
    try {
        ini = services_.settingsFile.read();
    } catch (const IniFileError&) {
        // Unreadable: no bindings to show, the defaults apply.
    }
    fillPortList(c_.port, ini, s.modem.comPort);
    (s.dialing.toneOrPulse == 1 ? c_.pulse : c_.tone)->setChecked(true);
    c_.resetBefore->setText(qs(s.resetting.string));
    c_.resetAfter->setText(qs(s.resetting.afterString));

    c_.sendClass->setCurrentIndex(std::clamp(s.modem.faxClass, 0, 3));
    c_.sendRate->setCurrentIndex(transferRateIndex(s.modem.maximumBps));
    c_.sendInit->setText(qs(s.modem.initString));

    c_.stationId->setText(qs(s.user.fax));
    c_.name->setText(qs(s.user.name));
    c_.ecm->setChecked(s.dialing.ecm);
    c_.dialPrefix->setText(qs(s.dialing.dialPrefix));
    c_.dialSuffix->setText(qs(s.dialing.dialSuffix));

    c_.dialAttempts->setText(QString::number(s.dialing.dialAttempts));
    c_.retryWait->setText(QString::number(s.dialing.retryWait));
    c_.blindDial->setChecked(s.dialing.blindDial);
    c_.ignoreBusy->setChecked(s.dialing.ignoreBusy);
    c_.renegotiate->setChecked(s.modem.renegotiateBetween);

    c_.receiveClass->setCurrentIndex(std::clamp(s.modem.faxClassReceive, 0, 3));
    c_.receiveRate->setCurrentIndex(transferRateIndex(s.modem.maximumBpsReceive));
    c_.receiveInit->setText(qs(s.modem.initStringReceive));

    c_.answerOnRing->setCurrentIndex(std::clamp(s.receive.answerOnRing - 1, 0, kRings - 1));
    c_.atStartup->setChecked(s.receive.atStartup);
    c_.ecmReceive->setChecked(s.receive.ecmReceive);

    c_.wav->setText(qs(s.receive.wav));
    c_.printOnReceipt->setChecked(s.receive.printOnReceipt);
    c_.printer->addItem(kDefaultPrinterName);
    c_.printer->addItems(services_.printers);
    // Printer names compare without regard to case, like every name here.
    c_.printer->setCurrentIndex(std::max(
        0, c_.printer->findText(qs(s.receive.printOnReceiptPrinter), Qt::MatchFixedString)));
}

Settings TPreferences::settings() const {
    Settings s = settings_;
    s.modem.comPort = selectedPort(c_.port);
    s.dialing.toneOrPulse = c_.pulse->isChecked() ? 1 : 0;
    s.resetting.string = str(c_.resetBefore);
    s.resetting.afterString = str(c_.resetAfter);

    s.modem.faxClass = c_.sendClass->currentIndex();
    s.modem.maximumBps = transferRateAt(c_.sendRate->currentIndex());
    s.modem.initString = str(c_.sendInit);

    s.user.fax = str(c_.stationId);
    s.user.name = str(c_.name);
    s.dialing.ecm = c_.ecm->isChecked();
    s.dialing.dialPrefix = str(c_.dialPrefix);
    s.dialing.dialSuffix = str(c_.dialSuffix);

    s.dialing.dialAttempts =
        typedNumber(c_.dialAttempts, 1, kMaxDialAttempts).value_or(s.dialing.dialAttempts);
    s.dialing.retryWait = typedNumber(c_.retryWait, 0, kMaxRetryWait).value_or(s.dialing.retryWait);
    s.dialing.blindDial = c_.blindDial->isChecked();
    s.dialing.ignoreBusy = c_.ignoreBusy->isChecked();
    s.modem.renegotiateBetween = c_.renegotiate->isChecked();

    s.modem.faxClassReceive = c_.receiveClass->currentIndex();
    s.modem.maximumBpsReceive = transferRateAt(c_.receiveRate->currentIndex());
    s.modem.initStringReceive = str(c_.receiveInit);

    s.receive.answerOnRing = c_.answerOnRing->currentIndex() + 1;
    s.receive.atStartup = c_.atStartup->isChecked();
    s.receive.ecmReceive = c_.ecmReceive->isChecked();

    s.receive.wav = str(c_.wav);
    s.receive.printOnReceipt = c_.printOnReceipt->isChecked();
    s.receive.printOnReceiptPrinter = c_.printer->currentText().toStdString();
    return s;
}

int TPreferences::currentPage() const {
    return pages_->currentIndex();
}

void TPreferences::showPage(int page) {
    page = std::clamp(page, 0, kWizardPageCount - 1);
    pages_->setCurrentIndex(page);
    heading_->setText(kWizardPageNames[static_cast<std::size_t>(page)]);
    if (pageList_->currentRow() != page) {
        pageList_->setCurrentRow(page);
    }
    updateButtons();
}

void TPreferences::updateButtons() {
    const int page = currentPage();
    const bool last = page == kWizardPageCount - 1;
    back_->setEnabled(page > 0);
    next_->setEnabled(!last);
    // On a first run every page is to be seen before the settings are kept.
    finish_->setEnabled(!firstRun_ || last);
}

QString TPreferences::numbersProblem(QLineEdit** field) const {
    if (!typedNumber(c_.dialAttempts, 1, kMaxDialAttempts)) {
        *field = c_.dialAttempts;
        return QStringLiteral("Dial attempts must be a whole number from 1 to %1.")
            .arg(kMaxDialAttempts);
    }
    if (!typedNumber(c_.retryWait, 0, kMaxRetryWait)) {
        *field = c_.retryWait;
        return QStringLiteral("Seconds between attempts must be a whole number from 0 to %1.")
            .arg(kMaxRetryWait);
    }
    return QString();
}

void TPreferences::finishClick() {
    QLineEdit* wrong = nullptr;
    const QString problem = numbersProblem(&wrong);
    if (!problem.isEmpty()) {
        showPage(static_cast<int>(TWizardPage::SendingPart3));
        wrong->setFocus();
        wrong->selectAll();
        services_.prompts.information(this, problem);
        return;
    }
    if (services_.prompts.question(this, "Save Preferences", "Save changes?", false)) {
        accept();
    }
}

TProbingPort& TPreferences::probe() {
    if (!probe_) {
        probe_ = std::make_unique<TProbingPort>(services_);
    }
    return *probe_;
}

void TPreferences::chooseSound() {
    if (!services_.chooseSoundFile) {
        return;
    }
    const QString current = c_.wav->text().trimmed();
    const QString chosen = services_.chooseSoundFile(
        this, services_.programFolder, QFileInfo(current).isFile() ? current : QString());
    if (chosen.contains(".wav", Qt::CaseInsensitive)) {
        c_.wav->setText(chosen);
    }
}

void TPreferences::playSound() {
    const QString path = c_.wav->text().trimmed();
    if (QFileInfo(path).isFile()) {
        services_.sound.play(path);
    }
}

}  // namespace px
