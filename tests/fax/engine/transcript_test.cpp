// The transcript matcher the scripted-modem tests stand on: what the engine
// writes between two steps must be exactly the next step's bytes.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "scripted_modem.h"

namespace px {
namespace {

using test::Exchange;
using test::Transcript;

std::vector<std::string> feed(Transcript& t, const std::string& bytes) {
    return t.feed(bytes.data(), bytes.size());
}

std::vector<Exchange> dialScript() {
    return {EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"), EXCHANGE("ATDT5551234\r", "\r\nCONNECT\r\n")};
}

TEST(Transcript, AnswersEachStepOnceItsBytesAreComplete) {
    Transcript t(dialScript());
    EXPECT_TRUE(feed(t, "AT+FCL").empty());
    EXPECT_EQ(feed(t, "ASS=1\rATDT"), (std::vector<std::string>{"\r\nOK\r\n"}));
    EXPECT_EQ(feed(t, "5551234\r"), (std::vector<std::string>{"\r\nCONNECT\r\n"}));
    EXPECT_EQ(t.remaining(), 0u);
    EXPECT_EQ(t.failure(), "");
}

TEST(Transcript, RejectsAStrayCommandBeforeTheExpectedOne) {
    Transcript t(dialScript());
    feed(t, "AT+FCLASS=1\r");
    // The matcher used to find "ATDT..." further on and throw the stray
    // command away; now the step fails and is not answered.
    EXPECT_TRUE(feed(t, "ATX3\rATDT5551234\r").empty());
    EXPECT_EQ(t.remaining(), 1u);
    EXPECT_EQ(t.failure(),
              "step 2 of 2: the engine wrote \"ATX3\\rATDT5551234\\r\" where "
              "\"ATDT5551234\\r\" was expected (first difference at octet 2)");
    // Nothing is answered after the first difference.
    EXPECT_TRUE(feed(t, "ATDT5551234\r").empty());
}

TEST(Transcript, RejectsAWrongCommandAndAnythingAfterTheLastStep) {
    Transcript wrong(dialScript());
    EXPECT_TRUE(feed(wrong, "AT+FCLASS=2\r").empty());
    EXPECT_NE(wrong.failure().find("step 1 of 2"), std::string::npos) << wrong.failure();

    Transcript extra({EXCHANGE("ATH\r", "\r\nOK\r\n")});
    feed(extra, "ATH\r");
    EXPECT_EQ(extra.failure(), "");
    feed(extra, "ATH0\r");
    EXPECT_EQ(extra.failure(), "the script has ended, yet the engine wrote \"ATH0\\r\"");
}

TEST(Transcript, AFillAllowsUpToItsZerosBeforeTheExpectedBytes) {
    for (size_t zeros : {size_t{0}, size_t{3}, size_t{5}}) {
        Transcript t({Exchange{std::string("\0\x07", 2), "go", 5}});
        EXPECT_EQ(feed(t, std::string(zeros, '\0') + std::string("\0\x07", 2)),
                  (std::vector<std::string>{"go"}))
            << zeros;
        EXPECT_EQ(t.failure(), "") << zeros;
    }
    Transcript tooMany({Exchange{"\x07", "go", 2}});
    EXPECT_TRUE(feed(tooMany, std::string(3, '\0') + "\x07").empty());
    EXPECT_NE(tooMany.failure(), "");
}

TEST(ScriptedModem, AStrayCommandFailsTheRunningTest) {
    test::ScriptedModem modem(dialScript());
    const std::string good = "AT+FCLASS=1\r";
    modem.write(reinterpret_cast<const uint8_t*>(good.data()), good.size());
    const std::string stray = "AT+FAA=1\rATDT5551234\r";
    EXPECT_NONFATAL_FAILURE(
        modem.write(reinterpret_cast<const uint8_t*>(stray.data()), stray.size()),
        "the engine wrote \"AT+FAA=1\\rATDT5551234\\r\" where \"ATDT5551234\\r\" was expected");
    EXPECT_EQ(modem.remaining(), 1u);
}

}  // namespace
}  // namespace px
