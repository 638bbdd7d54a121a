// The settings record: every key of PX.INI the program reads at start-up and
// writes back whole on every save.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "settings/ini_file.h"

namespace px {

// Fax class coding of Modem/FaxClass and Modem/FaxClassReceive.
enum class FaxClassSetting : int { AutoDetect = 0, Class1 = 1, Class2 = 2, Class2_0 = 3 };

inline constexpr const char* kProgramVersion = "2.9q";
inline constexpr const char* kDefaultPrinterName = "Default Windows Printer";

struct UserSettings {
    std::string name;
    std::string fax;
    std::string voice;
    std::string company;
    bool prefixDisable = false;
    bool suffixDisable = false;
};

struct DialingSettings {
    std::string dialPrefix;
    std::string dialSuffix;
    int dialAttempts = 3;
    int retryWait = 60;
    bool blindDial = false;
    bool ignoreBusy = false;
    int toneOrPulse = 0;  // 0 = tone, 1 = pulse
    int timeout = 60;     // kept and written back; nothing uses it
    bool ecm = false;
};

struct ModemSettings {
    int comPort = -1;  // zero-based; -1 = never configured
    int faxClass = 1;
    int maximumBps = 9600;
    std::string initString;
    bool renegotiateBetween = false;
    std::string initStringReceive;
    int faxClassReceive = 1;
    int maximumBpsReceive = 9600;
};

struct ResettingSettings {
    std::string string;
    std::string afterString;
};

struct ReceiveSettings {
    bool atStartup = false;
    int answerOnRing = 1;
    bool ecmReceive = false;
    std::string wav;
    bool printOnReceipt = false;
    std::string printOnReceiptPrinter = kDefaultPrinterName;
    // A program started for each received fax with the file path, the
    // sender's ID and the page count as its arguments; empty = none.
    std::string command;
    // Closing the main window in receive mode keeps receiving in the tray.
    bool keepReceivingInTray = false;
};

struct Settings {
    UserSettings user;
    DialingSettings dialing;
    ModemSettings modem;
    ResettingSettings resetting;
    ReceiveSettings receive;
    bool hintsOn = true;

    // Reads every key of the main sections, applying the defaults. The receive
    // twins default to the sending values read just before them.
    static Settings load(const IniFile& ini);
    // Writes every key of the main sections, plus Version/Version.
    void save(IniFile& ini) const;

    // Modem/ComPort was never configured (the first run of the program).
    bool isFirstRun() const { return modem.comPort < 0; }
};

// [Printing]: the viewer window's print options.
struct PrintingOptions {
    bool multiPage = false;
    bool header = true;
    bool footer = true;

    static PrintingOptions load(const IniFile& ini);
    void save(IniFile& ini) const;
};

// [CD Default Font]: the cover designer's default label font.
struct DesignerDefaultFont {
    std::string name = "Arial";
    int size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    static DesignerDefaultFont load(const IniFile& ini);
    void save(IniFile& ini) const;
};

// [CDMRU]: the designer's recently used templates, most recent first, at most five.
struct RecentTemplates {
    static constexpr std::size_t kMax = 5;
    std::vector<std::string> files;

    static RecentTemplates load(const IniFile& ini);
    void save(IniFile& ini) const;
    // Moves (or inserts) the file to the front, ignoring letter case, and keeps at most kMax.
    void use(const std::string& file);
};

// Transfer-rate list of the preference pages: index 0..5 ↔ 2400..14400.
inline constexpr std::array<int, 6> kTransferRates = {2400, 4800, 7200, 9600, 12000, 14400};
int transferRateIndex(int bps);  // unknown rate → 3
int transferRateAt(int index);   // unknown index → 9600

// Device path of serial port n (1-based): [Ports] COMn when set, else /dev/ttyS(n-1).
std::string comPortDevicePath(const IniFile& ini, int portNumber);

}  // namespace px
