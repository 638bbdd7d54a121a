// What a workflow of the program (sending, receiving, cleanup, print-driver
// intake, preferences, the configuration report) may use of the main window
// that runs it: the settings and the program folder, the two fax logs and
// their grids, the status panel and the message kinds, the program's modes,
// and the com port with the receive component. The main window is the one
// host; tests give a workflow a host of their own, without the window.
#pragma once

#include <QString>

class QWidget;

namespace px {

class ProgramFolder;
struct Settings;
class TLogTable;
class TPxComPort;
class TPxReceiveFax;
class TStatusPanel;
class TUserPrompts;

// The two pages of the main window, one per log.
enum class TMainPage { Outgoing, Incoming };

class TWorkflowHost {
public:
    virtual ~TWorkflowHost() = default;

    // The window dialogs are shown over.
    virtual QWidget* dialogParent() = 0;

    // --- Settings (PX.INI) and the program folder.
    virtual Settings& settings() = 0;
    // Writes the settings record; raises IniFileError, which names the file.
    virtual void saveSettings() = 0;
    virtual const ProgramFolder& folder() const = 0;

    // --- The logs.
    virtual TLogTable& log(TMainPage page) = 0;
    // Whether the log has a visible record under its cursor.
    virtual bool hasCurrent(TMainPage page) = 0;
    // Shows the log's records again, the selection on its current record.
    virtual void refreshLog(TMainPage page) = 0;
    // After a record was appended: closes and reopens the log, applies the
    // filter again and returns to the record that was current.
    virtual void reopenLog(TMainPage page) = 0;
    virtual TMainPage visiblePage() const = 0;
    virtual void showPage(TMainPage page) = 0;
    // Re-evaluates which commands are enabled.
    virtual void evaluateCommands() = 0;

    // --- The status panel and the three kinds of message.
    virtual TStatusPanel& statusPanel() = 0;
    virtual TUserPrompts& prompts() = 0;

    // --- The program's modes.
    virtual bool receiveMode() const = 0;
    // Sets the mode with the Receive/STOP captions and hints that go with it.
    virtual void setReceiveMode(bool on) = 0;
    virtual bool faxBeingReceived() const = 0;
    virtual void setFaxBeingReceived(bool on) = 0;

    // --- The port and the receive component the window owns for receive mode.
    virtual TPxComPort& comPort() = 0;
    virtual TPxReceiveFax& receiveFax() = 0;
};

inline constexpr const char* kReceiveModeRefusal =
    "You are in Fax Receive mode. This operation cannot be done\rwhile in Fax Receive mode. Click "
    "the Stop button to end\rFax Receive mode";

// A command a workflow refuses in receive mode, with its message; true when refused.
bool refuseInReceiveMode(TWorkflowHost& host);

}  // namespace px
