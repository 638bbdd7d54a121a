#include "app/sendfax/send_fax_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "app/host/port_routines.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/host/workflow_host.h"
#include "app/preferences/preferences_workflow.h"
#include "app/sendfax/send_fax_setup.h"
#include "app/sendfax/send_fax_texts.h"
#include "common/px_exceptions.h"
#include "common/px_limits.h"
#include "comms/px_com_port.h"
#include "comms/qt/px_qt_event_loop.h"
#include "fax/components/px_send_fax.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"
#include "ui/faxstatus/px_fax_status.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

namespace {

// The PHONE field of the outgoing log.
constexpr int kNumberWidth = 25;
// The send component keeps 8 KB each way; flow stops at 90 % of the input.
constexpr uint16_t kFlowStopMark = 7372;
constexpr uint16_t kFlowResumeMark = 2048;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* boldLabel(const QString& s, QWidget* parent) {
    auto* label = new QLabel(s, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

TSendFaxForm::TSendFaxForm(TWorkflowHost& host, const TSendFaxRequest& request, QWidget* parent)
    : QDialog(parent), host_(host), request_(request) {
    setWindowTitle("Send Fax");
    setObjectName("TSendFaxForm");
    setModal(true);

    loop_ = std::make_unique<TPxQtEventLoop>(this);
    port_ = std::make_unique<TPxComPort>(loop_.get());
    port_->setComNumber(request.portNumber);
    port_->setPromptForPort(false);
    port_->setAutoOpen(false);
    port_->setTapiMode(tmNone);
    port_->setBufferFull(kFlowStopMark);
    port_->setBufferResume(kFlowResumeMark);
    port_->setLogName(host.folder().path() + kDispatchLogFile);
    // COMn is the device the main window's port resolves it to ([Ports] of PX.INI).
    port_->setDevicePathResolver(
        [&mainPort = host.comPort()](int number) { return mainPort.devicePath(number); });
    fax_ = std::make_unique<TPxSendFax>();
    fax_->setComPort(port_.get());
    fax_->OnFaxFinish = [this](TPxAbstractFax&, int code) {
        // Handled once the component has left its event, so the port may close.
        QTimer::singleShot(0, this, [this, code] { FaxFinish(code); });
    };
    faxStatus_ = std::make_unique<TPxFaxStatus>(this);
    faxStatus_->Position = TPosition::poOwnerFormCenter;
    fax_->setStatusDisplay(faxStatus_.get());
    help_ = new THelpCenter(this);

    buildControls();
    loadDialing();
    fillConfiguration();
}

TSendFaxForm::~TSendFaxForm() {
    if (fax_) {
        fax_->setStatusDisplay(nullptr);
    }
}

void TSendFaxForm::buildControls() {
    auto* grid = new QGridLayout;
    auto* toLabel = new QLabel("To:", this);
    auto* to = boldLabel(request_.recipient, this);
    to->setAccessibleName("To");
    toLabel->setBuddy(to);
    auto* subjectLabel = new QLabel("Subject:", this);
    auto* subject = boldLabel(request_.subject, this);
    subject->setAccessibleName("Subject");
    subjectLabel->setBuddy(subject);
    numberBox_ = new QLineEdit(request_.number.left(kNumberWidth), this);
    numberBox_->setMaxLength(kNumberWidth);
    numberBox_->setAccessibleName("Fax Number");
    auto* numberLabel = new QLabel("Fax &Number:", this);
    numberLabel->setBuddy(numberBox_);

    prefixBox_ = new QLineEdit(this);
    prefixBox_->setMaxLength(static_cast<int>(kModemStringLength));
    prefixBox_->setAccessibleName("Dial Prefix");
    auto* prefixLabel = new QLabel("Dial &Prefix:", this);
    prefixLabel->setBuddy(prefixBox_);
    prefixDisable_ = new QCheckBox("Disable", this);
    prefixDisable_->setAccessibleName("Disable Prefix");
    suffixBox_ = new QLineEdit(this);
    suffixBox_->setMaxLength(static_cast<int>(kModemStringLength));
    suffixBox_->setAccessibleName("Dial Suffix");
    auto* suffixLabel = new QLabel("Dial &Suffix:", this);
    suffixLabel->setBuddy(suffixBox_);
    suffixDisable_ = new QCheckBox("Disable", this);
    suffixDisable_->setAccessibleName("Disable Suffix");
    connect(prefixDisable_, &QCheckBox::toggled, prefixBox_, &QWidget::setDisabled);
    connect(suffixDisable_, &QCheckBox::toggled, suffixBox_, &QWidget::setDisabled);

    grid->addWidget(toLabel, 0, 0);
    grid->addWidget(to, 0, 1, 1, 2);
    grid->addWidget(subjectLabel, 1, 0);
    grid->addWidget(subject, 1, 1, 1, 2);
    grid->addWidget(numberLabel, 2, 0);
    grid->addWidget(numberBox_, 2, 1, 1, 2);
    grid->addWidget(prefixLabel, 3, 0);
    grid->addWidget(prefixBox_, 3, 1);
    grid->addWidget(prefixDisable_, 3, 2);
    grid->addWidget(suffixLabel, 4, 0);
    grid->addWidget(suffixBox_, 4, 1);
    grid->addWidget(suffixDisable_, 4, 2);
    grid->setColumnStretch(1, 1);

    configuration_ = new QListWidget(this);
    configuration_->setSelectionMode(QAbstractItemView::NoSelection);
    configuration_->setAccessibleName("Configuration");
    configuration_->setMinimumHeight(configuration_->fontMetrics().height() * 11);
    auto* configurationLabel = new QLabel("&Configuration:", this);
    configurationLabel->setBuddy(configuration_);

    status_ = new QLabel(this);
    status_->setAccessibleName("Status");
    status_->setFrameShape(QFrame::StyledPanel);
    status_->hide();

    auto* buttons = new QDialogButtonBox(this);
    send_ = buttons->addButton("Send Fax &Now", QDialogButtonBox::ActionRole);
    preferences_ = buttons->addButton("P&references", QDialogButtonBox::ActionRole);
    helpButton_ = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    close_ = buttons->addButton("&Close", QDialogButtonBox::RejectRole);
    send_->setDefault(true);
    connect(send_, &QPushButton::clicked, this, &TSendFaxForm::SendButtonClick);
    connect(preferences_, &QPushButton::clicked, this, &TSendFaxForm::PreferencesButtonClick);
    connect(helpButton_, &QPushButton::clicked, this, &TSendFaxForm::HelpButtonClick);
    connect(close_, &QPushButton::clicked, this, &TSendFaxForm::reject);

    auto* logging = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_D), this);
    connect(logging, &QShortcut::activated, this, &TSendFaxForm::ToggleLogging);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(configurationLabel);
    layout->addWidget(configuration_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    numberBox_->setFocus();
}

void TSendFaxForm::loadDialing() {
    prefixBox_->setText(request_.dialPrefix);
    suffixBox_->setText(request_.dialSuffix);
    prefixDisable_->setChecked(request_.prefixDisabled);
    suffixDisable_->setChecked(request_.suffixDisabled);
    prefixBox_->setDisabled(request_.prefixDisabled);
    suffixBox_->setDisabled(request_.suffixDisabled);
}

void TSendFaxForm::fillConfiguration() {
    configuration_->clear();
    for (const std::string& line : configurationLines(host_.settings(), request_.portNumber)) {
        configuration_->addItem(text(line));
    }
}

QString TSendFaxForm::number() const {
    return numberBox_->text();
}
QString TSendFaxForm::dialPrefix() const {
    return prefixBox_->text();
}
QString TSendFaxForm::dialSuffix() const {
    return suffixBox_->text();
}
bool TSendFaxForm::prefixDisabled() const {
    return prefixDisable_->isChecked();
}
bool TSendFaxForm::suffixDisabled() const {
    return suffixDisable_->isChecked();
}

void TSendFaxForm::showStatus(const QString& s) {
    status_->setText(s);
    status_->show();
    status_->repaint();
}

void TSendFaxForm::hideStatus() {
    status_->clear();
    status_->hide();
}

void TSendFaxForm::ToggleLogging() {
    logging_ = !logging_;
    host_.prompts().information(this, logging_ ? "Logging is now ON" : "Logging is now OFF");
}

void TSendFaxForm::endSession() {
    try {
        if (logging_) {
            port_->setLogging(tlDump);
        }
    } catch (const EPxException&) {
        // A log that cannot be written does not stop the port from closing.
    }
    try {
        port_->setOpen(false);
    } catch (const EPxException&) {
        // Nothing more can be done with a port that will not close.
    }
    inProgress_ = false;
    unsetCursor();
    hideStatus();
}

void TSendFaxForm::SendButtonClick() {
    TUserPrompts& prompts = host_.prompts();
    if (inProgress_) {
        prompts.beep();
        return;
    }
    inProgress_ = true;
    setCursor(Qt::WaitCursor);
    status_->show();
    const int port = request_.portNumber;
    if (logging_) {
        port_->setLogging(tlOn);
    }

    showStatus("Opening communications port...");
    const TPortOpening opening = openPort(*port_);
    if (!opening.opened) {
        endSession();
        prompts.faxError(this, "Error Opening Communications Port",
                         messageText(text(portNotOpenedMessage(opening.text, port))), false, false,
                         opening.lastPortError);
        return;
    }

    Settings& settings = host_.settings();
    showStatus("Checking for modem...");
    if (!checkForModem(*port_, settings.resetting.string)) {
        const TFaxErrorResult answer =
            prompts.faxError(this, "No Response From Modem",
                             messageText(text(noModemMessage(port))), true, false, 0);
        if (answer != TFaxErrorResult::Continue) {
            endSession();
            return;
        }
    }

    if (!settings.resetting.string.empty()) {
        showStatus("Sending reset string...");
        if (!sendResetCommand(*port_, settings.resetting.string)) {
            endSession();
            prompts.faxError(
                this, "Unable to Continue",
                messageText(text(resetRefusedMessage(settings.resetting.string, port))), false,
                false, 0);
            return;
        }
    }
    startTransmission();
}

bool TSendFaxForm::startTransmission() {
    hideStatus();
    TSendFaxJob job;
    job.firstFile = request_.firstFile;
    job.secondFile = request_.secondFile;
    job.number = number().toStdString();
    job.dialPrefix = dialPrefix().toStdString();
    job.dialSuffix = dialSuffix().toStdString();
    job.prefixDisabled = prefixDisabled();
    job.suffixDisabled = suffixDisabled();
    const QLocale locale;
    job.date = locale.toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    job.time = locale.toString(QTime::currentTime(), QLocale::ShortFormat).toStdString();
    try {
        configureSendFax(*fax_, host_.settings(), job);
        fax_->BeginSending();
        return true;
    } catch (const std::exception& e) {
        endSession();
        host_.prompts().information(this, messageText(QString::fromStdString(e.what())));
        return false;
    }
}

void TSendFaxForm::FaxFinish(int code) {
    const std::string resultText = sendResultText(code);
    result_ = text(resultText);
    Settings& settings = host_.settings();
    if (!settings.resetting.afterString.empty()) {
        showStatus("Sending AFTER reset string...");
        sendResetCommand(*port_, settings.resetting.afterString);
    }
    endSession();
    if (resultText != kSentResult) {
        lastSendError_ = code;
        host_.prompts().faxError(this, "Fax Failure",
                                 messageText(text(faxFailureMessage(resultText))), false, false, 0);
    } else {
        host_.prompts().information(this, "The fax was sent successfully");
    }
}

void TSendFaxForm::PreferencesButtonClick() {
    TPreferencesWorkflow preferences(host_);
    if (!preferences.openPreferences()) {
        return;
    }
    const Settings& s = host_.settings();
    request_.dialPrefix = text(s.dialing.dialPrefix);
    request_.dialSuffix = text(s.dialing.dialSuffix);
    request_.prefixDisabled = s.user.prefixDisable;
    request_.suffixDisabled = s.user.suffixDisable;
    loadDialing();
    fillConfiguration();
}

void TSendFaxForm::HelpButtonClick() {
    help_->showTopic(kHelpSendWindow);
}

void TSendFaxForm::reject() {
    if (inProgress_) {
        host_.prompts().beep();
        return;
    }
    QDialog::reject();
}

void TSendFaxForm::closeEvent(QCloseEvent* event) {
    if (inProgress_) {
        host_.prompts().beep();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace px
