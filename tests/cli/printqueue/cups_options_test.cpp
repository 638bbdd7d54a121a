#include "cli/printqueue/cups_options.h"

#include <gtest/gtest.h>

#include <random>

namespace px {
namespace {

TEST(CupsOptions, NamesValuesQuotesAndEscapes) {
    const auto options = parseCupsOptions(
        "fax-number=5550100 finishings=3  fax-recipient='Ada Lovelace' landscape "
        "title=\"say \\\"hi\\\"\" path=a\\ b\\\\c empty= fax-number=5550199");
    EXPECT_EQ(options.at("fax-number"), "5550199");  // the last one counts
    EXPECT_EQ(options.at("fax-recipient"), "Ada Lovelace");
    EXPECT_EQ(options.at("landscape"), "true");
    EXPECT_EQ(options.at("title"), "say \"hi\"");
    EXPECT_EQ(options.at("path"), "a b\\c");
    EXPECT_EQ(options.at("empty"), "");
    EXPECT_EQ(options.at("finishings"), "3");
}

TEST(CupsOptions, BrokenInputEndsCleanly) {
    EXPECT_TRUE(parseCupsOptions("").empty());
    EXPECT_TRUE(parseCupsOptions("   =x  =").empty());
    EXPECT_EQ(parseCupsOptions("a='unterminated b=2").at("a"), "unterminated b=2");
    EXPECT_EQ(parseCupsOptions("a=\\").at("a"), "\\");
    EXPECT_EQ(parseCupsOptions("a=x\\").at("a"), "x\\");
}

// Mutated option strings: every name and value comes from the input, no
// value is longer than the input, and a long string is cut at the limit.
TEST(CupsOptions, MutatedInputsStayWithinTheInput) {
    std::mt19937 random(55);
    const std::string seed = "fax-number=5550100 fax-recipient='A \"B\"' x=\\' job-uuid=urn:1";
    for (int round = 0; round < 4000; ++round) {
        std::string text = seed;
        for (int e = 0; e < 6; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            text.insert(at, 1, "='\" \\ab\0"[random() % 8]);
        }
        for (const auto& [name, value] : parseCupsOptions(text)) {
            ASSERT_FALSE(name.empty());
            ASSERT_LE(name.size() + (value == "true" ? 0 : value.size()), text.size());
        }
    }
    const std::string huge(3 * kMaxCupsOptionsBytes, 'a');
    const auto options = parseCupsOptions("n=" + huge);
    ASSERT_EQ(options.size(), 1U);
    EXPECT_EQ(options.at("n").size(), kMaxCupsOptionsBytes - 2);
}

}  // namespace
}  // namespace px
