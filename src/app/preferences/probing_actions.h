// The modem probing buttons of the preference windows: Find Modem Port,
// Check Fax Class and Help with Init Strings, each offering its finding to
// the control it concerns. The port and send component they probe with are
// the window's own, not the main window's.
#pragma once

#include <QString>
#include <memory>

class QComboBox;
class QLineEdit;
class QWidget;

namespace px {

class TPxComPort;
class TPxSendFax;
struct TPreferencesServices;

class TProbingPort {
public:
    // COMn reaches the device [Ports] of `settingsFile` binds it to.
    explicit TProbingPort(const TPreferencesServices& services);
    ~TProbingPort();

    TPxComPort& port() { return *port_; }
    TPxSendFax& sendFax() { return *sendFax_; }

private:
    std::unique_ptr<TPxComPort> port_;
    std::unique_ptr<TPxSendFax> sendFax_;
};

// Runs the modem search; when it found a modem on another port than the one
// selected, asks "Set Com Port to Com n" and selects it on Yes. The list is
// filled again either way, as the search may have bound a new device.
void findModemPort(QWidget* parent, TPreferencesServices& services, TProbingPort& probe,
                   QComboBox* portList);

// Runs the fax class check on the selected port; when the recommended class
// differs from the one selected in `classList`, asks "Set fax class as ... ?"
// and selects it on Yes.
void checkFaxClass(QWidget* parent, TPreferencesServices& services, TProbingPort& probe,
                   int portNumber, QComboBox* classList);

// The init string helper over the text of `edit`; its result replaces the text.
void helpWithInitString(QWidget* parent, TPreferencesServices& services, QLineEdit* edit,
                        bool sending);

}  // namespace px
