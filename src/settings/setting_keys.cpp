#include "settings/setting_keys.h"

#include <climits>

#include "common/px_limits.h"
#include "settings/file_names.h"
#include "settings/ini_file.h"
#include "settings/port_choices.h"
#include "settings/px_settings.h"

namespace px {

namespace {

using T = SettingType;

constexpr int kMaxFaxClass = static_cast<int>(FaxClassSetting::Class2_0);
constexpr int kMaxAnswerRing = 8;

constexpr SettingRule kString{T::String};
constexpr SettingRule kBoolean{T::Boolean};
constexpr SettingRule kCount{T::Integer, 0, INT_MAX};
constexpr SettingRule kCoordinate{T::Integer, INT_MIN, INT_MAX};
constexpr SettingRule kStationId{T::String, 0, 0, kStationIdLength};
constexpr SettingRule kModemString{T::String, 0, 0, kModemStringLength};
constexpr SettingRule kFaxClass{T::Integer, 0, kMaxFaxClass};
constexpr SettingRule kRate{T::TransferRate};

constexpr SettingKey kMainKeys[] = {
    {"User", "Name", kString},
    {"User", "Fax", kStationId},
    {"User", "Voice", kString},
    {"User", "Company", kString},
    {"User", "PrefixDisable", kBoolean},
    {"User", "SuffixDisable", kBoolean},
    {"Dialing", "DialPrefix", kModemString},
    {"Dialing", "DialSuffix", kString},
    {"Dialing", "DialAttempts", kCount},
    {"Dialing", "RetryWait", kCount},
    {"Dialing", "BlindDial", kBoolean},
    {"Dialing", "IgnoreBusy", kBoolean},
    {"Dialing", "ToneOrPulse", {T::Integer, 0, 1}},
    {"Dialing", "Timeout", kCount},
    {"Dialing", "ECM", kBoolean},
    {"Modem", "ComPort", {T::Integer, -1, kMaxPortNumber - 1}},
    {"Modem", "FaxClass", kFaxClass},
    {"Modem", "MaximumBPS", kRate},
    {"Modem", "InitString", kModemString},
    {"Modem", "RenegotiateBetween", kBoolean},
    {"Modem", "InitStringReceive", kModemString},
    {"Modem", "FaxClassReceive", kFaxClass},
    {"Modem", "MaximumBPSReceive", kRate},
    {"Resetting", "String", kModemString},
    {"Resetting", "AfterString", kModemString},
    {"Receive", "AtStartup", kBoolean},
    {"Receive", "AnswerOnRing", {T::Integer, 1, kMaxAnswerRing}},
    {"Receive", "ECMReceive", kBoolean},
    {"Receive", "Wav", kString},
    {"Receive", "PrintOnReceipt", kBoolean},
    {"Receive", "PrintOnReceiptPrinter", kString},
    {"Receive", "Command", kString},
    {"Receive", "KeepReceivingInTray", kBoolean},
    {"Hints", "On", kBoolean},
    {"Version", "Version", {T::String, 0, 0, 0, true}},
};

constexpr SettingKey kOtherKeys[] = {
    {"Printing", "MultiPage", kBoolean},
    {"Printing", "Header", kBoolean},
    {"Printing", "Footer", kBoolean},
    {"CD Default Font", "Name", kString},
    {"CD Default Font", "Size", {T::Integer, 1, SHRT_MAX}},
    {"CD Default Font", "Bold", kBoolean},
    {"CD Default Font", "Italic", kBoolean},
    {"CD Default Font", "Underline", kBoolean},
};

// Keys of every "<form>_Placement" section; the section is the form's own.
constexpr SettingKey kPlacementKeys[] = {
    {"", "Left", kCoordinate},   {"", "Top", kCoordinate},    {"", "Right", kCoordinate},
    {"", "Bottom", kCoordinate}, {"", "Maximized", kBoolean},
};

constexpr std::string_view kPlacementSuffix = "_Placement";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isPlacementSection(std::string_view section) {
    while (!section.empty() && isDigit(section.back()))
        section.remove_suffix(1);
    return section.size() > kPlacementSuffix.size() &&
           equalNoCase(section.substr(section.size() - kPlacementSuffix.size()), kPlacementSuffix);
}

// A key "<prefix><n>" with n from first to last, such as CDMRU/F0 or Ports/COM3.
std::optional<NamedSetting> numberedKey(const char* section, std::string_view key,
                                        std::string_view prefix, int first, int last) {
    if (key.size() <= prefix.size() || !equalNoCase(key.substr(0, prefix.size()), prefix))
        return std::nullopt;
    const std::string_view digits = key.substr(prefix.size());
    if (digits.size() > 4 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < first || n > last)
        return std::nullopt;
    return NamedSetting{section, std::string(prefix) + std::to_string(n), kString};
}

std::optional<NamedSetting> findIn(std::span<const SettingKey> keys, std::string_view section,
                                   std::string_view key) {
    for (const SettingKey& k : keys)
        if (equalNoCase(k.section, section) && equalNoCase(k.key, key))
            return NamedSetting{k.section, k.key, k.rule};
    return std::nullopt;
}

std::string rateList() {
    std::string out;
    for (std::size_t i = 0; i < kTransferRates.size(); ++i) {
        if (i > 0)
            out += i + 1 == kTransferRates.size() ? " or " : ", ";
        out += std::to_string(kTransferRates[i]);
    }
    return out;
}

std::string keysOf(std::string_view section) {
    std::string out;
    for (const SettingKey& k : kMainKeys)
        if (equalNoCase(k.section, section) && !k.rule.writtenOnly)
            out += (out.empty() ? "" : ", ") + std::string(k.key);
    return out;
}

std::string unknownSetting(std::string_view section, std::string_view key) {
    const std::string name = std::string(section) + "/" + std::string(key);
    if (isMainSettingsSection(section))
        return "PX.INI has no setting " + name + " (the keys of [" + std::string(section) +
               "] are " + keysOf(section) + ")";
    return "PX.INI has no setting " + name;
}

}  // namespace

std::span<const SettingKey> mainSettingKeys() {
    return kMainKeys;
}

bool isMainSettingsSection(std::string_view section) {
    for (const SettingKey& k : kMainKeys)
        if (equalNoCase(k.section, section))
            return true;
    return false;
}

std::optional<NamedSetting> findSetting(std::string_view section, std::string_view key) {
    if (auto found = findIn(kMainKeys, section, key))
        return found;
    if (auto found = findIn(kOtherKeys, section, key))
        return found;
    if (isPlacementSection(section)) {
        auto found = findIn(kPlacementKeys, "", key);
        if (found)
            found->section = std::string(section);
        return found;
    }
    if (equalNoCase(section, "CDMRU"))
        return numberedKey("CDMRU", key, "F", 0, static_cast<int>(RecentTemplates::kMax) - 1);
    if (equalNoCase(section, "Ports"))
        return numberedKey("Ports", key, "COM", 1, kMaxPortNumber);
    return std::nullopt;
}

std::optional<std::string> settingValueProblem(std::string_view section, std::string_view key,
                                               std::string_view value) {
    const auto setting = findSetting(section, key);
    if (!setting)
        return unknownSetting(section, key);
    const std::string name = setting->section + "/" + setting->key;
    const SettingRule& rule = setting->rule;
    const std::string shown = "\"" + std::string(value) + "\"";
    if (rule.writtenOnly)
        return name + " is written by Parvex itself and cannot be set";
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return name + " cannot hold a line break";
    switch (rule.type) {
        case T::String: {
            const std::size_t limit =
                rule.maxLength != 0 ? rule.maxLength : IniFile::kMaxValueLength;
            if (value.size() > limit)
                return name + " holds at most " + std::to_string(limit) + " characters, not " +
                       std::to_string(value.size());
            return std::nullopt;
        }
        case T::Boolean:
            if (value != "0" && value != "1")
                return name + " is 0 (off) or 1 (on), not " + shown;
            return std::nullopt;
        case T::Integer: {
            const auto n = parseIniInteger(value);
            if (!n || *n < rule.min || *n > rule.max) {
                if (rule.min == INT_MIN)
                    return name + " is a whole number, not " + shown;
                if (rule.max == INT_MAX)
                    return name + " is a whole number from " + std::to_string(rule.min) +
                           " up, not " + shown;
                return name + " is a whole number from " + std::to_string(rule.min) + " to " +
                       std::to_string(rule.max) + ", not " + shown;
            }
            return std::nullopt;
        }
        case T::TransferRate: {
            const auto n = parseIniInteger(value);
            for (int rate : kTransferRates)
                if (n && *n == rate)
                    return std::nullopt;
            return name + " is one of " + rateList() + ", not " + shown;
        }
    }
    return std::nullopt;
}

}  // namespace px
