// The modem's result words: one table row per case, and a mutation test of
// the parser, which reads outside input.
#include <gtest/gtest.h>

#include <random>

#include "fax/engine/px_modem_result.h"

namespace px {
namespace {

using W = TModemResult;
constexpr TFaxClass k2 = TFaxClass::fcClass2;
constexpr TFaxClass k20 = TFaxClass::fcClass2_0;
constexpr TFaxClass k1 = TFaxClass::fcClass1;

struct Row {
    const char* line;
    TFaxClass faxClass;
    TModemResult expected;
};

const Row kRows[] = {
    // Results as modems send them: CR LF and blanks around, suffixes.
    {"\r\nOK\r\n", k1, W::kOK},
    {"OK", k2, W::kOK},
    {"  OK \t", k20, W::kOK},
    {"\r\nNO CARRIER\r\n", k1, W::kNoCarrier},
    {"ERROR", k1, W::kError},
    {"\r\n+FCERROR\r\n", k1, W::kFcError},
    {"CONNECT", k1, W::kConnect},
    {"CONNECT 9600", k1, W::kConnect},
    {"CONNECT 2400", k2, W::kConnect},
    {"CONNECT 14400/REL", k1, W::kConnect},
    {"RING", k1, W::kRing},
    {"RING 2", k1, W::kRing},
    {"BUSY", k1, W::kBusy},
    {"NO DIALTONE", k1, W::kNoDialTone},
    {"NO DIAL TONE", k1, W::kNoDialTone},
    {"NO ANSWER", k1, W::kNoAnswer},
    {"VOICE", k1, W::kVoice},
    {"VCON", k2, W::kVoice},
    // Lines that merely contain a word: informational lines, caller ID,
    // echoes, answers to queries.
    {"CARRIER 9600", k1, W::kNone},
    {"CARRIER", k1, W::kNone},
    {"NO CARRIER DETECTED", k1, W::kNone},
    {"OK FAX", k1, W::kNone},
    {"BROOKS FAX OK", k2, W::kNone},
    {"NAME = OKONKWO", k1, W::kNone},
    {"NAME = CONNECTICUT GAS", k1, W::kNone},
    {"NAME = KRINGLE", k1, W::kNone},
    {"RINGING", k1, W::kNone},
    {"RINGBACK", k1, W::kNone},
    {"CONNECTED", k1, W::kNone},
    {"NO ERRORS", k1, W::kNone},
    {"ERRORS", k1, W::kNone},
    {"BUSY LINE", k1, W::kNone},
    {"VOICE MAIL", k1, W::kNone},
    {"PROTOCOL: NONE", k1, W::kNone},
    {"AT+FCLASS=1", k1, W::kNone},
    {"0,1,2,2.0", k1, W::kNone},
    {"24,48,72,96", k1, W::kNone},
    {"", k1, W::kNone},
    {"\r\n", k1, W::kNone},
    {"ok", k1, W::kNone},
    // Class 2 "+F" lines, by their words.
    {"+FCON", k2, W::kFcon},
    {"+FDCS:0,3,0,2,0,0,0,0", k2, W::kFdcs},
    {"+FDCS=1,5,0,2,0,0,0,0", k2, W::kFdcs},
    {"+FDCS: 1,5,0,2,0,0,0,0", k2, W::kFdcs},
    {"+FDIS:1,5,0,2,0,0,0,0", k2, W::kFdis},
    {"+FTSI: \"SENDER\"", k2, W::kFtsi},
    {"+FCSI: \"REMOTE\"", k2, W::kFcsi},
    {"+FCSI: \"OK FAX\"", k2, W::kFcsi},
    {"+FCSI: \"NO CARRIER\"", k2, W::kFcsi},
    {"+FCSI: \"ERROR\"", k2, W::kFcsi},
    {"+FCSI: \"+FHNG:0\"", k2, W::kFcsi},
    {"+FPTS:1", k2, W::kFpts},
    {"+FET:0", k2, W::kFet},
    {"+FHNG:0", k2, W::kFhng},
    {"+FHNG: 50", k2, W::kFhng},
    // Class 2.0 spellings, and the other class's spelling is no result.
    {"+FCO", k20, W::kFcon},
    {"+FCS:0,3,0,2,0,0,0,0", k20, W::kFdcs},
    {"+FIS:1,5,0,2,0,0,0,0", k20, W::kFdis},
    {"+FTI: \"SENDER\"", k20, W::kFtsi},
    {"+FCI: \"REMOTE\"", k20, W::kFcsi},
    {"+FCI: \"FHS 1\"", k20, W::kFcsi},
    {"+FPS:1,0,0,0,0", k20, W::kFpts},
    {"+FET:2", k20, W::kFet},
    {"+FHS:00", k20, W::kFhng},
    {"+FHNG:0", k20, W::kNone},
    {"+FHS:00", k2, W::kNone},
    {"+FCON", k20, W::kNone},
    {"+FCO", k2, W::kNone},
    // "+F" lines that are no result here.
    {"+FNSS:00 11 22", k2, W::kNone},
    {"+FCIG: \"X\"", k2, W::kNone},
    {"+FCONX", k2, W::kNone},
    {"+FCON1", k2, W::kNone},
    {"+F", k2, W::kNone},
    {"+FCERRORS", k1, W::kNone},
    {"X+FCON", k2, W::kNone},
};

TEST(ModemResult, EachLineIsTheResultOfItsWholeWord) {
    for (const Row& row : kRows) {
        EXPECT_STREQ(modemResultName(modemResult(row.line, row.faxClass)),
                     modemResultName(row.expected))
            << testing::PrintToString(std::string(row.line)) << " in class "
            << static_cast<int>(row.faxClass);
    }
}

TEST(ModemResult, ErrorsAreErrorAndFcerror) {
    EXPECT_TRUE(isErrorResult(W::kError));
    EXPECT_TRUE(isErrorResult(W::kFcError));
    EXPECT_FALSE(isErrorResult(W::kNoCarrier));
    EXPECT_FALSE(isErrorResult(W::kNone));
}

TEST(ModemResult, ParametersStationIdsAndHangupCodes) {
    EXPECT_EQ(resultParameters("+FPTS: 1,2"), "1,2");
    EXPECT_EQ(resultParameters("+FDCS=0,3"), "0,3");
    EXPECT_EQ(resultParameters("OK"), "");
    EXPECT_EQ(resultStationId("+FCSI: \" OK FAX \""), "OK FAX");
    EXPECT_EQ(hangupCode("+FHNG:50"), 50);
    EXPECT_EQ(hangupCode("+FHNG: 2"), 2);
    EXPECT_EQ(hangupCode("\r\n+FHNG 70\r\n"), 70);
    EXPECT_EQ(hangupCode("+FHS:00"), 0);
    EXPECT_EQ(hangupCode("+FHS:"), -1);
    EXPECT_EQ(hangupCode("OK"), -1);
}

// Random damage to real result lines, and lines of random bytes: every
// mutant is a result or none, and its parameters are never longer than the
// line. (The test's time-out catches a parser that stops making progress.)
TEST(ModemResultMutation, DamagedLinesGiveAResultOrNone) {
    const std::string seeds[] = {
        "\r\nOK\r\n",   "CONNECT 9600", "\r\nNO CARRIER\r\n",    "+FCSI: \"OK FAX\"",
        "+FHNG:50",     "+FHS:00",      "+FDCS:1,5,0,2,0,0,0,0", "+FCERROR",
        "NO DIAL TONE", "RING 2"};
    std::mt19937 rng(3);
    for (int round = 0; round < 50000; ++round) {
        std::string line = seeds[static_cast<size_t>(round) % std::size(seeds)];
        if (round % 50 == 0) {
            line.assign(rng() % 4096, '\0');  // long lines of anything
            for (char& c : line) {
                c = static_cast<char>(rng());
            }
        }
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !line.empty(); ++e) {
            const size_t at = rng() % line.size();
            switch (rng() % 5) {
                case 0:
                    line[at] = static_cast<char>(rng());
                    break;
                case 1:
                    line.erase(at, 1);
                    break;
                case 2:
                    line.insert(at, 1, "+F:= /\r\n\""[rng() % 9]);
                    break;
                case 3:
                    line.insert(at, 1, static_cast<char>('A' + rng() % 26));
                    break;
                default:
                    line.resize(at);
                    break;
            }
        }
        for (TFaxClass c : {k1, k2, k20}) {
            const TModemResult r = modemResult(line, c);
            ASSERT_LT(static_cast<int>(r), static_cast<int>(W::kCount))
                << testing::PrintToString(line);
        }
        ASSERT_LE(resultParameters(line).size(), line.size());
        ASSERT_LE(resultStationId(line).size(), line.size());
        const int code = hangupCode(line);
        ASSERT_GE(code, -1);
        ASSERT_LT(code, 10000);
    }
}

}  // namespace
}  // namespace px
