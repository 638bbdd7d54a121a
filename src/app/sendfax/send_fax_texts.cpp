#include "app/sendfax/send_fax_texts.h"

#include <algorithm>
#include <cctype>

#include "comms/px_error_text.h"
#include "settings/px_settings.h"

namespace px {

namespace {

constexpr const char* kWaitRegister = "S7=";
// "S7=" and up to three digits.
constexpr std::size_t kWaitSettingLength = 6;
constexpr std::size_t kLeastWaitSettingLength = 4;

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string trimmed(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

const char* faxClassName(int faxClass) {
    switch (static_cast<FaxClassSetting>(faxClass)) {
        case FaxClassSetting::AutoDetect:
            return "Autodetect";
        case FaxClassSetting::Class1:
            return "Class 1";
        case FaxClassSetting::Class2:
            return "Class 2";
        case FaxClassSetting::Class2_0:
            return "Class 2.0";
    }
    return "Autodetect";
}

std::string findModemAdvice(int portNumber) {
    return "Is the Communications Port (COM" + std::to_string(portNumber) +
           ") correct? Please\r\nclick on the Find Modem button on the Preferences screen to be "
           "sure.";
}

}  // namespace

int dialWaitFromInit(const std::string& initString) {
    const std::string init = upper(initString);
    const std::size_t at = init.find(kWaitRegister);
    if (at == std::string::npos) {
        return kDefaultDialWait;
    }
    std::string setting = init.substr(at, kWaitSettingLength);
    while (!setting.empty() && !isDigit(setting.back())) {
        setting.pop_back();
    }
    if (setting.size() < kLeastWaitSettingLength) {
        return kDefaultDialWait;
    }
    const std::string digits = setting.substr(std::string(kWaitRegister).size());
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) {
        return kDefaultDialWait;
    }
    return std::max(std::stoi(digits), kLeastDialWait);
}

std::string sendHeaderLine(const std::string& name, const std::string& fax, const std::string& date,
                           const std::string& time) {
    std::string line = "Sent";
    if (!trimmed(name + fax).empty()) {
        line += " by";
    }
    if (!name.empty()) {
        line += ": " + name + "    ";
    }
    if (!fax.empty()) {
        line += "         $I          ";
    }
    line += "           " + date + "    " + time + "              Page $P of $N";
    return line;
}

std::vector<std::string> configurationLines(const Settings& s, int portNumber) {
    std::vector<std::string> lines = {
        "Communications Port: COM" + std::to_string(portNumber),
        std::string("Fax Class: ") + faxClassName(s.modem.faxClass),
        "Transfer Rate: " + std::to_string(s.modem.maximumBps),
        std::string("Dialing with: ") + (s.dialing.toneOrPulse == 0 ? "Tone" : "Pulse"),
        "Modem Init String: " + s.modem.initString,
        "Modem Reset String: " + s.resetting.string,
        "Post Reset String: " + s.resetting.afterString,
        "Station ID (Fax #): " + s.user.fax,
        "Dial Attempts: " + std::to_string(s.dialing.dialAttempts),
        "Retry in: " + std::to_string(s.dialing.retryWait) + " seconds",
    };
    if (s.dialing.blindDial) {
        lines.emplace_back("Blind Dial is ACTIVE");
    }
    if (s.dialing.ignoreBusy) {
        lines.emplace_back("Ignore Busy is ACTIVE");
    }
    if (s.dialing.ecm) {
        lines.emplace_back("Using Error Correction");
    }
    return lines;
}

std::string sendResultText(ErrorCode code) {
    if (code == ecOK) {
        return kSentResult;
    }
    const std::string text = errorText(code);
    return upper(trimmed(text)) == "OK" ? kSentResult : text;
}

bool resultCountsAsSent(const std::string& result) {
    const std::string word = upper(result);
    return word == "SENT" || word == "OK";
}

std::string portNotOpenedMessage(const std::string& portText, int portNumber) {
    return portText + "\r\n\r\n" + findModemAdvice(portNumber);
}

std::string noModemMessage(int portNumber) {
    const std::string number = std::to_string(portNumber);
    return "We did not receive a modem response from COM" + number +
           ".\r\n\r\nTo verify the communications port, please click on the Find Modem button on "
           "the Preferences screen.\r\n\r\nIf you are sure there is a modem on COM" +
           number + ", press CONTINUE\r\nto continue, otherwise press OK to stop the fax session.";
}

std::string resetRefusedMessage(const std::string& resetString, int portNumber) {
    return "We are unable to continue the fax session. \r\n\r\nThe modem did not respond to the "
           "reset string:   (" +
           resetString + ")\r\n\r\n" + findModemAdvice(portNumber);
}

std::string faxFailureMessage(const std::string& resultText) {
    return "We have received an error message while trying to send the fax\r\n\r\nError message: " +
           resultText + "\r\n\r\n";
}

}  // namespace px
