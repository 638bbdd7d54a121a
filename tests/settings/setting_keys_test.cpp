#include "settings/setting_keys.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "settings/px_settings.h"

namespace px {
namespace {

TEST(SettingKeys, ValuesASettingCannotHoldAreRefusedWithTheReason) {
    struct TRow {
        const char* section;
        const char* key;
        const char* value;
        const char* problem;  // nullptr: accepted
    };
    const std::string longModemString(41, 'Z');
    const std::string longPrefix = "9" + std::string(40, ',');
    const std::string longName(1024, 'a');
    const TRow rows[] = {
        {"Modem", "ComPort", "junk", "Modem/ComPort is a whole number from -1 to 49, not \"junk\""},
        {"Modem", "ComPort", "50", "Modem/ComPort is a whole number from -1 to 49, not \"50\""},
        {"Modem", "ComPort", "-2", "from -1 to 49"},
        {"Modem", "ComPort", "-1", nullptr},
        {"Modem", "ComPort", "0x2", nullptr},
        {"modem", "comport", "3", nullptr},
        {"Modem", "FaxClass", "4", "Modem/FaxClass is a whole number from 0 to 3, not \"4\""},
        {"Modem", "FaxClassReceive", "0", nullptr},
        {"Modem", "MaximumBPS", "9601",
         "Modem/MaximumBPS is one of 2400, 4800, 7200, 9600, 12000 or 14400, not \"9601\""},
        {"Modem", "MaximumBPSReceive", "14400", nullptr},
        {"Receive", "AnswerOnRing", "0", "Receive/AnswerOnRing is a whole number from 1 to 8"},
        {"Receive", "AnswerOnRing", "9", "from 1 to 8"},
        {"Receive", "AnswerOnRing", "8", nullptr},
        {"Dialing", "ToneOrPulse", "2", "from 0 to 1"},
        {"Dialing", "DialAttempts", "-1", "Dialing/DialAttempts is a whole number from 0 up"},
        {"Dialing", "RetryWait", "99999999999", "from 0 up"},
        {"Dialing", "BlindDial", "yes", "Dialing/BlindDial is 0 (off) or 1 (on), not \"yes\""},
        {"Dialing", "BlindDial", "2", "0 (off) or 1 (on)"},
        {"Hints", "On", "0", nullptr},
        {"User", "Fax", "+1 555 0100 200 300 4", "User/Fax holds at most 20 characters, not 21"},
        {"User", "Fax", "+1 555 0100 200 300", nullptr},
        {"Modem", "InitString", longModemString.c_str(), "at most 40 characters, not 41"},
        {"Dialing", "DialPrefix", longPrefix.c_str(), "at most 40"},
        {"Resetting", "AfterString", "ATZ", nullptr},
        {"User", "Name", "Ann\nComPort=3", "User/Name cannot hold a line break"},
        {"User", "Name", longName.c_str(), "at most 1023 characters"},
        {"Modem", "ComPrt", "1",
         "PX.INI has no setting Modem/ComPrt (the keys of [Modem] are "
         "ComPort, FaxClass, MaximumBPS, InitString"},
        {"Version", "Version", "3.0", "Version/Version is written by Parvex itself"},
        {"Modme", "ComPort", "1", "PX.INI has no setting Modme/ComPort"},
        // The sections of other windows stay settable.
        {"TMainScreen_Placement", "Left", "-20", nullptr},
        {"TMainScreen_Placement120", "Maximized", "1", nullptr},
        {"TViewerForm_Placement", "Width", "1", "no setting"},
        {"Printing", "MultiPage", "1", nullptr},
        {"Printing", "Header", "on", "Printing/Header is 0 (off) or 1 (on)"},
        {"CD Default Font", "Size", "12", nullptr},
        {"CD Default Font", "Size", "0", "from 1 to"},
        {"CDMRU", "F4", "/home/ann/Covers/Plain.fct", nullptr},
        {"CDMRU", "F5", "x", "no setting CDMRU/F5"},
        {"Ports", "COM1", "/tmp/ttyFAX0", nullptr},
        {"Ports", "com50", "/dev/ttyUSB0", nullptr},
        {"Ports", "COM51", "/dev/ttyUSB0", "no setting"},
        {"Ports", "COM01", "/dev/ttyUSB0", "no setting"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key + "=" + row.value);
        const auto problem = settingValueProblem(row.section, row.key, row.value);
        if (row.problem == nullptr) {
            EXPECT_FALSE(problem) << *problem;
        } else {
            ASSERT_TRUE(problem);
            EXPECT_NE(problem->find(row.problem), std::string::npos) << *problem;
        }
    }
}

TEST(SettingKeys, SettingsAreSpeltAsTheProgramWritesThem) {
    const auto port = findSetting("modem", "COMPORT");
    ASSERT_TRUE(port);
    EXPECT_EQ(port->section, "Modem");
    EXPECT_EQ(port->key, "ComPort");
    const auto binding = findSetting("ports", "com7");
    ASSERT_TRUE(binding);
    EXPECT_EQ(binding->section + "/" + binding->key, "Ports/COM7");
    const auto placement = findSetting("TDesigner_Placement144", "bottom");
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->section + "/" + placement->key, "TDesigner_Placement144/Bottom");
}

// The table and the settings record cover the same keys.
TEST(SettingKeys, EveryKeyTheRecordWritesIsKnownAndNoOther) {
    IniFile ini;
    Settings{}.save(ini);
    std::size_t written = 0;
    for (const std::string& section : ini.sections()) {
        EXPECT_TRUE(isMainSettingsSection(section)) << section;
        for (const std::string& key : ini.keys(section)) {
            ++written;
            const auto setting = findSetting(section, key);
            ASSERT_TRUE(setting) << section << "/" << key;
            EXPECT_EQ(setting->section, section);
            EXPECT_EQ(setting->key, key);
            if (!setting->rule.writtenOnly) {
                const auto problem = settingValueProblem(section, key, *ini.value(section, key));
                EXPECT_FALSE(problem) << "the default is refused: " << *problem;
            }
        }
    }
    EXPECT_EQ(written, mainSettingKeys().size());
}

// Mutated values: a refusal or an acceptance, and an accepted number reads
// back as the number given, never as the key's default.
TEST(SettingKeysFuzz, AcceptedNumbersReadBackAsGiven) {
    const char* seeds[] = {"0", "1", "-1", "0x2", "9600", "14400", "8", "AT&F", ""};
    const char alphabet[] = "0123456789-+xX \t\r\nA\xff";
    std::mt19937 rng(20261208);
    constexpr int kSentinel = INT_MIN + 7;
    for (int iter = 0; iter < 4000; ++iter) {
        std::string value = seeds[rng() % std::size(seeds)];
        const int edits = static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t pos = rng() % (value.size() + 1);
            if (rng() % 2 == 0 || pos == value.size()) {
                value.insert(pos, 1, alphabet[rng() % (sizeof alphabet - 1)]);
            } else {
                value.erase(pos, 1);
            }
        }
        for (const SettingKey& k : mainSettingKeys()) {
            if (k.rule.type == SettingType::String ||
                settingValueProblem(k.section, k.key, value)) {
                continue;
            }
            IniFile ini;
            ini.writeString(k.section, k.key, value);
            const IniFile back = IniFile::parse(ini.text());
            ASSERT_NE(back.readInteger(k.section, k.key, kSentinel), kSentinel)
                << k.section << "/" << k.key << "=\"" << value << "\"";
            ASSERT_EQ(back.readInteger(k.section, k.key, kSentinel), parseIniInteger(value));
        }
    }
}

}  // namespace
}  // namespace px
