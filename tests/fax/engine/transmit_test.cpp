// Class 1 and Class 2 transmit sessions played from modem transcripts.
#include <gtest/gtest.h>

#include <filesystem>

#include "class1_script.h"
#include "comms/px_dispatch_log.h"
#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/engine/px_fax_transmitter.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_reader.h"
#include "scripted_modem.h"

namespace px {
namespace {

using test::append;
using test::class1Negotiation;
using test::class1Page;
using test::class1Preparation;
using test::engineFrame;
using test::Exchange;
using test::makeApf;
using test::modemFrame;
using test::pageBytes;
using test::pageHeader;
using test::stuffed;
using test::tempPath;
using test::textCoverPage;
using test::trainingCheck;

// What the engine writes when it hangs up after a failure (DCD is off), and
// the modem's answer.
const Exchange kHangUp = EXCHANGE("ATH0\r", "\r\nOK\r\n");

struct Send {
    test::RecordingClient client;
    std::unique_ptr<test::ScriptedModem> modem;
    std::unique_ptr<TPxFaxTransmitter> tx;
    bool timers = true;
    TFaxClass faxClass = TFaxClass::fcClass1;
    std::function<void(TPxFaxTransmitter&)> configure;

    void start(std::vector<Exchange> script, const std::string& file,
               const std::string& cover = "") {
        client.jobs.push_back({"5551234", file, cover});
        modem = std::make_unique<test::ScriptedModem>(std::move(script));
        tx = std::make_unique<TPxFaxTransmitter>(*modem, client);
        tx->faxClass = faxClass;
        tx->stationId = "parvex";
        tx->modem.desiredBps = 9600;
        modem->fireTimers = timers;
        if (configure) {
            configure(*tx);
        }
        ASSERT_EQ(tx->start(), 0);
        modem->run(*tx);
    }
};

TEST(Class1Transmit, SendsTwoPagesWithMpsAndEndsWithDcn) {
    std::string file = makeApf("two.apf", 2, 10000);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));
    // Page 1: blocks of 4096, 4096 and 1808 octets with DLE doubled, then DLE ETX.
    append(script, class1Page(pageHeader() + stuffed(pageBytes(10000, 0)), fcfMPS));
    append(script, class1Page(pageHeader() + stuffed(pageBytes(10000, 1)), fcfEOP));

    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishes, 1);
    EXPECT_EQ(s.client.finishCode, 0);
    EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
    EXPECT_EQ(s.tx->remoteId, "REMOTE 42");
    EXPECT_EQ(s.tx->state(), TFaxTransmitState::tfDone);
}

TEST(Class1Transmit, FttStepsDownAndResendsDcsThenFailsBelow2400) {
    std::string file = makeApf("ftt.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    auto nego = class1Negotiation("ATDT5551234\r", "96");
    nego.resize(nego.size() - 3);  // up to the training check
    append(script, nego);
    // FTT at each speed: DCS again one speed lower (7200, 4800, 2400), with
    // that speed's training; FTT at 2400 fails.
    const std::pair<int, const char*> lower[] = {{3, "72"}, {2, "48"}, {1, "24"}};
    for (auto [speed, code] : lower) {
        script.push_back(EXCHANGE("AT+FRH=3\r", ""));
        script.push_back({"", modemFrame({fcfFTT}, true)});
        script.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        script.push_back({engineFrame(buildDcs(speed, false, false, 5), true), "\r\nOK\r\n"});
        script.push_back({std::string("AT+FTM=") + code + "\r", "\r\nCONNECT\r\n"});
        script.push_back({trainingCheck(class1Speed(speed).bps), "\r\nOK\r\n"});
    }
    script.push_back(EXCHANGE("AT+FRH=3\r", ""));
    script.push_back({"", modemFrame({fcfFTT}, true)});
    append(script, test::class1Dcn());
    script.push_back(kHangUp);
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u)
        << s.modem->states().back() << " " << testing::PrintToString(s.modem->unmatched());
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecFaxTrainError}));
    EXPECT_EQ(s.client.finishCode, ecFaxTrainError);
    EXPECT_EQ(s.client.logs.back(), lfaxTransmitFail);
}

// The far end's answers as a modem delivers them when the line damages them
// (ERROR after the frame) or when the far end heard our command damaged
// (CRP): the sender listens again or repeats the command, as T.30 wants.
TEST(Class1Transmit, DamagedDisIsHeardAgainAndCrpRepeatsTheDcs) {
    std::string file = makeApf("crp.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    auto nego = class1Negotiation("ATDT5551234\r", "96");
    // The DIS arrives damaged: listen again for the far end's repeat.
    nego[3] = {"", test::damagedModemFrame({0x80, 0x00, 0x4C, 0x00}, true)};
    nego.insert(nego.begin() + 4, EXCHANGE("AT+FRH=3\r", ""));
    nego.insert(nego.begin() + 5, {"", modemFrame({0x80, 0x00, 0x4C, 0x00}, true)});
    // The first DCS is answered with CRP: DCS and the training check again.
    const size_t afterCheck = 11;
    const std::vector<Exchange> repeat(nego.begin() + 8, nego.begin() + afterCheck);
    nego.insert(nego.begin() + afterCheck, {EXCHANGE("AT+FRH=3\r", ""),
                                            {"", modemFrame({fcfCRP}, true)},
                                            EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n")});
    nego.insert(nego.begin() + afterCheck + 3, repeat.begin(), repeat.end());
    append(script, nego);
    append(script, class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOP));
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u)
        << s.modem->states().back() << " " << testing::PrintToString(s.modem->unmatched());
    EXPECT_EQ(s.client.finishCode, 0);
    EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
}

// No answer to DCS within T4: DCS and the check go again, three times in
// all; then the call ends with DCN.
TEST(Class1Transmit, UnansweredDcsIsRepeatedThenTheCallEnds) {
    std::string file = makeApf("nocfr.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    auto nego = class1Negotiation("ATDT5551234\r", "96");
    const std::vector<Exchange> dcs(nego.begin() + 6, nego.begin() + 9);  // DCS, check
    nego.resize(9);
    append(script, nego);
    for (int n = 0; n < 3; ++n) {
        script.push_back(EXCHANGE("AT+FRH=3\r", ""));  // silence: T4 runs out
        script.push_back(EXCHANGE(" ", "\r\nOK\r\n"));
        if (n < 2) {
            script.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
            append(script, dcs);
        }
    }
    append(script, test::class1Dcn());
    script.push_back(kHangUp);
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u)
        << s.modem->states().back() << " " << testing::PrintToString(s.modem->unmatched());
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecFaxTrainError}));
}

TEST(Class1Transmit, BusyRedialsAfterTheRetryWaitThenGivesUp) {
    std::string file = makeApf("busy.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    script.push_back(EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"));
    for (int i = 0; i < 3; ++i) {
        script.push_back(EXCHANGE("ATDT5551234\r", "\r\nBUSY\r\n"));
    }
    Send s;
    s.client.jobs.push_back({"", "", ""});  // the next job is asked for, and is empty
    test::RecordingClient& c = s.client;
    c.jobs.clear();
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(c.errors, (std::vector<int>{ecFaxBusy}));
    EXPECT_EQ(c.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitFail}));
    EXPECT_EQ(c.nextJob, 1u);
    EXPECT_EQ(c.finishCode, ecFaxBusy);
    // Two waits of the retry time (60 s each) lie between the three dials.
    EXPECT_GE(s.modem->manualClock().milliseconds(), 2u * 1092u * kMsPerTick);
}

TEST(Class1Transmit, DialOutcomesGiveTheirErrors) {
    struct Row {
        const char* result;
        int error;
    };
    for (Row row : {Row{"NO DIALTONE", ecFaxNoDialTone}, Row{"VOICE", ecFaxVoiceCall},
                    Row{"NO CARRIER", ecFaxNoCarrier}}) {
        std::string file = makeApf("dial.apf", 1, 300);
        std::vector<Exchange> script = class1Preparation();
        script.push_back(EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"));
        script.push_back({"ATDT5551234\r", std::string("\r\n") + row.result + "\r\n"});
        script.push_back(kHangUp);
        Send s;
        s.start(script, file);
        EXPECT_EQ(s.modem->remaining(), 0u) << row.result;
        EXPECT_EQ(s.client.errors, (std::vector<int>{row.error})) << row.result;
        EXPECT_EQ(s.client.finishCode, row.error) << row.result;
    }
}

TEST(Class1Transmit, NoAnswerWithinTheDialWait) {
    std::string file = makeApf("noans.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    script.push_back(EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"));
    script.push_back(EXCHANGE("ATDT5551234\r", ""));
    script.push_back(kHangUp);
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecFaxNoAnswer}));
}

TEST(Class1Transmit, NoFileAndNoCoverIsRefused) {
    std::vector<Exchange> script = class1Preparation();
    script.push_back(kHangUp);
    Send s;
    s.start(script, "");
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecNoFilename}));
    EXPECT_EQ(s.client.finishes, 1);
}

TEST(Class1Transmit, FileThatIsNotApfIsRefused) {
    std::string path = tempPath("bad.apf");
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("not a fax", f);
    std::fclose(f);
    std::vector<Exchange> script = class1Preparation();
    script.push_back(kHangUp);
    Send s;
    s.start(script, path);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecFaxBadFormat}));
}

TEST(Class1Transmit, FileThatCannotBeOpenedReportsTheFileError) {
    // The APF reader's code is passed on as it is: negative, like every code.
    std::vector<Exchange> script = class1Preparation();
    script.push_back(kHangUp);
    Send s;
    s.start(script, tempPath("missing.apf"));
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecFileNotFound}));
    EXPECT_EQ(s.client.finishCode, ecFileNotFound);
}

TEST(Class1Transmit, PostPageMessageIsTriedThreeTimes) {
    std::string file = makeApf("eop.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));
    script.push_back({pageHeader() + stuffed(pageBytes(300, 0)) + "\x10\x03", "\r\nOK\r\n"});
    for (int i = 0; i < 3; ++i) {
        script.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        script.push_back({engineFrame({fcfEOP}, true), "\r\nOK\r\n"});
        script.push_back(EXCHANGE("AT+FRH=3\r", ""));  // no answer: the timer runs out,
        script.push_back(EXCHANGE(" ", ""));           // and a blank ends the reception
    }
    append(script, test::class1Dcn());
    script.push_back(kHangUp);
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecTimeout}));
}

// A reader that draws each text row as a recognisable pattern: row r blackens
// byte r of the raster, and every byte up to `len` when `rowBytes` is large.
class FakeTextReader : public TPxCustomTextReader {
public:
    FakeTextReader(std::vector<std::string>& texts, unsigned rowBytes)
        : texts_(texts), rowBytes_(rowBytes) {}

protected:
    ErrorCode beginLine(const std::string& text) override {
        texts_.push_back(text);
        return ecOK;
    }
    unsigned rowsPerLine() const override { return 3; }
    unsigned drawRow(unsigned row, uint8_t* raster) override {
        if (rowBytes_ > 8) {
            std::fill(raster, raster + rowBytes_, 0xFF);
        } else {
            raster[row] = 0xFF;
        }
        return rowBytes_;
    }

private:
    std::vector<std::string>& texts_;
    unsigned rowBytes_;
};

// The rows of a header drawn by FakeTextReader on a 1728-pel page, each line
// padded to `minBytes` (24: 20 ms at 9600 bit/s).
std::string fakeHeaderRows(unsigned rowBytes, size_t minBytes = 24) {
    std::string out;
    for (unsigned row = 1; row <= 3; ++row) {
        std::vector<uint8_t> raster(256, 0);
        if (rowBytes > 8) {
            std::fill(raster.begin(), raster.begin() + 216, 0xFF);
        } else {
            raster[row] = 0xFF;
        }
        TPxT4Encoder::Record record;
        size_t n = TPxT4Encoder::codeLine(raster.data(), 1728, 0, false, record.data());
        out += stuffed(std::vector<uint8_t>(record.begin(), record.begin() + n));
        out.append(n < minBytes ? minBytes - n : 0, '\0');
    }
    return out;
}

TEST(Class1Transmit, BlankLinesBeforeAWidePageAreAsWideAsThePage) {
    // A 1728-pel line on a 2048-pel page is a bad line to the receiver.
    // Each blank line the test expects decodes as 2048 pels (the RTC after
    // them ends the last).
    std::string header = pageHeader(24, "", false, true);
    header.append(kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    TPxT4Decoder decoder;
    decoder.setAcceptedWidths(false, true);
    unsigned lines = 0;
    decoder.feed(reinterpret_cast<const uint8_t*>(header.data()), header.size(),
                 [&](const uint8_t*, unsigned bytes) { lines += bytes == 2048 / 8; });
    EXPECT_EQ(lines, 8u);

    std::string file = makeApf("wide.apf", 1, 300, kApfWide);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96", true));
    append(script, class1Page(pageHeader(24, "", true, true) + stuffed(pageBytes(300, 0)), fcfEOP));
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.finishCode, 0);
}

TEST(Class1Transmit, HeaderLineIsDrawnByTheReaderFromTheFactory) {
    // Rows of 8 bytes, and rows as wide as the reader's raster (far wider
    // than the page): the latter are cut at the page width.
    for (unsigned rowBytes : {8u, static_cast<unsigned>(TPxFaxInputReader::kRasterBytes)}) {
        std::string file = makeApf("header.apf", 1, 300);
        std::vector<Exchange> script = class1Preparation();
        append(script, class1Negotiation("ATDT5551234\r", "96"));
        // Blank lines, the header rows, zeros up to the buffer minimum, the page.
        append(script,
               class1Page(pageHeader(24, fakeHeaderRows(rowBytes)) + stuffed(pageBytes(300, 0)),
                          fcfEOP));

        Send s;
        std::vector<std::string> texts;
        std::vector<std::pair<TFaxTextUse, bool>> made;
        s.configure = [&](TPxFaxTransmitter& tx) {
            tx.headerLine = "Page $P of $N";
            tx.textReaderFactory = [&](TFaxTextUse use, bool fine) {
                made.emplace_back(use, fine);
                return std::make_unique<FakeTextReader>(texts, rowBytes);
            };
        };
        s.start(script, file);
        EXPECT_EQ(s.modem->remaining(), 0u) << rowBytes;
        EXPECT_EQ(s.client.finishCode, 0);
        EXPECT_EQ(texts, (std::vector<std::string>{"Page 1 of 1"}));
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(made[0].first, TFaxTextUse::HeaderLine);
        EXPECT_FALSE(made[0].second);
    }
}

// The built-in font's reader, noting each line it is given to draw.
class RecordingTextReader : public TPxTextReader {
public:
    explicit RecordingTextReader(std::vector<std::string>& texts) : texts_(texts) {}

protected:
    ErrorCode beginLine(const std::string& text) override {
        texts_.push_back(text);
        return TPxTextReader::beginLine(text);
    }

private:
    std::vector<std::string>& texts_;
};

// A factory whose header reader records the header texts; covers are drawn
// with the built-in font, their lines recorded in `coverLines`.
TPxTextReaderFactory recordingHeaders(std::vector<std::string>& texts,
                                      std::vector<std::string>& coverLines) {
    return
        [&texts, &coverLines](TFaxTextUse use, bool fine) -> std::unique_ptr<TPxCustomTextReader> {
            if (use == TFaxTextUse::HeaderLine) {
                return std::make_unique<FakeTextReader>(texts, 8);
            }
            auto reader = std::make_unique<RecordingTextReader>(coverLines);
            EXPECT_EQ(reader->setup(TFaxFont::ffStandard, fine, 1728, 48), ecOK);
            return reader;
        };
}

std::string writeText(const std::string& name, const std::string& text) {
    std::string path = tempPath(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return path;
}

TEST(Class1Transmit, EveryPageOfATwoPageCoverGoesBeforeTheFile) {
    // The text cover as it is drawn, its "$" words filled in for each page.
    const std::string drawn =
        writeText("cover_drawn.txt", "To: someone, page 1 of 3\r\f\r\nPage two 2/3 \r\n");
    struct Case {
        const char* what;
        std::string cover;
        std::string coverPage1, coverPage2;  // what follows each cover page's header
    };
    const Case cases[] = {
        {"text cover with a form feed",
         writeText("cover.txt", "To: someone, page $P of $N\r\f\r\nPage two $P/$N $X\r\n"),
         textCoverPage(drawn, 1, 24), textCoverPage(drawn, 2, 24)},
        {"APF cover", makeApf("cover.apf", 2, 500), stuffed(pageBytes(500, 0)),
         stuffed(pageBytes(500, 1))},
    };
    const std::string header = pageHeader(24, fakeHeaderRows(8));
    for (const Case& c : cases) {
        std::string file = makeApf("doc.apf", 1, 300, 0);
        std::vector<Exchange> script = class1Preparation();
        append(script, class1Negotiation("ATDT5551234\r", "96"));
        append(script, class1Page(header + c.coverPage1, fcfMPS));
        append(script, class1Page(header + c.coverPage2, fcfMPS));
        append(script, class1Page(header + stuffed(pageBytes(300, 0)), fcfEOP));
        Send s;
        std::vector<std::string> headers;
        std::vector<std::string> coverLines;
        s.configure = [&](TPxFaxTransmitter& tx) {
            tx.headerLine = "$P/$N";
            tx.textReaderFactory = recordingHeaders(headers, coverLines);
        };
        s.start(script, file, c.cover);
        EXPECT_EQ(s.modem->remaining(), 0u) << c.what << " " << s.modem->states().back();
        EXPECT_EQ(s.client.finishCode, 0) << c.what;
        EXPECT_EQ(s.tx->coverPages, 2) << c.what;
        EXPECT_EQ(s.tx->totalPages, 3) << c.what;
        EXPECT_EQ(headers, (std::vector<std::string>{"1/3", "2/3", "3/3"})) << c.what;
        if (!coverLines.empty()) {
            // The text's "$" words are those of the page each line is sent on
            // (after the dry pass that counted the cover's pages).
            ASSERT_GE(coverLines.size(), 2u);
            EXPECT_EQ(coverLines[coverLines.size() - 2], "To: someone, page 1 of 3");
            EXPECT_EQ(coverLines.back(), "Page two 2/3 ");
        }
    }
}

// A cover is an APF file only when its name ends in "." + FaxFileExt, in
// any letter case; a text cover whose path holds ".APF" elsewhere used to
// be taken for APF and refused as a bad file.
TEST(Class1Transmit, ACoverIsApfOnlyWhenItsNameEndsInTheExtension) {
    std::filesystem::create_directories(tempPath("covers.apf"));
    for (const char* name : {"covers.apf/cover.txt", "cover.APF.txt"}) {
        const std::string cover = writeText(name, "To: someone\r\n");
        std::vector<Exchange> script = class1Preparation();
        append(script, class1Negotiation("ATDT5551234\r", "96"));
        append(script, class1Page(pageHeader() + textCoverPage(cover, 1, 24), fcfMPS));
        append(script, class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOP));
        Send s;
        s.start(script, makeApf("doc3.apf", 1, 300), cover);
        EXPECT_EQ(s.modem->remaining(), 0u) << name << " " << s.modem->states().back();
        EXPECT_EQ(s.client.errors, (std::vector<int>{})) << name;
        EXPECT_EQ(s.client.finishCode, 0) << name;
        EXPECT_EQ(s.tx->coverPages, 1) << name;
    }
    // In any letter case: "COVER.Apf" is an APF cover.
    const std::string apf = makeApf("COVER.Apf", 1, 500);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));
    append(script, class1Page(pageHeader() + stuffed(pageBytes(500, 0)), fcfMPS));
    append(script, class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOP));
    Send s;
    s.start(script, makeApf("doc3.apf", 1, 300), apf);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
}

// Class 2 or 2.0 from the init string to the first page's CONNECT; with a
// `remoteId`, the modem reports the called station's ID after connecting.
std::vector<Exchange> class2Start(TFaxClass faxClass, const std::string& remoteId = "") {
    if (faxClass == TFaxClass::fcClass2) {
        const std::string id = remoteId.empty() ? "" : "\r\n+FCSI: \"" + remoteId + "\"\r\n";
        return {
            EXCHANGE("ATE0Q0V1X4S0=0S2=43\r", "\r\nOK\r\n"),
            EXCHANGE("AT+FCLASS=2\r", "\r\nOK\r\n"),
            EXCHANGE("AT+FLID=\"PARVEX\"\r", "\r\nOK\r\n"),
            EXCHANGE("AT+FDIS=0,3,0,2,0,0,0,0\r", "\r\nOK\r\n"),
            {"ATDT5551234\r", "\r\n+FCON\r\n" + id + "\r\n+FDCS:0,3,0,2,0,0,0,0\r\n\r\nOK\r\n"},
            EXCHANGE("AT+FDT\r", "\r\nCONNECT\r\n\x11"),
        };
    }
    const std::string id = remoteId.empty() ? "" : "\r\n+FCI: \"" + remoteId + "\"\r\n";
    return {
        EXCHANGE("ATE0Q0V1X4S0=0S2=43\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FCLASS=2.0\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FLI=\"PARVEX\"\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FLO=2\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FNR=1,1,1,0\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FIS=0,3,0,2,0,0,0,0\r", "\r\nOK\r\n"),
        {"ATDT5551234\r", "\r\n+FCO\r\n" + id + "\r\n+FCS:0,3,0,2,0,0,0,0\r\n\r\nOK\r\n"},
        EXCHANGE("AT+FDT\r", "\r\nCONNECT\r\n"),
    };
}

TEST(Class2Transmit, FetSaysMorePagesAcrossCoverAndFile) {
    std::string file = makeApf("doc2.apf", 1, 300, 0);
    std::string cover = writeText("cover2.txt", "One\fTwo\r\n");
    const char* nextPage = "\r\nCONNECT\r\n\x11";
    // Class 2 lines need no padding: the modem sees to the scan time.
    const std::string header = pageHeader(0, fakeHeaderRows(8, 0));
    std::vector<Exchange> script = class2Start(TFaxClass::fcClass2);
    append(script, {
                       {header + textCoverPage(cover, 1, 0) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FET=0\r", "\r\n+FPTS:1\r\n\r\nOK\r\n"),
                       {"AT+FDT\r", nextPage},
                       {header + textCoverPage(cover, 2, 0) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FET=0\r", "\r\n+FPTS:1\r\n\r\nOK\r\n"),
                       {"AT+FDT\r", nextPage},
                       {header + stuffed(pageBytes(300, 0)) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FET=2\r", "\r\n+FPTS:1\r\n\r\n+FHNG:0\r\n\r\nOK\r\n"),
                   });
    Send s;
    s.faxClass = TFaxClass::fcClass2;
    std::vector<std::string> headers;
    std::vector<std::string> coverLines;
    s.configure = [&](TPxFaxTransmitter& tx) {
        tx.headerLine = "$P/$N";
        tx.textReaderFactory = recordingHeaders(headers, coverLines);
    };
    s.start(script, file, cover);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
    EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
    EXPECT_EQ(headers, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
}

// The session parameters are the first page's: a standard APF cover's, not
// those of the fine document behind it, which get their own.
TEST(Class2Transmit, AStandardCoverBeforeFinePagesIsSentStandardThenFine) {
    std::string cover = makeApf("std_cover2.apf", 1, 300, 0);
    std::string file = makeApf("fine_doc2.apf", 1, 400, kApfFine);
    const std::string header = pageHeader(0);
    std::vector<Exchange> script = class2Start(TFaxClass::fcClass2);  // AT+FDIS=0,...
    append(script, {
                       {header + stuffed(pageBytes(300, 0)) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FET=1\r", "\r\n+FPTS:1\r\n\r\nOK\r\n"),
                       EXCHANGE("AT+FDIS=1\r", "\r\nOK\r\n"),
                       {"AT+FDT\r", "\r\n+FDCS:1,3,0,2,0,0,0,0\r\n\r\nCONNECT\r\n\x11"},
                       {header + stuffed(pageBytes(400, 0)) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FET=2\r", "\r\n+FPTS:1\r\n\r\n+FHNG:0\r\n\r\nOK\r\n"),
                   });
    Send s;
    s.faxClass = TFaxClass::fcClass2;
    s.start(script, file, cover);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
}

TEST(Class2Transmit, BadPageIsSentAgainUpToTheRetryLimit) {
    const std::string page = pageHeader(0) + stuffed(pageBytes(300, 0)) + "\x10\x03";
    const Exchange bad = EXCHANGE("AT+FET=2\r", "\r\n+FPTS:2\r\n\r\nOK\r\n");
    const Exchange again = EXCHANGE("AT+FDT\r", "\r\nCONNECT\r\n\x11");
    const Exchange pageOk = {page, "\r\nOK\r\n"};
    struct Case {
        int badPages;
        int error;  // 0: sent
    };
    for (Case c : {Case{1, 0}, Case{2, 0}, Case{3, ecFaxSessionError}}) {
        std::vector<Exchange> script = class2Start(TFaxClass::fcClass2);
        for (int i = 0; i < c.badPages; ++i) {
            append(script, {pageOk, bad});
            if (i < 2) {
                script.push_back(again);
            }
        }
        if (c.error == 0) {
            append(script,
                   {pageOk, EXCHANGE("AT+FET=2\r", "\r\n+FPTS:1\r\n\r\n+FHNG:0\r\n\r\nOK\r\n")});
        } else {
            script.push_back(EXCHANGE("AT+FKS\r", ""));  // the limit: the session is ended
            script.push_back(kHangUp);
        }
        Send s;
        s.faxClass = TFaxClass::fcClass2;
        s.start(script, makeApf("retry.apf", 1, 300));
        EXPECT_EQ(s.modem->remaining(), 0u) << c.badPages << " " << s.modem->states().back();
        EXPECT_EQ(s.client.finishCode, c.error) << c.badPages;
        EXPECT_EQ(s.client.logs.back(), c.error == 0 ? lfaxTransmitOk : lfaxTransmitFail);
    }
}

TEST(Class20Transmit, ErrorAfterAPageAsksForItsStatusAndSendsItAgain) {
    const std::string page = pageHeader(0) + stuffed(pageBytes(300, 0)) + "\x10.";
    std::vector<Exchange> script = class2Start(TFaxClass::fcClass2_0);
    append(script, {
                       {page, "\r\nERROR\r\n"},
                       // The status comes before the OK, as T.32 has it.
                       EXCHANGE("AT+FPS?\r", "\r\n+FPS:2,0,0,0,0\r\n\r\nOK\r\n"),
                       EXCHANGE("AT+FDT\r", "\r\nCONNECT\r\n"),
                       {page, "\r\n+FPS:1,0,0,0,0\r\n\r\nOK\r\n"},
                   });
    Send s;
    s.faxClass = TFaxClass::fcClass2_0;
    s.start(script, makeApf("c20.apf", 1, 300));
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
    EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
    EXPECT_EQ(s.tx->progress, fpFinished);
}

// A remote station ID is an ID, whatever words it holds: it used to be
// searched for "ERROR" and the hang-up word, and a call to "NO ERRORS" or
// "FHS 1" failed as a bad modem answer.
TEST(Class2Transmit, RemoteIdsThatHoldResultWordsAreIds) {
    const std::pair<TFaxClass, const char*> rows[] = {
        {TFaxClass::fcClass2, "OK FAX"},    {TFaxClass::fcClass2, "NO ERRORS"},
        {TFaxClass::fcClass2, "FHNG 4"},    {TFaxClass::fcClass2, "CONNECT BUSY"},
        {TFaxClass::fcClass2_0, "FHS 1"},   {TFaxClass::fcClass2_0, "NO CARRIER"},
        {TFaxClass::fcClass2_0, "+FHS:00"},
    };
    for (auto [faxClass, id] : rows) {
        std::vector<Exchange> script = class2Start(faxClass, id);
        const std::string page = pageHeader(0) + stuffed(pageBytes(300, 0));
        if (faxClass == TFaxClass::fcClass2) {
            append(script, {{page + "\x10\x03", "\r\nOK\r\n"},
                            EXCHANGE("AT+FET=2\r", "\r\n+FPTS:1\r\n\r\n+FHNG:0\r\n\r\nOK\r\n")});
        } else {
            script.push_back({page + "\x10.", "\r\n+FPS:1,0,0,0,0\r\n\r\nOK\r\n"});
        }
        Send s;
        s.faxClass = faxClass;
        s.start(script, makeApf("ids.apf", 1, 300));
        EXPECT_EQ(s.modem->remaining(), 0u) << id;
        EXPECT_EQ(s.client.finishCode, 0) << id;
        EXPECT_EQ(s.tx->remoteId, id);
    }
}

// Informational lines a modem sends while it dials ("CARRIER 9600" holds
// "RRIER", which used to be taken for "NO CARRIER") are no dial outcome.
TEST(Class1Transmit, InformationalLinesAfterTheDialAreNoOutcome) {
    std::vector<Exchange> script = class1Preparation();
    auto nego = class1Negotiation("ATDT5551234\r", "96");
    nego[1].reply = "\r\nCARRIER 9600\r\n\r\nPROTOCOL: NONE\r\n" + nego[1].reply;
    append(script, nego);
    append(script, class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOP));
    Send s;
    s.start(script, makeApf("info.apf", 1, 300));
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.errors, (std::vector<int>{}));
    EXPECT_EQ(s.client.finishCode, 0);
}

TEST(Class1Transmit, RtnRetrainsAndSendsThePageAgainThenGivesUp) {
    // RTN: DCS and the training check again, then the same page; after the
    // third RTN the call ends with DCN.
    const auto retrain = [] {
        auto nego = class1Negotiation("", "96");
        return std::vector<Exchange>(nego.begin() + 6, nego.end());  // from the DCS on
    }();
    for (int rtns : {1, 3}) {
        std::vector<Exchange> script = class1Preparation();
        append(script, class1Negotiation("ATDT5551234\r", "96"));
        for (int n = 0; n < rtns; ++n) {
            append(script,
                   {
                       {pageHeader() + stuffed(pageBytes(300, 0)) + "\x10\x03", "\r\nOK\r\n"},
                       EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"),
                       {engineFrame({fcfEOP}, true), "\r\nOK\r\n"},
                       EXCHANGE("AT+FRH=3\r", ""),
                       {"", modemFrame({fcfRTN | 1}, true)},  // with the X bit set
                   });
            if (n < 2) {
                script.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
                append(script, retrain);
            }
        }
        if (rtns < 3) {
            append(script, class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOP));
        } else {
            append(script, test::class1Dcn());
            script.push_back(kHangUp);
        }
        Send s;
        s.start(script, makeApf("rtn.apf", 1, 300));
        EXPECT_EQ(s.modem->remaining(), 0u) << rtns << " " << s.modem->states().back();
        if (rtns < 3) {
            EXPECT_EQ(s.client.finishCode, 0);
            EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
        } else {
            EXPECT_EQ(s.client.errors, (std::vector<int>{ecFaxSessionError}));
            EXPECT_EQ(s.client.logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitFail}));
        }
    }
}

TEST(Class1Transmit, AbortDuringThePageEndsTheSession) {
    std::string file = makeApf("abort.apf", 1, 300);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));
    // The page goes at once after CONNECT; the modem has not answered yet.
    script.push_back({pageHeader() + stuffed(pageBytes(300, 0)) + "\x10\x03", ""});
    // The abort ends the call with DCN before the hang-up.
    append(script, test::class1Dcn());
    script.push_back(kHangUp);
    Send s;
    s.timers = false;
    s.start(script, file);
    ASSERT_FALSE(s.tx->finished());
    EXPECT_EQ(s.modem->remaining(), 4u);
    s.tx->handleEvent(TFaxEvent::Abort);
    EXPECT_TRUE(s.tx->finished());
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.finishCode, ecCancelRequested);
    EXPECT_EQ(s.tx->progress, fpCancel);
}

// An APF file of one page of `lines` blank coded lines (each 6 octets with
// its EOL) and RTC.
std::string blankLinesApf(const std::string& name, int lines) {
    std::string path = tempPath(name);
    TPxApfWriter w;
    EXPECT_EQ(w.create(path), ecOK);
    w.beginPage(0);
    for (int i = 0; i < lines; ++i) {
        w.writeRaw(kApfBlankRecord.data(), kApfBlankRecord.size());
    }
    w.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
    w.endPage();
    EXPECT_EQ(w.finish(), ecOK);
    return path;
}

// The remote asks for 20 ms a line (24 octets at 9600). A stored line of 6
// octets goes with 18 zero octets of fill in front of the next EOL; the
// EOLs of RTC carry no line and get none.
TEST(Class1Transmit, PageLinesArePaddedToTheRemotesScanTime) {
    std::string file = blankLinesApf("short_lines.apf", 3);
    std::string wire;
    for (int i = 0; i < 3; ++i) {
        wire.append(kApfBlankRecord.begin(), kApfBlankRecord.end());
        wire.append(18, '\0');
    }
    wire.append(kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));
    append(script, class1Page(pageHeader() + wire, fcfEOP));
    Send s;
    s.start(script, file);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
}

// A standard APF cover before a fine document: the first DCS is the
// cover's, and the change of resolution goes by EOM, the remote's new DIS
// and a fine DCS.
TEST(Class1Transmit, AStandardCoverBeforeFinePagesIsSentStandardThenFine) {
    std::string cover = makeApf("std_cover.apf", 1, 300, 0);
    std::string file = makeApf("fine_doc.apf", 1, 400, kApfFine);
    std::vector<Exchange> script = class1Preparation();
    append(script, class1Negotiation("ATDT5551234\r", "96"));  // a standard DCS
    std::vector<Exchange> page1 = class1Page(pageHeader() + stuffed(pageBytes(300, 0)), fcfEOM);
    page1.resize(page1.size() - 3);  // what follows the MCF is not the end of the call
    append(script, page1);
    const std::vector<uint8_t> remoteDis = {0x80, 0x00, 0x4C, 0x00};
    append(script, {
                       {"AT+FRH=3\r", modemFrame(remoteDis, true)},
                       EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"),
                       {engineFrame(buildIdFrame(fcfTSI, "PARVEX"), false), "\r\nCONNECT\r\n"},
                       {engineFrame(buildDcs(4, true, false, 5), true), "\r\nOK\r\n"},
                       {"AT+FTM=96\r", "\r\nCONNECT\r\n"},
                       {trainingCheck(9600), "\r\nOK\r\n"},
                       EXCHANGE("AT+FRH=3\r", ""),
                       {"", modemFrame({fcfCFR}, true)},
                       {"AT+FTM=96\r", "\r\nCONNECT\r\n"},
                   });
    append(script, class1Page(pageHeader() + stuffed(pageBytes(400, 0)), fcfEOP));
    Send s;
    s.start(script, file, cover);
    EXPECT_EQ(s.modem->remaining(), 0u) << s.modem->states().back();
    EXPECT_EQ(s.client.finishCode, 0);
    EXPECT_TRUE(s.tx->modem.fine);
}

// The application did not take the "next fax" question in time: the
// session ends as a failure, with nothing dialled.
TEST(Class1Transmit, AMissedNextFaxAnswerIsNoSuccess) {
    std::string file = makeApf("missed.apf", 1, 300);
    Send s;
    s.client.missNext = true;
    s.start(class1Preparation(), file);
    EXPECT_EQ(s.modem->remaining(), 0u);
    EXPECT_EQ(s.client.finishes, 1);
    EXPECT_EQ(s.client.finishCode, ecTimeout);
    EXPECT_EQ(s.client.errors, (std::vector<int>{ecTimeout}));
    EXPECT_EQ(s.modem->written().find("ATD"), std::string::npos);
}

// The dispatch log shows each step as a fax entry of the state's number.
TEST(Class1Transmit, StateStepsAreLoggedWithTheStatesNumbers) {
    std::string file = makeApf("logged.apf", 1, 300);
    Send s;
    s.client.missNext = true;
    s.start(class1Preparation(), file);
    ASSERT_FALSE(s.modem->stateSubtypes().empty());
    EXPECT_EQ(s.modem->states().front(), "tfGetEntry");
    EXPECT_EQ(s.modem->stateSubtypes().front(),
              lsFaxTransmitBase + static_cast<int>(TFaxTransmitState::tfGetEntry));
}

}  // namespace
}  // namespace px
