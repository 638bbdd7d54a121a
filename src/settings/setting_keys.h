// What each key of PX.INI can hold: its type, the range of an integer, the
// longest text of a string. Used to refuse a value before it is written, so
// that a setting never silently reads back as its default.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace px {

enum class SettingType { String, Integer, Boolean, TransferRate };

struct SettingRule {
    SettingType type = SettingType::String;
    int min = 0;                // Integer: smallest value
    int max = 0;                // Integer: largest value
    std::size_t maxLength = 0;  // String: longest text; 0 = what a read keeps
    bool writtenOnly = false;   // the program writes it and never reads it
};

struct SettingKey {
    const char* section;
    const char* key;
    SettingRule rule;
};

// A setting as the program spells it.
struct NamedSetting {
    std::string section;
    std::string key;
    SettingRule rule;
};

// Keys of the main sections (User, Dialing, Modem, Resetting, Receive, Hints,
// Version): the ones the settings record reads and writes whole on every save.
std::span<const SettingKey> mainSettingKeys();
bool isMainSettingsSection(std::string_view section);

// The setting, ignoring letter case: a main key, a key of [Printing],
// [CD Default Font], [CDMRU] or [Ports], or of a window placement section
// ("<form>_Placement", with or without a resolution after it). Nothing when
// PX.INI has no such setting.
std::optional<NamedSetting> findSetting(std::string_view section, std::string_view key);

// Why the value cannot be stored under section/key, or nothing when it can:
// an unknown setting, a key the program only writes, a line break, a string
// that is too long, an integer that is not a number or out of range, a
// boolean other than "0" or "1", a transfer rate that is not one of the six.
std::optional<std::string> settingValueProblem(std::string_view section, std::string_view key,
                                               std::string_view value);

}  // namespace px
