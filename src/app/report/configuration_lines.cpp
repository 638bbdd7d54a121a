#include "app/report/configuration_lines.h"

#include <algorithm>
#include <array>

#include "settings/px_settings.h"

namespace px {

namespace {

constexpr const char* kYes = "Yes";
constexpr const char* kNo = "No";
constexpr const char* kUnknown = "unknown";
constexpr const char* kNotFound = "not found";
// Where the label column ends in the settings and modem sections.
constexpr std::size_t kGroupLabelWidth = 22;
// The logical resolutions whose font sizes have a name of their own.
constexpr int kSmallFontsDpi = 96;
constexpr int kLargeFontsDpi = 120;

using Lines = std::vector<std::string>;

const char* yesNo(bool value) {
    return value ? kYes : kNo;
}

std::string faxClassName(int faxClass) {
    static constexpr std::array<const char*, 4> kNames = {"AutoDetect", "Class 1", "Class 2",
                                                          "Class 2.0"};
    return faxClass >= 0 && faxClass < static_cast<int>(kNames.size()) ? kNames[faxClass]
                                                                       : kUnknown;
}

std::string toneOrPulseName(int toneOrPulse) {
    switch (toneOrPulse) {
        case 0:
            return "Tone";
        case 1:
            return "Pulse";
        default:
            return kUnknown;
    }
}

// "Label:" padded to the group's label column, then the tab.
std::string groupLine(const std::string& label, const std::string& value) {
    std::string line = label + ":";
    line.resize(std::max(line.size(), kGroupLabelWidth), ' ');
    return line + "\t" + value;
}

void addProduct(Lines& out) {
    out.push_back("[Product]");
    out.push_back(std::string("Program:     \t") + kProductName);
    out.push_back(std::string("Version:     \t") + kProgramVersion);
    out.push_back("");
}

void addSystem(const TConfigurationFacts& f, Lines& out) {
    if (f.distribution.empty() && f.kernel.empty()) {
        return;
    }
    std::string text = f.distribution;
    if (!f.kernel.empty()) {
        text += (text.empty() ? "" : "; ") + std::string("Linux kernel ") + f.kernel;
        if (!f.machine.empty()) {
            text += " (" + f.machine + ")";
        }
    }
    out.push_back("System:      \t" + text);
}

void addCpu(const TConfigurationFacts& f, Lines& out) {
    if (f.cpuModel.empty() && f.cpuCount == 0) {
        return;
    }
    std::string text = "Processor:  " + f.cpuModel;
    if (f.cpuCount > 0) {
        text += ";    Count: " + std::to_string(f.cpuCount);
    }
    out.push_back("CPU:         \t" + text);
}

void addScreen(const TConfigurationFacts& f, Lines& out) {
    if (f.screenWidth <= 0 || f.screenHeight <= 0) {
        return;
    }
    std::string text = std::to_string(f.screenWidth) + " x " + std::to_string(f.screenHeight);
    const std::string colours = colourCount(f.screenDepth);
    if (!colours.empty()) {
        text += " x " + colours + " colors";
    }
    out.push_back("Video:       \t" + text);
    if (f.logicalDpi == kSmallFontsDpi) {
        out.push_back("Font:        \tSmall Fonts in use");
    } else if (f.logicalDpi == kLargeFontsDpi) {
        out.push_back("Font:        \tLarge Fonts in use");
    } else if (f.logicalDpi > 0) {
        out.push_back("Font:        \tCustom font size in use (" + std::to_string(f.logicalDpi) +
                      " dpi)");
    }
}

void addMemory(const TConfigurationFacts& f, Lines& out) {
    if (!f.memory || f.memory->totalBytes == 0) {
        return;
    }
    const TMemoryFacts& m = *f.memory;
    const std::uint64_t used = m.totalBytes - std::min(m.availableBytes, m.totalBytes);
    out.push_back("Memory Load: \t" + std::to_string(used * 100 / m.totalBytes) + "%");
    out.push_back("Phys Memory: \tTotal: " + withThousands(m.totalBytes) +
                  ";    Available: " + withThousands(m.availableBytes));
    out.push_back("Swap:        \tTotal: " + withThousands(m.swapTotalBytes) +
                  ";    Available: " + withThousands(m.swapFreeBytes));
}

// "User: x;    System: y", the system part left out when the machine sets none.
std::string userAndSystem(const std::string& user, const std::string& system) {
    std::string text = "User: " + user;
    if (!system.empty()) {
        text += ";    System: " + system;
    }
    return text;
}

void addLocale(const TConfigurationFacts& f, Lines& out) {
    if (!f.userLanguage.empty()) {
        out.push_back("Language:    \t" + userAndSystem(f.userLanguage, f.systemLanguage));
    }
    if (!f.userCountry.empty()) {
        out.push_back("Country:     \t" + userAndSystem(f.userCountry, f.systemCountry));
    }
    if (!f.shortDateFormat.empty() || !f.longDateFormat.empty()) {
        out.push_back("Date Format: \tShort: " + f.shortDateFormat +
                      ";    Long: " + f.longDateFormat);
    }
    if (!f.shortTimeFormat.empty() || !f.longTimeFormat.empty()) {
        out.push_back("Time Format: \tShort: " + f.shortTimeFormat +
                      ";    Long: " + f.longTimeFormat);
    }
}

void addEnvironment(const TConfigurationFacts& f, Lines& out) {
    out.push_back("[Environment]");
    addSystem(f, out);
    addCpu(f, out);
    addScreen(f, out);
    addMemory(f, out);
    addLocale(f, out);
    if (!f.qtVersion.empty()) {
        out.push_back("Qt:          \t" + f.qtVersion);
    }
}

std::string modemOutcomeText(const TModemIdentity& m) {
    using Outcome = TModemIdentity::Outcome;
    switch (m.outcome) {
        case Outcome::NotConfigured:
            return "not asked: no port has been chosen yet";
        case Outcome::InReceiveMode:
            return "not asked: the port is in use by receive mode";
        case Outcome::PortInUse:
            return "not asked: the port is in use by another program";
        case Outcome::PortNotOpened:
            return "not asked: " + m.reason;
        case Outcome::NoAnswer:
            return "no answer";
        case Outcome::Answered:
            break;
    }
    return "";
}

void addSerialDevice(const TSerialDeviceFacts& d, Lines& out) {
    out.push_back(groupLine("Device", d.device));
    if (!d.driver.empty()) {
        out.push_back(groupLine("Driver", d.driver));
    }
    if (!d.usbId.empty()) {
        out.push_back(groupLine("USB ID", d.usbId));
    }
    if (!d.manufacturer.empty()) {
        out.push_back(groupLine("Manufacturer", d.manufacturer));
    }
    if (!d.product.empty()) {
        out.push_back(groupLine("Model", d.product));
    }
}

void addModemGroup(const TModemIdentity& m, Lines& out) {
    if (m.portNumber > 0) {
        std::string port = "COM" + std::to_string(m.portNumber);
        if (!m.device.empty()) {
            port += " (" + m.device + ")";
        }
        out.push_back(groupLine("Modem Port", port));
    }
    if (m.outcome != TModemIdentity::Outcome::Answered) {
        out.push_back(groupLine("ATI", modemOutcomeText(m)));
        return;
    }
    for (const std::string& line : m.answer) {
        out.push_back(groupLine("ATI", line));
    }
}

// The serial devices with their hardware, then the configured modem's own
// words about itself; groups apart by an empty line.
void addModems(const TConfigurationFacts& f, Lines& out) {
    out.push_back("[Modems and Serial Devices]");
    out.push_back("");
    for (const TSerialDeviceFacts& d : f.serialDevices) {
        addSerialDevice(d, out);
        out.push_back("");
    }
    addModemGroup(f.modem, out);
}

void addSettings(const TConfigurationFacts& f, const Settings& s, Lines& out) {
    out.push_back("[" + f.settingsPath + "]");
    out.push_back("");
    out.push_back("{general}");
    out.push_back("COM Port:             \t" + std::to_string(s.modem.comPort + 1));
    out.push_back("Tone/Pulse:           \t" + toneOrPulseName(s.dialing.toneOrPulse));
    out.push_back("Reset String          \t" + s.resetting.string);
    out.push_back("Post Reset String:    \t" + s.resetting.afterString);
    out.push_back("{sending}");
    out.push_back("Fax Class:            \t" + faxClassName(s.modem.faxClass));
    out.push_back("Max BPS:              \t" + std::to_string(s.modem.maximumBps));
    out.push_back("Modem Init:           \t" + s.modem.initString);
    out.push_back(std::string("ECM:                  \t") + yesNo(s.dialing.ecm));
    out.push_back("Dial Prefix:          \t" + s.dialing.dialPrefix);
    out.push_back("Dial Suffix:          \t" + s.dialing.dialSuffix);
    out.push_back("Dial Attempts:        \t" + std::to_string(s.dialing.dialAttempts));
    out.push_back("Retry Wait:           \t" + std::to_string(s.dialing.retryWait));
    out.push_back(std::string("Blind Dial:           \t") + yesNo(s.dialing.blindDial));
    out.push_back(std::string("Ignore Busy:          \t") + yesNo(s.dialing.ignoreBusy));
    out.push_back(std::string("Renegotiate Between:  \t") + yesNo(s.modem.renegotiateBetween));
    out.push_back("{receiving}");
    out.push_back("Receive Fax Class:    \t" + faxClassName(s.modem.faxClassReceive));
    out.push_back("Receive Max BPS:      \t" + std::to_string(s.modem.maximumBpsReceive));
    out.push_back("Receive Init String:  \t" + s.modem.initStringReceive);
    out.push_back("Answer On Ring:       \t" + std::to_string(s.receive.answerOnRing));
    out.push_back(std::string("Receive Startup:      \t") + yesNo(s.receive.atStartup));
    out.push_back(std::string("ECM Receive:          \t") + yesNo(s.receive.ecmReceive));
    out.push_back("WAV File:             \t" + s.receive.wav);
    out.push_back(std::string("Print On Receipt:     \t") + yesNo(s.receive.printOnReceipt));
    out.push_back("Printer (POR):        \t" + s.receive.printOnReceiptPrinter);
    out.push_back("{misc}");
    out.push_back(std::string("ShowHint:             \t") + yesNo(s.hintsOn));
    out.push_back(std::string("Disable Prefix:       \t") + yesNo(s.user.prefixDisable));
    out.push_back("{pxpd}");
    out.push_back("PXPDOUT:              \t" + f.pxpdOutPath.value_or(kNotFound));
    out.push_back("PXPDEXE:              \t" + f.pxpdExecutable.value_or(kNotFound));
    out.push_back("Program Path          \t" + f.programFolder);
}

// Other programs that hold a serial device (or are known to take one) are
// what gets between a fax program and its modem; this program is never one.
void addSerialHolders(const TConfigurationFacts& f, Lines& out) {
    out.push_back("[Other Running Applications (Program, Serial Device)]");
    out.push_back("");
    Lines holders;
    for (const TSerialHolder& h : f.serialHolders) {
        std::string upperName = h.program;
        std::transform(upperName.begin(), upperName.end(), upperName.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (upperName.find("PARVEX") != std::string::npos) {
            continue;
        }
        holders.push_back(h.program + "  (" +
                          (h.device.empty() ? std::string("may take serial ports") : h.device) +
                          ")");
    }
    std::sort(holders.begin(), holders.end());
    holders.erase(std::unique(holders.begin(), holders.end()), holders.end());
    if (holders.empty()) {
        out.push_back("No other program holds a serial device.");
    }
    out.insert(out.end(), holders.begin(), holders.end());
}

}  // namespace

std::string withThousands(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string colourCount(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
            return "2";
        case 4:
            return "16";
        case 8:
            return "256";
        case 15:
            return withThousands(32768);
        case 16:
            return withThousands(65536);
        case 24:
        case 32:
            return withThousands(16777216);
        default:
            return "";
    }
}

std::vector<std::string> configurationReportLines(const TConfigurationFacts& facts,
                                                  const Settings& settings) {
    Lines out;
    out.push_back(facts.date);
    out.push_back("");
    addProduct(out);
    addEnvironment(facts, out);
    out.push_back("");
    addModems(facts, out);
    out.push_back("");
    addSettings(facts, settings, out);
    out.push_back("");
    addSerialHolders(facts, out);
    return out;
}

std::string configurationReportText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

}  // namespace px
