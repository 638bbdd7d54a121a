// The three modem probing windows (find the modem's port, check which fax
// classes it offers, build an init string), as the preference wizard and the
// quick setup use them. The windows work on a port and a send component the
// caller owns; tests hand the wizard probing of their own.
#pragma once

#include <QString>
#include <memory>
#include <string>

class QWidget;

namespace px {

class SettingsFile;
class TPxComPort;
class TPxSendFax;

struct TFaxClassFinding {
    int classIndex = -1;  // 0 Class 1, 1 Class 2, 2 Class 2.0; -1 none
    QString className;    // "Class 1", "Class 2", "Class 2.0", or empty
};

class TModemProbing {
public:
    virtual ~TModemProbing() = default;

    // Tests the ports for a modem with `port` (its number is changed while
    // testing and left as it was); the first port number where a modem
    // answered, or -1. A USB or ACM modem no number reaches yet is bound to the
    // first free number in [Ports] of `settingsFile` and that number returned.
    virtual int findModem(QWidget* parent, TPxComPort& port, const SettingsFile& settingsFile) = 0;

    // Asks the modem on port `portNumber` which fax classes it offers and
    // recommends one.
    virtual TFaxClassFinding checkFaxClass(QWidget* parent, TPxComPort& port, TPxSendFax& sendFax,
                                           int portNumber) = 0;

    // The init string helper: the new text (`text` itself on Cancel).
    virtual QString initStringHelp(QWidget* parent, const QString& text, bool sending) = 0;
};

// The real windows; the serial devices are listed in `deviceRoot`.
std::unique_ptr<TModemProbing> makeModemProbing(std::string deviceRoot = "/dev");

}  // namespace px
