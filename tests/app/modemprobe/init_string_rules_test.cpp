// The init string helper's reading of an existing string and the strings it
// builds.
#include "app/modemprobe/init_string_rules.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(InitStringRules, ASportsterStringReadsBackAndIsRebuiltPieceForPiece) {
    const QString text = "AT&H3&I2&R2S7=120S36=8";
    const TInitStringChoice read = readInitString(text);
    EXPECT_EQ(read.modemType, TModemType::SportsterLate336);
    EXPECT_TRUE(read.longCarrierWait);
    EXPECT_EQ(initStringResult(TInitStringAnswer::Ok, "", read, true), text);
}

TEST(InitStringRules, TheModemTypeFollowsTheMostTellingSetting) {
    struct Case {
        const char* text;
        TModemType type;
    };
    const Case cases[] = {
        {"", TModemType::HayesOrUnknown},
        {"AT&F&C1&D2&K3S7=65", TModemType::HayesOrUnknown},
        {"at&h3&i2&r2s7=90", TModemType::USRoboticsOrWinModem},
        {"AT&H3&I2&R2S7=90S36=0", TModemType::SportsterEarly},
        // S36=8 is in both late Sportster strings; S33=34 tells the X2 apart.
        {"AT&H3&I2&R2S7=90S36=8S33=34", TModemType::SportsterX2},
        {"AT&H3&I2&R2S7=90S36=8", TModemType::SportsterLate336},
        {"AT&F&C1&D2\\Q3S7=65", TModemType::CirrusLogicOrATT},
        // S36=0 wins over everything else in the string.
        {"AT&F\\Q3S33=34S36=0", TModemType::SportsterEarly},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readInitString(c.text).modemType, c.type) << c.text;
    }
}

TEST(InitStringRules, ALongCarrierWaitIsOneAboveTheModemsUsualWait) {
    struct Case {
        const char* text;
        bool longWait;
    };
    const Case cases[] = {
        {"AT&F", false},
        {"ATS7=65", false},
        {"ATS7=66", true},
        // With USRobotics flow control 90 s is still the usual wait.
        {"AT&H3S7=90", false},
        {"AT&H3S7=91", true},
        {"ats7=120", true},
        // Only three digits count: S7=1000 reads as 100.
        {"ATS7=1000", true},
        {"AT&H3S7=0900", false},
        // Digits end at the first other character.
        {"ATS7=7X", false},
        {"ATS7=", false},
        {"ATS7=X99", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readInitString(c.text).longCarrierWait, c.longWait) << c.text;
    }
}

TEST(InitStringRules, OkBuildsTheTypesStringWithTheWaitForTheDirection) {
    struct Case {
        TModemType type;
        bool longWait;
        bool sending;
        const char* text;
    };
    const Case cases[] = {
        {TModemType::HayesOrUnknown, false, true, "AT&F&C1&D2&K3S7=65"},
        {TModemType::HayesOrUnknown, true, true, "AT&F&C1&D2&K3S7=120"},
        {TModemType::USRoboticsOrWinModem, false, true, "AT&H3&I2&R2S7=90"},
        {TModemType::SportsterEarly, false, true, "AT&H3&I2&R2S7=90S36=0"},
        {TModemType::SportsterLate336, true, true, "AT&H3&I2&R2S7=120S36=8"},
        {TModemType::SportsterX2, false, true, "AT&H3&I2&R2S7=90S36=8S33=34"},
        {TModemType::CirrusLogicOrATT, false, true, "AT&F&C1&D2\\Q3S7=90"},
        // Receiving always waits the short time.
        {TModemType::SportsterX2, true, false, "AT&H3&I2&R2S7=65S36=8S33=34"},
        {TModemType::HayesOrUnknown, true, false, "AT&F&C1&D2&K3S7=65"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(initStringResult(TInitStringAnswer::Ok, "old", {c.type, c.longWait}, c.sending),
                  c.text);
    }
}

TEST(InitStringRules, CancelKeepsTheOldTextAndLeaveItBlankEmptiesIt) {
    const TInitStringChoice choice{TModemType::SportsterX2, true};
    EXPECT_EQ(initStringResult(TInitStringAnswer::Cancel, "ATZ", choice, true), "ATZ");
    EXPECT_EQ(initStringResult(TInitStringAnswer::LeaveBlank, "ATZ", choice, true), "");
}

TEST(InitStringRules, EveryModemTypeHasItsRowInTheList) {
    const QStringList items = modemTypeItems();
    ASSERT_EQ(items.size(), static_cast<int>(TModemType::CirrusLogicOrATT) + 1);
    // Every string a type builds reads back as that type.
    for (int i = 0; i < items.size(); ++i) {
        const TInitStringChoice choice{static_cast<TModemType>(i), false};
        EXPECT_EQ(readInitString(buildInitString(choice, true)).modemType, choice.modemType)
            << items[i].toStdString();
    }
}

}  // namespace
}  // namespace px
