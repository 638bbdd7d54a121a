// What the incoming workflow does with the receive component's events: the
// status line, the record of each fax received, the sound, printing, and the
// failure message when a call brings no fax.
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QTimer>

#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/incoming/incoming_workflow.h"
#include "app/incoming/starting_fax_form.h"
#include "app/tables/log_table.h"
#include "comms/px_com_port.h"
#include "comms/px_posix_dispatcher.h"
#include "fax/components/px_receive_fax.h"
#include "fax/print/px_fax_printer.h"
#include "settings/px_settings.h"

namespace px {

namespace {

constexpr int kPagesFieldMax = 99;  // PAGES is two digits wide
// A session error reported while a file is open is followed by the failure
// log code at once; should the engine have nothing to log (no page came in),
// the call is closed after this long.
constexpr int kFailureLogWaitMs = 2000;

// Progress states that belong to a call, from answering it to its hang-up.
bool inCall(int progress) {
    return (progress >= fpAnswer && progress <= fpGotHangup) || progress == fpSessionParams ||
           progress == fpGotRemoteID;
}

}  // namespace

void TIncomingWorkflow::connectComponent() {
    TPxReceiveFax& fax = host_.receiveFax();
    fax.OnFaxAccept = [this](TPxAbstractFax&, bool& accept) { faxAccept(accept); };
    fax.OnFaxError = [this](TPxAbstractFax&, int code) { faxError(code); };
    fax.OnFaxStatus = [this](TPxAbstractFax&, bool first, bool last) { faxStatus(first, last); };
    fax.OnFaxLog = [this](TPxAbstractFax&, int code) { faxLog(code); };
    fax.OnFaxFinish = [this](TPxAbstractFax&, int code) { faxFinish(code); };
}

void TIncomingWorkflow::faxAccept(bool& accept) {
    callAnswered_ = true;
    accept = !callScreen_ || callScreen_();
    if (!accept) {
        return;
    }
    host_.setFaxBeingReceived(true);
    lastFaxError_ = 0;
}

void TIncomingWorkflow::faxError(int code) {
    lastFaxError_ = code;
    if (!host_.receiveMode() || stopping_) {
        return;
    }
    if (!callAnswered_ && !inCall(host_.receiveFax().ProgressCode())) {
        return;  // no call yet: the engine retries by itself
    }
    if (receivingPath_.isEmpty()) {
        // No file was begun (a data or voice call, a refused one, a failed
        // negotiation): nothing else will tell of this call's end.
        receiveFailed();
        return;
    }
    const QString path = receivingPath_;
    QTimer::singleShot(kFailureLogWaitMs, &notice(), [this, path] {
        if (receivingPath_ == path && !path.isEmpty() && callAnswered_) {
            receiveFailed();
        }
    });
}

void TIncomingWorkflow::faxStatus(bool first, bool last) {
    TPxReceiveFax& fax = host_.receiveFax();
    if (first) {
        pageCount_ = 0;
        statusText_.reset();
    }
    const int progress = fax.ProgressCode();
    if (progress == fpAnswer) {
        callAnswered_ = true;
    }
    pageCount_ = fax.PageNumber();
    TReceiveProgress report;
    report.progressText = QString::fromStdString(TPxAbstractFax::ProgressText(progress));
    report.page = pageCount_;
    report.bytes = fax.BytesDone();
    report.remoteId = QString::fromStdString(fax.RemoteStationID());
    const QString line = statusText_.next(report);
    if (host_.receiveMode()) {
        host_.statusPanel().showText(line);
    }
    if (notice_ && notice_->isVisible() && tellsAnswering(line)) {
        notice_->hide();
    }
    if (last) {
        host_.setFaxBeingReceived(false);
    }
}

void TIncomingWorkflow::faxLog(int code) {
    switch (code) {
        case lfaxReceiveStart:
            receivingPath_ = QString::fromStdString(host_.receiveFax().FaxFile);
            if (notice_) {
                notice_->hide();
            }
            break;
        case lfaxReceiveOk:
            receivedOk();
            break;
        case lfaxReceiveFail:
            receiveFailed();
            break;
        case lfaxReceiveSkip:
            // A refused call: its error has been reported already.
            host_.setFaxBeingReceived(false);
            break;
        default:
            break;
    }
}

void TIncomingWorkflow::endCall() {
    host_.setFaxBeingReceived(false);
    receivingPath_.clear();
    callAnswered_ = false;
    statusText_.reset();
}

void TIncomingWorkflow::receivedOk() {
    TPxReceiveFax& fax = host_.receiveFax();
    const QString path =
        receivingPath_.isEmpty() ? QString::fromStdString(fax.FaxFile) : receivingPath_;
    const std::string from = fax.RemoteStationID();
    pageCount_ = std::max(pageCount_, fax.PageNumber());
    const int pages = pageCount_;
    endCall();
    saveRecord(from, pages, QFileInfo(path).fileName().toStdString());
    postPlayReceiveSound();
    host_.evaluateCommands();
    TReceivedFaxInfo info;
    info.path = path;
    info.stationId = QString::fromStdString(from);
    info.pages = pages;
    // After this event: the engine goes on waiting while the fax is printed
    // and the listeners do their part.
    QTimer::singleShot(0, &notice(), [this, info] {
        printOnReceipt(info.path);
        for (TReceiveModeListener* listener : listeners_) {
            listener->faxReceived(info);
        }
    });
}

void TIncomingWorkflow::saveRecord(const std::string& from, int pages, const std::string& file) {
    TLogTable& log = host_.log(TMainPage::Incoming);
    try {
        TXbTable& table = log.table();
        const QDate today = QDate::currentDate();
        table.append();
        table.setDate("DATEREC", TXbDate{today.year(), today.month(), today.day()});
        table.setText("TIMEREC", QTime::currentTime().toString("hh:mm").toStdString());
        table.setText("FROM", from);
        table.setNumber("PAGES", std::min(pages, kPagesFieldMax));
        table.setText("FAXFILE", file);
    } catch (const std::exception& e) {
        postFaxError("Unable to Log Received Fax",
                     "The received fax " + QString::fromStdString(file) +
                         " could not be added to the incoming fax log.\r\n\r\nThe error message "
                         "was:   " +
                         QString::fromUtf8(e.what()));
        return;
    }
    try {
        // The grid shows the new record; the log's own errors are no concern here.
        host_.reopenLog(TMainPage::Incoming);
    } catch (const std::exception&) {
    }
}

void TIncomingWorkflow::receiveFailed() {
    const QString partial = receivingPath_;
    const QString text = receiveErrorText(lastFaxError_);
    lastReceiveError_ = lastFaxError_;
    lastFaxError_ = 0;
    endCall();
    postFaxError(
        "Failed To Receive Incoming Fax",
        "Parvex failed to receive an incoming fax.\r\n\r\nThe error message was:   " + text,
        lastReceiveError_);
    if (!partial.isEmpty() && QFileInfo::exists(partial)) {
        QFile::remove(partial);
    }
    if (host_.receiveMode()) {
        host_.statusPanel().showText("Waiting for fax...");
    }
}

void TIncomingWorkflow::printOnReceipt(const QString& path) {
    const Settings& settings = host_.settings();
    if (!settings.receive.printOnReceipt) {
        return;
    }
    TPxFaxPrinter& printer = faxPrinter();
    const QString name = QString::fromStdString(settings.receive.printOnReceiptPrinter);
    if (name != QLatin1String(kDefaultPrinterName)) {
        // A printer that is not installed (any more) leaves the current one.
        printer.selectPrinter(name);
    }
    try {
        printer.setFileName(path);
        printer.print();
    } catch (const std::exception& e) {
        postFaxError("Unable to Print Received Fax",
                     "The received fax " + QFileInfo(path).fileName() +
                         " could not be printed.\r\n\r\nThe error message was:   " +
                         QString::fromUtf8(e.what()));
    }
}

void TIncomingWorkflow::faxFinish(int code) {
    if (!host_.receiveMode() || stopping_) {
        return;
    }
    modeEndedByItself("The modem no longer answers.\r\n\r\nThe error message was:   " +
                      receiveErrorText(code));
}

void TIncomingWorkflow::watchPort() {
    TPxComPort& port = host_.comPort();
    if (!host_.receiveMode() || stopping_ || !port.Open()) {
        return;
    }
    if (port.Dispatcher().deviceError() != 0) {
        modeEndedByItself("The communications port (COM" + QString::number(port.ComNumber()) +
                          ") is gone: the modem was disconnected or switched off.");
    }
}

void TIncomingWorkflow::modeEndedByItself(const QString& why) {
    const QString partial = receivingPath_;
    if (!partial.isEmpty() && QFileInfo::exists(partial)) {
        QFile::remove(partial);
    }
    leaveReceiveMode();
    host_.evaluateCommands();
    postFaxError("Receive Mode Ended",
                 "Parvex is no longer in receive mode.\r\n\r\n" + why +
                     "\r\n\r\nCheck that the modem is connected and switched on, then press "
                     "Receive to start receive mode again.");
}

void TIncomingWorkflow::postFaxError(const QString& caption, const QString& text,
                                     ErrorCode errorCode) {
    // Shown after the event that asked for it: the engine does not wait for
    // a dialog, and an unattended machine sees it close after 30 seconds.
    QTimer::singleShot(0, &notice(), [this, caption, text, errorCode] {
        host_.prompts().faxError(host_.dialogParent(), caption, messageText(text), false, true,
                                 errorCode);
    });
}

}  // namespace px
