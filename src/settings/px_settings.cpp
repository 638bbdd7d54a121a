#include "settings/px_settings.h"

#include <algorithm>

#include "settings/file_names.h"

namespace px {

namespace {

constexpr const char* kUser = "User";
constexpr const char* kDialing = "Dialing";
constexpr const char* kModem = "Modem";
constexpr const char* kResetting = "Resetting";
constexpr const char* kReceive = "Receive";

}  // namespace

Settings Settings::load(const IniFile& ini) {
    Settings s;
    UserSettings& u = s.user;
    u.name = ini.readString(kUser, "Name", "");
    u.fax = ini.readString(kUser, "Fax", "");
    u.voice = ini.readString(kUser, "Voice", "");
    u.company = ini.readString(kUser, "Company", "");
    u.prefixDisable = ini.readBool(kUser, "PrefixDisable", false);
    u.suffixDisable = ini.readBool(kUser, "SuffixDisable", false);

    DialingSettings& d = s.dialing;
    d.dialPrefix = ini.readString(kDialing, "DialPrefix", "");
    d.dialSuffix = ini.readString(kDialing, "DialSuffix", "");
    d.dialAttempts = ini.readInteger(kDialing, "DialAttempts", 3);
    d.retryWait = ini.readInteger(kDialing, "RetryWait", 60);
    d.blindDial = ini.readBool(kDialing, "BlindDial", false);
    d.ignoreBusy = ini.readBool(kDialing, "IgnoreBusy", false);
    d.toneOrPulse = ini.readInteger(kDialing, "ToneOrPulse", 0);
    d.timeout = ini.readInteger(kDialing, "Timeout", 60);
    d.ecm = ini.readBool(kDialing, "ECM", false);

    // The receive twins take the sending values as their defaults, so those come first.
    ModemSettings& m = s.modem;
    m.comPort = ini.readInteger(kModem, "ComPort", -1);
    m.faxClass = ini.readInteger(kModem, "FaxClass", 1);
    m.maximumBps = ini.readInteger(kModem, "MaximumBPS", 9600);
    m.initString = ini.readString(kModem, "InitString", "");
    m.renegotiateBetween = ini.readBool(kModem, "RenegotiateBetween", false);
    m.initStringReceive = ini.readString(kModem, "InitStringReceive", m.initString);
    m.faxClassReceive = ini.readInteger(kModem, "FaxClassReceive", m.faxClass);
    m.maximumBpsReceive = ini.readInteger(kModem, "MaximumBPSReceive", m.maximumBps);

    s.resetting.string = ini.readString(kResetting, "String", "");
    s.resetting.afterString = ini.readString(kResetting, "AfterString", "");

    ReceiveSettings& r = s.receive;
    r.atStartup = ini.readBool(kReceive, "AtStartup", false);
    r.answerOnRing = ini.readInteger(kReceive, "AnswerOnRing", 1);
    r.ecmReceive = ini.readBool(kReceive, "ECMReceive", d.ecm);
    r.wav = ini.readString(kReceive, "Wav", "");
    r.printOnReceipt = ini.readBool(kReceive, "PrintOnReceipt", false);
    r.printOnReceiptPrinter =
        ini.readString(kReceive, "PrintOnReceiptPrinter", kDefaultPrinterName);
    r.command = ini.readString(kReceive, "Command", "");
    r.keepReceivingInTray = ini.readBool(kReceive, "KeepReceivingInTray", false);

    s.hintsOn = ini.readBool("Hints", "On", true);
    return s;
}

void Settings::save(IniFile& ini) const {
    ini.writeString(kUser, "Name", user.name);
    ini.writeString(kUser, "Fax", user.fax);
    ini.writeString(kUser, "Voice", user.voice);
    ini.writeString(kUser, "Company", user.company);
    ini.writeBool(kUser, "PrefixDisable", user.prefixDisable);
    ini.writeBool(kUser, "SuffixDisable", user.suffixDisable);

    ini.writeString(kDialing, "DialPrefix", dialing.dialPrefix);
    ini.writeString(kDialing, "DialSuffix", dialing.dialSuffix);
    ini.writeInteger(kDialing, "DialAttempts", dialing.dialAttempts);
    ini.writeInteger(kDialing, "RetryWait", dialing.retryWait);
    ini.writeBool(kDialing, "BlindDial", dialing.blindDial);
    ini.writeBool(kDialing, "IgnoreBusy", dialing.ignoreBusy);
    ini.writeInteger(kDialing, "ToneOrPulse", dialing.toneOrPulse);
    ini.writeInteger(kDialing, "Timeout", dialing.timeout);
    ini.writeBool(kDialing, "ECM", dialing.ecm);

    ini.writeInteger(kModem, "ComPort", modem.comPort);
    ini.writeInteger(kModem, "FaxClass", modem.faxClass);
    ini.writeInteger(kModem, "MaximumBPS", modem.maximumBps);
    ini.writeString(kModem, "InitString", modem.initString);
    ini.writeBool(kModem, "RenegotiateBetween", modem.renegotiateBetween);
    ini.writeString(kModem, "InitStringReceive", modem.initStringReceive);
    ini.writeInteger(kModem, "FaxClassReceive", modem.faxClassReceive);
    ini.writeInteger(kModem, "MaximumBPSReceive", modem.maximumBpsReceive);

    ini.writeString(kResetting, "String", resetting.string);
    ini.writeString(kResetting, "AfterString", resetting.afterString);

    ini.writeBool(kReceive, "AtStartup", receive.atStartup);
    ini.writeInteger(kReceive, "AnswerOnRing", receive.answerOnRing);
    ini.writeBool(kReceive, "ECMReceive", receive.ecmReceive);
    ini.writeString(kReceive, "Wav", receive.wav);
    ini.writeBool(kReceive, "PrintOnReceipt", receive.printOnReceipt);
    ini.writeString(kReceive, "PrintOnReceiptPrinter", receive.printOnReceiptPrinter);
    ini.writeString(kReceive, "Command", receive.command);
    ini.writeBool(kReceive, "KeepReceivingInTray", receive.keepReceivingInTray);

    ini.writeBool("Hints", "On", hintsOn);
    ini.writeString("Version", "Version", kProgramVersion);
}

PrintingOptions PrintingOptions::load(const IniFile& ini) {
    PrintingOptions p;
    p.multiPage = ini.readBool("Printing", "MultiPage", false);
    p.header = ini.readBool("Printing", "Header", true);
    p.footer = ini.readBool("Printing", "Footer", true);
    return p;
}

void PrintingOptions::save(IniFile& ini) const {
    ini.writeBool("Printing", "MultiPage", multiPage);
    ini.writeBool("Printing", "Header", header);
    ini.writeBool("Printing", "Footer", footer);
}

DesignerDefaultFont DesignerDefaultFont::load(const IniFile& ini) {
    constexpr const char* sec = "CD Default Font";
    DesignerDefaultFont f;
    f.name = ini.readString(sec, "Name", "Arial");
    f.size = ini.readInteger(sec, "Size", 10);
    f.bold = ini.readBool(sec, "Bold", false);
    f.italic = ini.readBool(sec, "Italic", false);
    f.underline = ini.readBool(sec, "Underline", false);
    return f;
}

void DesignerDefaultFont::save(IniFile& ini) const {
    constexpr const char* sec = "CD Default Font";
    ini.writeString(sec, "Name", name);
    ini.writeInteger(sec, "Size", size);
    ini.writeBool(sec, "Bold", bold);
    ini.writeBool(sec, "Italic", italic);
    ini.writeBool(sec, "Underline", underline);
}

RecentTemplates RecentTemplates::load(const IniFile& ini) {
    RecentTemplates r;
    for (std::size_t i = 0; i < kMax; ++i) {
        auto v = ini.value("CDMRU", "F" + std::to_string(i));
        if (v && !v->empty())
            r.files.push_back(*v);
    }
    return r;
}

void RecentTemplates::save(IniFile& ini) const {
    for (std::size_t i = 0; i < kMax; ++i) {
        std::string key = "F" + std::to_string(i);
        if (i < files.size())
            ini.writeString("CDMRU", key, files[i]);
        else
            ini.eraseKey("CDMRU", key);
    }
}

void RecentTemplates::use(const std::string& file) {
    std::erase_if(files, [&](const std::string& f) { return equalNoCase(f, file); });
    files.insert(files.begin(), file);
    if (files.size() > kMax)
        files.resize(kMax);
}

int transferRateIndex(int bps) {
    for (std::size_t i = 0; i < kTransferRates.size(); ++i)
        if (kTransferRates[i] == bps)
            return static_cast<int>(i);
    return 3;
}

int transferRateAt(int index) {
    if (index < 0 || index >= static_cast<int>(kTransferRates.size()))
        return 9600;
    return kTransferRates[static_cast<std::size_t>(index)];
}

std::string comPortDevicePath(const IniFile& ini, int portNumber) {
    std::string configured = ini.readString("Ports", "COM" + std::to_string(portNumber), "");
    if (!configured.empty())
        return configured;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace px
