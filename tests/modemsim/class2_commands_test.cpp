#include <gtest/gtest.h>

#include <random>

#include "at_command_line.h"
#include "class2_modem.h"

namespace px {
namespace {

using Op = AtCommand::Op;

TEST(AtCommandLine, SplitsALineIntoItsCommands) {
    struct Row {
        const char* line;
        std::vector<AtCommand> want;
    };
    const Row rows[] = {
        {"AT", {}},
        {"at e0 v1", {{"E", Op::Exec, "0"}, {"V", Op::Exec, "1"}}},
        {"ATE0Q0V1X4S0=0S2=43",
         {{"E", Op::Exec, "0"},
          {"Q", Op::Exec, "0"},
          {"V", Op::Exec, "1"},
          {"X", Op::Exec, "4"},
          {"S0", Op::Set, "0"},
          {"S2", Op::Set, "43"}}},
        {"AT+FCLASS=?", {{"+FCLASS", Op::Test, ""}}},
        {"AT+FCLASS=2.0", {{"+FCLASS", Op::Set, "2.0"}}},
        {"AT+fclass?", {{"+FCLASS", Op::Query, ""}}},
        {"AT+FLI=\"abc;Def\";+FLO=2", {{"+FLI", Op::Set, "\"abc;Def\""}, {"+FLO", Op::Set, "2"}}},
        {"ATDT 555-1234", {{"D", Op::Exec, "T555-1234"}}},
        {"AT&F&C1S7?", {{"&F", Op::Exec, ""}, {"&C", Op::Exec, "1"}, {"S7", Op::Query, ""}}},
        {"AT+FDT", {{"+FDT", Op::Exec, ""}}},
    };
    for (const Row& row : rows) {
        auto got = parseAtLine(row.line);
        ASSERT_TRUE(got.has_value()) << row.line;
        EXPECT_EQ(*got, row.want) << row.line;
    }
    for (const char* bad : {"", "A", "XT", "AT+", "AT#", "AT&", "ATS=1"}) {
        EXPECT_FALSE(parseAtLine(bad).has_value()) << bad;
    }
}

TEST(FaxParameters, ParseFormatAndRanges) {
    FaxParameters p;
    EXPECT_TRUE(p.parse("0,3,1,2,0,1,0,4"));
    EXPECT_EQ(p.format(), "0,3,1,2,0,1,0,4");
    EXPECT_EQ(p.bitRate(), 9600);
    // Empty fields keep their value; a short list changes only the first ones.
    EXPECT_TRUE(p.parse("1,,0"));
    EXPECT_EQ(p.format(), "1,3,0,2,0,1,0,4");
    FaxParameters before = p;
    for (const char* bad : {"2", "0,6", "a", "1,2,3,4,5,6,7,8,9", "-1"}) {
        EXPECT_FALSE(p.parse(bad)) << bad;
        EXPECT_EQ(p.format(), before.format()) << bad;
    }
    for (int rate : {2400, 4800, 7200, 9600, 12000, 14400}) {
        FaxParameters q;
        q.br = FaxParameters::brForRate(rate);
        EXPECT_EQ(q.bitRate(), rate);
    }
}

TEST(FaxParameters, ReadsTheRemoteCapabilitiesFromDis) {
    // Address, control, FCF, then the information field as on the line.
    const uint8_t v17Fine[] = {0xFF, 0x13, 0x80, 0x00, 0x6E, 0x01};
    FaxParameters p = parametersFromDis(v17Fine, sizeof v17Fine);
    EXPECT_EQ(p.vr, 1);
    EXPECT_EQ(p.br, 5);
    EXPECT_EQ(p.wd, 1);
    const uint8_t v29Standard[] = {0xFF, 0x13, 0x80, 0x00, 0x0E, 0x80, 0x04};
    p = parametersFromDis(v29Standard, sizeof v29Standard);
    EXPECT_EQ(p.vr, 0);
    EXPECT_EQ(p.br, 3);
    EXPECT_EQ(p.wd, 0);
    EXPECT_EQ(p.ec, 1);
    const uint8_t v27[] = {0xFF, 0x13, 0x80, 0x00, 0x0A};
    EXPECT_EQ(parametersFromDis(v27, sizeof v27).br, 1);
    EXPECT_EQ(parametersFromDis(v27, 3).br, 0);
}

TEST(Class2Modem, HangupCodesFollowThePhaseOfTheFailure) {
    EXPECT_EQ(hangupCode(T30_ERR_OK, true), 0);
    EXPECT_EQ(hangupCode(T30_ERR_T1_EXPIRED, true), 11);
    EXPECT_EQ(hangupCode(T30_ERR_CANNOT_TRAIN, true), 27);
    EXPECT_EQ(hangupCode(T30_ERR_TX_PHDDEAD, true), 54);
    EXPECT_EQ(hangupCode(T30_ERR_CALLDROPPED, false), 100);
    EXPECT_EQ(hangupCode(T30_ERR_RX_NOCARRIER, false), 70);
}

class NullListener : public LineListener {
public:
    void onDial(SimModem&, const std::string&) override { ++dials; }
    void onAnswer(SimModem&) override {}
    void onHangup(SimModem&) override {}
    int dials = 0;
};

// Random command lines and bytes give results or ERROR, never a crash or a hang.
TEST(Class2Modem, MutatedCommandInputIsAnsweredCleanly) {
    PtyPort port("T", "");
    NullListener listener;
    Class2Modem modem(port, listener, true, false);
    const std::vector<std::string> pieces = {
        "AT",   "+FCLASS", "=?", "=",     "2.0",  "?",    "+FIS", "1,5,0,2,0,0,0,0",
        "+FLI", "\"x\"",   ";",  "E0",    "S0",   "D",    "H",    "+FDT",
        "+FDR", "+FET",    "2",  "\x10",  "\x03", "+FKS", ",",    " ",
        "Z",    "&F",      "A",  "+FPS?", "\xff", "+FCC"};
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::string line;
        int n = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) {
            line += pieces[random() % pieces.size()];
        }
        line += '\r';
        modem.fromDte(reinterpret_cast<const uint8_t*>(line.data()), line.size());
        if (port.pendingOutput() > 1 << 20) {
            port.close();
            break;
        }
    }
}

}  // namespace
}  // namespace px
