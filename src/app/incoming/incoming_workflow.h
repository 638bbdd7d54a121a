// The incoming fax workflow: receive mode started and stopped (also when the
// program closes), the receive component's events turned into status texts,
// log records, the notification sound and printing, and the received faxes'
// notes and deletion.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/host/workflow_host.h"
#include "app/incoming/receive_mode_listener.h"
#include "app/incoming/receive_status_text.h"
#include "common/px_errors.h"

class QTimer;

namespace px {

class TPxFaxPrinter;
class TPxFaxPrinterStatus;
class TReceiveSound;
class TStartingFaxForm;

class TIncomingWorkflow {
public:
    explicit TIncomingWorkflow(TWorkflowHost& host);
    ~TIncomingWorkflow();
    TIncomingWorkflow(const TIncomingWorkflow&) = delete;
    TIncomingWorkflow& operator=(const TIncomingWorkflow&) = delete;

    void startReceiveMode();
    void stopReceiveMode();
    // Ends receive mode as the program closes, whatever happens on the way.
    void endReceiveModeForClose();
    void editNotes();
    // Deletes the current received fax with its file.
    void deleteFax();
    // Plays Receive/Wav once the current event has been handled.
    void postPlayReceiveSound();
    void playReceiveSound();
    // Lets the user choose and try Receive/Wav, and saves it.
    void chooseReceiveSound();

    // Listeners are not owned; each must outlive the workflow or be removed.
    void addListener(TReceiveModeListener* listener) { listeners_.push_back(listener); }

    // The receive-mode notice window.
    TStartingFaxForm& notice();
    // The printer faxes are printed on when they arrive.
    TPxFaxPrinter& faxPrinter();
    // Its "Print Status" window, shown while a received fax prints and
    // closed when the job ends; it waits for nobody.
    TPxFaxPrinterStatus& printStatus();
    // Where the sound goes; nullptr plays through Qt Multimedia. Not owned.
    void setSound(TReceiveSound* sound) { sound_ = sound; }
    // Edits a received fax's notes: true with the new text, false when cancelled.
    using TNotesEditor = std::function<bool(const QString& from, QString& notes)>;
    void setNotesEditor(TNotesEditor editor) { notesEditor_ = std::move(editor); }
    // Asked for every call the engine offers: false refuses it. Without one
    // every call is taken.
    using TCallScreen = std::function<bool()>;
    void setCallScreen(TCallScreen screen) { callScreen_ = std::move(screen); }

    int lastFaxError() const { return lastFaxError_; }
    int lastReceiveError() const { return lastReceiveError_; }
    int lastPortError() const { return lastPortError_; }
    int pageCount() const { return pageCount_; }
    // The file of the fax coming in; empty between calls.
    const QString& receivingPath() const { return receivingPath_; }

private:
    // Receive mode's start, in its steps.
    bool openReceivePort(int portNumber);
    bool modemAnswers(int portNumber);
    bool modemReset(int portNumber);
    void applySettings();
    void beginWaiting();
    // A start given up, or receive mode ended: everything back to normal.
    void leaveReceiveMode();
    void closePort();
    TReceiveSound& sound();
    // Cancels the component and waits briefly for its session to end.
    void cancelReceiving();
    void sendAfterString(class TBusyScope& busy);

    // The receive component's events.
    void connectComponent();
    void faxAccept(bool& accept);
    void faxError(int code);
    void faxStatus(bool first, bool last);
    void faxLog(int code);
    void faxFinish(int code);
    void receivedOk();
    void receiveFailed();
    void endCall();
    void saveRecord(const std::string& from, int pages, const std::string& file);
    void printOnReceipt(const QString& path);
    void modeEndedByItself(const QString& why);
    // While receive mode waits: the port's device may vanish (a USB modem
    // pulled out) without the session noticing.
    void watchPort();
    // Shows a fax error dialog once the current event has been handled.
    void postFaxError(const QString& caption, const QString& text, ErrorCode errorCode = 0);

    TWorkflowHost& host_;
    std::vector<TReceiveModeListener*> listeners_;
    std::unique_ptr<TStartingFaxForm> notice_;
    std::unique_ptr<QTimer> portWatch_;
    std::unique_ptr<TPxFaxPrinter> printer_;
    // Declared after the printer: it lets go of the printer first.
    std::unique_ptr<TPxFaxPrinterStatus> printStatus_;
    std::unique_ptr<TReceiveSound> ownSound_;
    TReceiveSound* sound_ = nullptr;
    TNotesEditor notesEditor_;
    TCallScreen callScreen_;
    TReceiveStatusText statusText_;

    int lastFaxError_ = 0;
    int lastReceiveError_ = -1;
    int lastPortError_ = -1;
    int pageCount_ = 0;
    QString receivingPath_;
    bool callAnswered_ = false;  // since the modem answered, until the call's end is handled
    bool stopping_ = false;      // receive mode is being ended on purpose
    bool announced_ = false;     // the listeners know receive mode runs
};

}  // namespace px
