#include "app/incoming/incoming_workflow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "app/host/fax_files.h"
#include "app/host/port_routines.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/incoming/receive_sound.h"
#include "app/incoming/receive_sound_dialog.h"
#include "app/incoming/received_notes_dialog.h"
#include "app/incoming/starting_fax_form.h"
#include "app/tables/log_table.h"
#include "comms/px_clock.h"
#include "comms/px_com_port.h"
#include "fax/components/px_receive_fax.h"
#include "fax/print/px_fax_printer.h"
#include "settings/px_settings.h"
#include "ui/printstatus/px_fax_printer_status.h"

namespace px {

namespace {

constexpr const char* kComTextBefore = "Is the Communications Port (COM";
constexpr const char* kComTextAfter =
    ") correct? Please\r\nclick on the Find Modem button in Preferences to be sure.";
// The session hangs up and reports its end within a second or two of a cancel.
constexpr int kCancelWaitMs = 5000;
constexpr int kCancelPollMs = 20;
constexpr int kCloseSettleTicks = 18;
constexpr int kPortWatchMs = 1000;

QString portQuestion(int portNumber) {
    return kComTextBefore + QString::number(portNumber) + kComTextAfter;
}

// The component's modem classes begin with the unknown class, the settings' with auto detect.
TFaxClass receiveClass(int setting) {
    return static_cast<TFaxClass>(setting + 1);
}

struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

TIncomingWorkflow::TIncomingWorkflow(TWorkflowHost& host) : host_(host) {
    connectComponent();
}

TIncomingWorkflow::~TIncomingWorkflow() {
    portWatch_.reset();
    TPxReceiveFax& fax = host_.receiveFax();
    fax.OnFaxAccept = nullptr;
    fax.OnFaxError = nullptr;
    fax.OnFaxStatus = nullptr;
    fax.OnFaxLog = nullptr;
    fax.OnFaxFinish = nullptr;
}

TStartingFaxForm& TIncomingWorkflow::notice() {
    if (!notice_) {
        notice_ = std::make_unique<TStartingFaxForm>(host_.dialogParent());
    }
    return *notice_;
}

TPxFaxPrinter& TIncomingWorkflow::faxPrinter() {
    if (!printer_) {
        printer_ = std::make_unique<TPxFaxPrinter>();
        // Received faxes print as they came: one page a sheet, nothing added.
        printer_->faxHeader().setCaption("FILE: $F");
        printer_->faxHeader().setEnabled(false);
        printer_->faxFooter().setCaption("Page: $P of $N");
        printer_->faxFooter().setEnabled(false);
        printer_->setMultiPage(false);
        printStatus_ = std::make_unique<TPxFaxPrinterStatus>(host_.dialogParent());
        printer_->setStatusDisplay(printStatus_.get());
    }
    return *printer_;
}

TPxFaxPrinterStatus& TIncomingWorkflow::printStatus() {
    faxPrinter();
    return *printStatus_;
}

// ------------------------------------------------------------ start

void TIncomingWorkflow::startReceiveMode() {
    Settings& settings = host_.settings();
    const int portNumber = std::max(settings.modem.comPort, 0) + 1;
    TStatusPanel& panel = host_.statusPanel();
    // Only the cursor goes back at the end: the panel keeps "Waiting for fax...".
    TWaitCursor busy;
    lastFaxError_ = 0;
    host_.showPage(TMainPage::Incoming);
    notice().showStarting();
    bool started = false;
    try {
        host_.setReceiveMode(true);
        host_.evaluateCommands();
        panel.showText("Starting receive mode...");
        applySettings();
        started = openReceivePort(portNumber) && modemAnswers(portNumber) && modemReset(portNumber);
        if (started) {
            beginWaiting();
        }
    } catch (...) {
        leaveReceiveMode();
        host_.evaluateCommands();
        throw;
    }
    if (!started) {
        leaveReceiveMode();
    }
    host_.evaluateCommands();
}

void TIncomingWorkflow::applySettings() {
    const Settings& settings = host_.settings();
    TPxReceiveFax& fax = host_.receiveFax();
    host_.comPort().setComNumber(std::max(settings.modem.comPort, 0) + 1);
    fax.FaxClass = receiveClass(settings.modem.faxClassReceive);
    fax.StationID = settings.user.fax.substr(0, kStationIdLength);
    fax.AnswerOnRing = static_cast<uint16_t>(settings.receive.answerOnRing);
    fax.DesiredBPS = static_cast<uint16_t>(settings.modem.maximumBpsReceive);
    fax.DesiredECM = settings.receive.ecmReceive;
    if (!settings.modem.initStringReceive.empty()) {
        fax.setModemInit(withAtPrefix(settings.modem.initStringReceive));
    }
}

bool TIncomingWorkflow::openReceivePort(int portNumber) {
    const TPortOpening opening = openPort(host_.comPort());
    lastPortError_ = opening.lastPortError;
    if (opening.opened) {
        return true;
    }
    notice().hide();
    host_.prompts().faxError(
        host_.dialogParent(), "Error Opening Communications Port",
        messageText(QString::fromStdString(opening.text) + "\r\n\r\n" + portQuestion(portNumber)),
        false, true, lastPortError_);
    return false;
}

bool TIncomingWorkflow::modemAnswers(int portNumber) {
    if (checkForModem(host_.comPort(), host_.settings().resetting.string)) {
        return true;
    }
    notice().hide();
    const QString number = QString::number(portNumber);
    const QString text =
        "We did not receive a modem response from COM" + number + "." + "\r\n\r\n" +
        "To verify the communications port, please click on the Find Modem button in "
        "Preferences to be sure." +
        "\r\n\r\n" + "If you are sure there is a modem on COM" + number + ", press CONTINUE" +
        "\r\n" + "to continue, otherwise press OK to stop the fax session.";
    QApplication::restoreOverrideCursor();
    const TFaxErrorResult answer = host_.prompts().faxError(
        host_.dialogParent(), "No Response From Modem", messageText(text), true, true, 0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return answer == TFaxErrorResult::Continue;
}

bool TIncomingWorkflow::modemReset(int portNumber) {
    std::string& reset = host_.settings().resetting.string;
    if (reset.empty()) {
        return true;
    }
    host_.statusPanel().showText("Sending reset string...");
    if (sendResetCommand(host_.comPort(), reset)) {
        return true;
    }
    notice().hide();
    closePort();
    host_.prompts().faxError(
        host_.dialogParent(), "Unable to Continue",
        messageText("We are unable to continue the fax session. \r\n\r\nThe modem did not "
                    "respond to the reset string:   (" +
                    QString::fromStdString(reset) + ")" + "\r\n\r\n" + portQuestion(portNumber)),
        false, true, 0);
    return false;
}

void TIncomingWorkflow::beginWaiting() {
    TStatusPanel& panel = host_.statusPanel();
    panel.show();
    notice().show();
    statusText_.reset();
    callAnswered_ = false;
    receivingPath_.clear();
    host_.receiveFax().BeginReceiving();
    host_.setReceiveMode(true);
    panel.showText("Waiting for fax...");
    notice().showReady();
    if (!portWatch_) {
        portWatch_ = std::make_unique<QTimer>();
        portWatch_->setInterval(kPortWatchMs);
        QObject::connect(portWatch_.get(), &QTimer::timeout, [this] { watchPort(); });
    }
    portWatch_->start();
    announced_ = true;
    for (TReceiveModeListener* listener : listeners_) {
        listener->receiveModeStarted();
    }
}

// ------------------------------------------------------------ stop

void TIncomingWorkflow::leaveReceiveMode() {
    if (portWatch_) {
        portWatch_->stop();
    }
    closePort();
    host_.setReceiveMode(false);
    host_.setFaxBeingReceived(false);
    host_.statusPanel().hidePanel();
    if (notice_) {
        notice_->hide();
    }
    receivingPath_.clear();
    callAnswered_ = false;
    if (announced_) {
        announced_ = false;
        for (TReceiveModeListener* listener : listeners_) {
            listener->receiveModeStopped();
        }
    }
}

void TIncomingWorkflow::closePort() {
    host_.receiveFax().ReleaseLine();
    try {
        host_.comPort().setOpen(false);
    } catch (const std::exception&) {
        // A port that cannot be closed cleanly is gone already.
    }
}

void TIncomingWorkflow::cancelReceiving() {
    TPxReceiveFax& fax = host_.receiveFax();
    fax.AbortFax();
    // The session's last reports come through the event loop: let them in,
    // but not the user's clicks.
    QElapsedTimer waited;
    waited.start();
    while (fax.Running() && waited.elapsed() < kCancelWaitMs) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, kCancelPollMs);
    }
}

void TIncomingWorkflow::sendAfterString(TBusyScope& busy) {
    std::string& after = host_.settings().resetting.afterString;
    if (after.empty()) {
        return;
    }
    busy.setText("Sending AFTER reset string...");
    try {
        sendResetCommand(host_.comPort(), after);
    } catch (const std::exception&) {
        // The mode ends whether or not the modem took it.
    }
}

void TIncomingWorkflow::stopReceiveMode() {
    stopping_ = true;
    if (notice_) {
        notice_->hide();
    }
    {
        TBusyScope busy(host_.statusPanel(), "Ending fax receive mode...");
        try {
            cancelReceiving();
            sendAfterString(busy);
        } catch (const std::exception&) {
            // Whatever failed, the port is closed and the mode ends below.
        }
    }
    leaveReceiveMode();
    stopping_ = false;
}

void TIncomingWorkflow::endReceiveModeForClose() {
    stopping_ = true;
    if (notice_) {
        notice_->hide();
    }
    {
        TBusyScope busy(host_.statusPanel(), "Shutting down fax...");
        try {
            cancelReceiving();
            sendAfterString(busy);
        } catch (const std::exception&) {
            // The program ends whatever the modem did.
        }
        closePort();
        // The modem gets a moment after DTR drops before the program goes.
        std::this_thread::sleep_for(std::chrono::milliseconds(kCloseSettleTicks * kMsPerTick));
    }
    leaveReceiveMode();
    stopping_ = false;
}

// ------------------------------------------------------------ received faxes

void TIncomingWorkflow::editNotes() {
    if (host_.faxBeingReceived()) {
        host_.prompts().beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Incoming).table();
    const std::uint32_t recno = table.recNo();
    const QString from = QString::fromStdString(table.text("FROM")).trimmed();
    QString notes = QString::fromStdString(table.text("NOTES")).trimmed();
    bool accepted = false;
    if (notesEditor_) {
        accepted = notesEditor_(from, notes);
    } else {
        TReceivedNotesDialog dialog(from, notes, host_.dialogParent());
        accepted = dialog.exec() == QDialog::Accepted;
        notes = dialog.notes();
    }
    if (!accepted) {
        return;
    }
    try {
        table.goTo(recno);
        table.setText("NOTES", notes.toStdString());
    } catch (const std::exception& e) {
        host_.prompts().information(host_.dialogParent(), QString::fromUtf8(e.what()));
    }
    host_.refreshLog(TMainPage::Incoming);
}

void TIncomingWorkflow::deleteFax() {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(TMainPage::Incoming) || host_.faxBeingReceived()) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Incoming).table();
    const std::uint32_t recno = table.recNo();
    const std::string file = table.text("FAXFILE");
    const QString question = messageText(QString::fromStdString(
        "Delete the current fax?\r\n(from: \"" + table.text("FROM") + "\")"));
    if (!prompts.question(host_.dialogParent(), "Delete", question, true)) {
        return;
    }
    try {
        table.goTo(recno);
        table.setDeleted(true);
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
        host_.refreshLog(TMainPage::Incoming);
        return;
    }
    removeReceivedFile(host_.folder(), file);
    host_.refreshLog(TMainPage::Incoming);
    host_.evaluateCommands();
}

void TIncomingWorkflow::postPlayReceiveSound() {
    QTimer::singleShot(0, &notice(), [this] { playReceiveSound(); });
}

void TIncomingWorkflow::playReceiveSound() {
    const QString path = QString::fromStdString(host_.settings().receive.wav);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    sound().play(path);
}

TReceiveSound& TIncomingWorkflow::sound() {
    if (sound_ != nullptr) {
        return *sound_;
    }
    if (!ownSound_) {
        ownSound_ = std::make_unique<TSoundEffectPlayer>();
    }
    return *ownSound_;
}

void TIncomingWorkflow::chooseReceiveSound() {
    Settings& settings = host_.settings();
    TReceiveSoundDialog dialog(QString::fromStdString(settings.receive.wav), sound(),
                               host_.dialogParent());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    settings.receive.wav = dialog.path().toStdString();
    host_.saveSettings();
}

}  // namespace px
