// The sender information over the settings record.
#include <gtest/gtest.h>

#include "cover/sender/sender_info.h"

namespace px {
namespace {

TEST(SenderInfo, ValuesAreCutToTheirLimitsAtCharacterBoundaries) {
    UserSettings user;
    user.name = std::string(40, 'n');
    user.company = std::string(34, 'c') + "\xC3\xA9\xC3\xA9";  // 36 characters, é é
    user.fax = "+44 20 7946 0321 ext 99";
    user.voice = "555";
    const TSenderInfo info = TSenderInfo::fromSettings(user);
    EXPECT_EQ(info.name, std::string(35, 'n'));
    EXPECT_EQ(info.company, std::string(34, 'c') + "\xC3\xA9");
    EXPECT_EQ(info.fax, "+44 20 7946 0321 ext");
    EXPECT_EQ(info.voice, "555");
    UserSettings back;
    back.prefixDisable = true;
    TSenderInfo{std::string(50, 'x'), "co", "fax", "voice"}.storeIn(back);
    EXPECT_EQ(back.name, std::string(35, 'x'));
    EXPECT_EQ(back.company, "co");
    EXPECT_TRUE(back.prefixDisable);  // the other [User] keys stay as they were
}

TEST(SenderInfo, HintNamesTheValuesOrSaysThereAreNone) {
    EXPECT_EQ(senderInfoHint(TSenderInfo{}), "No sender information entered");
    EXPECT_EQ(senderInfoHint(TSenderInfo{"Ada", "", "555 1", ""}), "Ada\n555 1");
    EXPECT_EQ(senderInfoHint(TSenderInfo{"", "", "", "9"}), "9");
}

}  // namespace
}  // namespace px
