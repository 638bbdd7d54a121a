// Modem talk shared by both directions: class detection, init strings, the
// header line, result lines and HDLC frames, with mutation tests for the two
// parsers of modem output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "fax/engine/px_fax_receiver.h"
#include "fax/engine/px_fax_strings.h"
#include "fax/engine/px_fax_transmitter.h"
#include "scripted_modem.h"

namespace px {
namespace {

TEST(FaxClassDetection, PicksTheBestClassTheModemLists) {
    struct Row {
        const char* answer;
        TFaxClass expected;
        uint32_t classes;
    };
    const Row rows[] = {
        {"0,1,2,2.0", TFaxClass::fcClass2_0, 4 | 8 | 16},
        {"0,1,2", TFaxClass::fcClass2, 4 | 8},
        {"0,1", TFaxClass::fcClass1, 4},
        {"0,2.0", TFaxClass::fcClass2_0, 16},
        {"0", TFaxClass::fcUnknown, 0},
    };
    for (const Row& row : rows) {
        test::RecordingClient client;
        test::ScriptedModem modem(
            {EXCHANGE("ATE0Q0V1X4S0=0S2=43\r", "\r\nOK\r\n"),
             {"AT+FCLASS=?\r", std::string("\r\n") + row.answer + "\r\nOK\r\n"}});
        TPxFaxTransmitter tx(modem, client);
        EXPECT_EQ(tx.detectClass(), row.expected) << row.answer;
        EXPECT_EQ(tx.detectedClasses, row.classes) << row.answer;
    }
}

TEST(FaxClassDetection, ModemThatListsOnlyClass0FailsTheStart) {
    test::RecordingClient client;
    client.jobs.push_back({"1", "x.apf", ""});
    test::ScriptedModem modem({EXCHANGE("ATE0Q0V1X4S0=0S2=43\r", "\r\nOK\r\n"),
                               EXCHANGE("AT+FCLASS=?\r", "\r\n0\r\nOK\r\n")});
    TPxFaxTransmitter tx(modem, client);
    EXPECT_EQ(tx.start(), ecFaxBadModemResult);
    EXPECT_EQ(client.finishCode, ecFaxBadModemResult);
    EXPECT_EQ(client.finishes, 1);
}

TEST(FaxModemTalk, CommandAndAwaitOkReadsPastTheEchoAndFailsOnErrorOrSilence) {
    test::RecordingClient client;
    test::ScriptedModem modem({EXCHANGE("AT&F\r", "AT&F\r\r\nOK\r\n"),
                               EXCHANGE("AT+BAD\r", "\r\nERROR\r\n"), EXCHANGE("ATI\r", "")});
    TPxFaxTransmitter tx(modem, client);
    EXPECT_TRUE(tx.commandAndAwaitOK("AT&F"));
    EXPECT_FALSE(tx.commandAndAwaitOK("AT+BAD"));
    uint32_t before = modem.manualClock().milliseconds();
    EXPECT_FALSE(tx.commandAndAwaitOK("ATI"));
    EXPECT_GE(modem.manualClock().milliseconds() - before, 182u * kMsPerTick);
}

TEST(FaxModemTalk, SpeedProbeTakesTheHighestOfferedSpeed) {
    test::RecordingClient client;
    test::ScriptedModem modem({EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
                               EXCHANGE("AT+FRM=?\r", "\r\n24,48,72,96\r\nOK\r\n")});
    TPxFaxReceiver rx(modem, client);
    ASSERT_TRUE(rx.probeSpeeds(false));
    EXPECT_EQ(rx.modem.speedIndex, 4);
    EXPECT_TRUE(rx.modem.speeds[3]);
    EXPECT_FALSE(rx.modem.speeds[5]);
}

TEST(FaxModemStrings, InitStringsAndUserStrings) {
    TPxModemRecord m;
    const std::pair<std::pair<bool, bool>, const char*> rows[] = {
        {{false, true}, "ATE0Q0V1X1S0=0S2=43"},
        {{false, false}, "ATE0Q0V1X2S0=0S2=43"},
        {{true, true}, "ATE0Q0V1X3S0=0S2=43"},
        {{true, false}, "ATE0Q0V1X4S0=0S2=43"},
    };
    for (const auto& [flags, expected] : rows) {
        m.detectBusy = flags.first;
        m.blindDial = flags.second;
        EXPECT_EQ(m.defaultInit(), expected);
    }
    EXPECT_EQ(normaliseModemString("&F"), "AT&F");
    EXPECT_EQ(normaliseModemString("at&f"), "AT&F");
    EXPECT_EQ(normaliseModemString(""), "");
    EXPECT_EQ(normaliseModemString(std::string(60, 'x')).size(), 40u);
}

TEST(FaxHeaderLine, SubstitutesDollarWordsAndDropsUnknownOnes) {
    TPxHeaderValues v;
    v.totalPages = 3;
    v.pageNumber = 2;
    v.stationId = "PX";
    v.sender = "Ann";
    EXPECT_EQ(substituteHeader("$X page $P of $N", v), " page 2 of 3");
    EXPECT_EQ(substituteHeader("From $F ($I)", v), "From Ann ($I)");  // "($I)" is no "$" word
    EXPECT_EQ(substituteHeader("From $F $I", v), "From Ann PX");
    EXPECT_EQ(substituteHeader("$", v), "");
    EXPECT_EQ(substituteHeader("100$ $R", v), "100$ ");
    // Codes followed by punctuation keep it, with codes inside replaced too.
    EXPECT_EQ(substituteHeader("Page $P/$N", v), "Page 2/3");
    EXPECT_EQ(substituteHeader("$I, $P/$X.", v), "PX, 2/$X.");
    EXPECT_EQ(substituteHeader("$Page $P", v), " 2");  // "$Page" is no code
}

TEST(FaxClass2, SpeedDigitsAndNegotiatedParameters) {
    const std::pair<uint32_t, char> rows[] = {{2400, '0'},  {4800, '1'},  {7200, '2'}, {9600, '3'},
                                              {12000, '4'}, {14400, '5'}, {1234, '3'}};
    for (auto [bps, digit] : rows) {
        EXPECT_EQ(class2SpeedDigit(bps), digit);
    }
    TPxModemRecord m;
    parseClass2Params("1,5,0,2,0,0,0,3", m);
    EXPECT_TRUE(m.fine);
    EXPECT_EQ(class1Speed(m.speedIndex).bps, 14400u);
    EXPECT_FALSE(m.wide);
    EXPECT_EQ(m.scanCode, 3);
    parseClass2Params("0,1,1", m);
    EXPECT_FALSE(m.fine);
    EXPECT_EQ(class1Speed(m.speedIndex).bps, 4800u);
    EXPECT_TRUE(m.wide);
    EXPECT_EQ(TPxClass2Vocabulary::forClass(TFaxClass::fcClass2_0).localId, "LI");
    EXPECT_EQ(TPxClass2Vocabulary::forClass(TFaxClass::fcClass2).capabilities, "DCC");
}

TEST(FaxStrings, ProgressTextsComeFromTheTable) {
    EXPECT_EQ(faxProgressText(3), "Busy, waiting until redial...");
    EXPECT_EQ(faxProgressText(43), "Finished");
    EXPECT_EQ(faxProgressText(0), "");
    EXPECT_EQ(faxProgressText(44), "");
    EXPECT_EQ(faxProgressText(9), "");
}

TEST(ResponseCollector, LinesAndFramesFromModemOutput) {
    struct Row {
        std::string bytes;
        TPxResponseCollector::Result result;
        std::string line;
    };
    using R = TPxResponseCollector::Result;
    const Row rows[] = {
        {"\r\nNO CARRIER\r\n", R::Line, "NO CARRIER"},
        {"\r\n  OK  \r\n", R::Line, "OK"},
        {"\r\n+FHNG:50\r\n", R::Line, "+FHNG:50"},
        {"RING\r\n", R::Line, "RING"},
        {"RING\r", R::None, ""},
        {"\r\n\r\n", R::None, ""},
        {"\xFF\x13\x84\x10\x03", R::Frame, ""},
        {"\x10\x03", R::Frame, ""},
    };
    for (const Row& row : rows) {
        TPxResponseCollector c;
        R last = R::None;
        for (char ch : row.bytes) {
            R r = c.feed(static_cast<uint8_t>(ch));
            if (r != R::None) {
                last = r;
            }
        }
        EXPECT_EQ(last, row.result) << testing::PrintToString(row.bytes);
        if (row.result == R::Line) {
            EXPECT_EQ(c.line(), row.line);
        }
    }
}

TEST(ResponseCollector, FrameDataKeepsDoubledDleAndLineBytes) {
    TPxResponseCollector c;
    std::string bytes("\xFF\x03\x43\x10\x10\r\n\x41\x10\x03", 10);
    TPxResponseCollector::Result r = TPxResponseCollector::Result::None;
    for (char ch : bytes) {
        r = c.feed(static_cast<uint8_t>(ch));
        if (r != TPxResponseCollector::Result::None) {
            break;
        }
    }
    ASSERT_EQ(r, TPxResponseCollector::Result::Frame);
    EXPECT_EQ(c.frame(), (std::vector<uint8_t>{0xFF, 0x03, 0x43, 0x10, '\r', '\n', 0x41}));
}

TEST(HdlcFrames, BuildAndDecode) {
    auto tsi = buildIdFrame(fcfTSI, "ABC");
    ASSERT_EQ(tsi.size(), 21u);
    EXPECT_EQ(tsi[0], 0x43);
    EXPECT_EQ(tsi[20], 'A');
    EXPECT_EQ(tsi[18], 'C');
    EXPECT_EQ(decodeStationId({tsi.begin() + 1, tsi.end()}), "ABC");

    EXPECT_EQ(buildDis(6), (TPxFrameBody{0x80, 0x00, 0x6E, 0xF9, 0x00}));
    EXPECT_EQ(buildDis(1), (TPxFrameBody{0x80, 0x00, 0x42, 0xF9, 0x00}));
    // DCS: 9600 fine, remote scan code 4 → 0x20 for fine.
    EXPECT_EQ(buildDcs(4, true, false, 4, TFaxLength::B4),
              (TPxFrameBody{0x83, 0x00, 0x46, 0xA8, 0x00}));
    EXPECT_EQ(buildDcs(2, false, true, 0, TFaxLength::B4),
              (TPxFrameBody{0x83, 0x00, 0x0A, 0xF9, 0x00}));

    TPxRemoteCaps caps = decodeDis({0x00, 0x6C, 0x31});
    EXPECT_TRUE(caps.fine);
    EXPECT_TRUE(caps.speed[6]);
    EXPECT_TRUE(caps.speed[5]);
    EXPECT_TRUE(caps.speed[4]);
    EXPECT_TRUE(caps.wide);
    EXPECT_EQ(caps.scanCode, 4);  // bits 0x30
    caps = decodeDis({0x00, 0x04});
    EXPECT_FALSE(caps.speed[6]);

    for (int i = 1; i <= 6; ++i) {
        auto dcs = buildDcs(i, i % 2 == 0, false, 0);
        TPxDcsParams p = decodeDcs({dcs.begin() + 1, dcs.end()});
        EXPECT_EQ(p.speedIndex, i);
        EXPECT_EQ(p.fine, i % 2 == 0);
        EXPECT_EQ(p.trainingCode, class1Speed(i).trainingCode);
    }
    EXPECT_EQ(decodeDcs({0x00, 0x24}).trainingCode, "97");  // V.17 9600

    TPxDecodedFrame f = decodeFrame({0x00, 0x00, 0xFF, 0x13, 0x8C, 0x12});
    EXPECT_TRUE(f.valid);
    EXPECT_TRUE(f.final);
    EXPECT_EQ(f.fcf, 0x8C);
    EXPECT_FALSE(decodeFrame({0xFF, 0x13}).valid);
}

TEST(HdlcFrames, DisOffersAndDcsChoicesFollowTheFrameTable) {
    // A V.29-only receiver takes 9600 and 7200 (bits 11..14 = 1000).
    TPxRemoteCaps v29 = decodeDis({0x00, 0x04, 0x00});
    EXPECT_TRUE(v29.speed[3]);
    EXPECT_TRUE(v29.speed[4]);
    EXPECT_FALSE(v29.speed[5]);
    // Width: bit 17 alone (B4), bit 18 alone (A3) and both (as spandsp
    // sends for A3) all take a 2048-pel page; neither is 1728 only.
    EXPECT_TRUE(decodeDis({0x00, 0x0C, 0x01}).wide);
    EXPECT_TRUE(decodeDis({0x00, 0x0C, 0x02}).wide);
    EXPECT_TRUE(decodeDis({0x00, 0x0C, 0x03}).wide);
    EXPECT_FALSE(decodeDis({0x00, 0x0C, 0x70}).wide);
    // Length: bit 19 unlimited, bit 20 B4.
    TPxRemoteCaps a4 = decodeDis({0x00, 0x0C, 0x70});
    EXPECT_FALSE(a4.b4Length);
    EXPECT_FALSE(a4.unlimitedLength);
    TPxRemoteCaps longer = decodeDis({0x00, 0x0C, 0x7C});
    EXPECT_TRUE(longer.b4Length);
    EXPECT_TRUE(longer.unlimitedLength);

    // A DCS names A4 unless told otherwise, and only one length.
    const auto lengthBits = [](TFaxLength length) {
        return buildDcs(4, false, false, 0, length)[3] & kFifLengthMask;
    };
    EXPECT_EQ(lengthBits(TFaxLength::A4), 0x00);
    EXPECT_EQ(lengthBits(TFaxLength::B4), kFifLengthB4);
    EXPECT_EQ(lengthBits(TFaxLength::Unlimited), kFifLengthUnlimited);
    EXPECT_EQ(buildDcs(4, false, false, 0)[3] & kFifLengthMask, 0x00);
}

// Random damage to real modem output: every parser answers with a result or
// nothing, never more than it was given, in bounded time.
TEST(ModemOutputMutation, CollectorAndFrameDecoderSurviveDamagedInput) {
    const std::string seeds[] = {test::modemFrame(buildDis(6), true),
                                 test::modemFrame(buildIdFrame(fcfCSI, "REMOTE"), false),
                                 "\r\n+FCON\r\n+FDCS:1,5,0,2,0,0,0,0\r\n+FPTS:1\r\nOK\r\n",
                                 "\r\nRING\r\n\r\nCONNECT\r\n"};
    std::mt19937 rng(6);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = seeds[static_cast<size_t>(round) % 4];
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            size_t at = rng() % bytes.size();
            switch (rng() % 3) {
                case 0:
                    bytes[at] = static_cast<char>(rng());
                    break;
                case 1:
                    bytes.erase(at, 1);
                    break;
                default:
                    bytes.insert(at, 1, static_cast<char>(rng()));
                    break;
            }
        }
        TPxResponseCollector c;
        for (char ch : bytes) {
            if (c.feed(static_cast<uint8_t>(ch)) == TPxResponseCollector::Result::Frame) {
                ASSERT_LE(c.frame().size(), TPxResponseCollector::kMaxFrame);
                TPxDecodedFrame f = decodeFrame(c.frame());
                decodeDis(f.info);
                decodeDcs(f.info);
                ASSERT_LE(decodeStationId(f.info).size(), 20u);
            }
            ASSERT_LE(c.line().size(), TPxResponseCollector::kMaxLine);
        }
        ASSERT_LE(resultParameters(c.line()).size(), c.line().size());
        hangupCode(c.line());
    }
}

TEST(ReceiveNaming, FirstFreeNumberThenNoname) {
    auto dir = std::filesystem::temp_directory_path() / ("pxname" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_EQ(defaultReceiveName(dir.string(), "APF"), (dir / "FAX0001.APF").string());
    std::ofstream((dir / "FAX0001.APF").string()).put('x');
    EXPECT_EQ(defaultReceiveName(dir.string() + "/", "APF"), (dir / "FAX0002.APF").string());
    for (int n = 2; n <= 9999; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "FAX%04d.APF", n);
        std::ofstream((dir / name).string()).put('x');
    }
    EXPECT_EQ(defaultReceiveName(dir.string(), "APF"), (dir / "NONAME.APF").string());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace px
