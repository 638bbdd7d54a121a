// Class 1 and Class 2 receive sessions played from modem transcripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "class1_script.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/engine/px_fax_receiver.h"
#include "scripted_modem.h"

namespace px {
namespace {

using test::engineFrame;
using test::Exchange;
using test::modemFrame;

// The receiver's hang-up after a failure (DCD is off), and the modem's answer.
const Exchange kHangUp = EXCHANGE("ATH0\r", "\r\nOK\r\n");

std::string tempDir(const std::string& name) {
    auto dir =
        std::filesystem::temp_directory_path() / ("pxrx" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string training(size_t total, size_t nonZero) {
    std::string t(total, '\0');
    for (size_t i = 0; i < nonZero; ++i) {
        t[i * (total / nonZero)] = '\x55';
    }
    return "\r\nCONNECT\r\n" + t + "\x10\x03\r\nNO CARRIER\r\n";
}

std::vector<Exchange> class1Answer() {
    return {
        EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
        EXCHANGE("ATA\r", "\r\nCONNECT\r\n"),
        {engineFrame(buildIdFrame(fcfCSI, "PX RCV"), false), "\r\nCONNECT\r\n"},
        {engineFrame(buildDis(4), true), "\r\nOK\r\n"},
        {"AT+FRH=3\r", modemFrame(buildIdFrame(fcfTSI, "SENDER 1"), false)},
        {"AT+FRH=3\r", modemFrame(buildDcs(4, true, false, 0), true)},
    };
}

struct Receive {
    test::RecordingClient client;
    std::unique_ptr<test::ScriptedModem> modem;
    std::unique_ptr<TPxFaxReceiver> rx;
    std::string dir;

    void start(std::vector<Exchange> script, const std::string& name, const std::string& rings) {
        dir = tempDir(name);
        modem = std::make_unique<test::ScriptedModem>(std::move(script));
        rx = std::make_unique<TPxFaxReceiver>(*modem, client);
        rx->faxClass = TFaxClass::fcClass1;
        rx->modem.initialised = true;
        rx->modem.speeds = {false, true, true, true, true, false, false};
        rx->modem.speedIndex = 4;
        rx->stationId = "PX RCV";
        rx->destinationDir = dir;
        rx->oneFax = true;
        rx->modem.answerOnRing = 2;
        // Preparation is skipped: the start runs the first step at once.
        rx->startMode = TPxFaxReceiver::StartMode::Normal;
        rxStart(rings);
    }
    void rxStart(const std::string& rings) {
        ASSERT_EQ(rx->start(), 0) << testing::PrintToString(modem->written());
        modem->inject(rings);
        modem->run(*rx);
    }
};

// Preparation talks to the modem first; these scripts begin after it.
std::vector<Exchange> withPreparation(std::vector<Exchange> steps) {
    std::vector<Exchange> all = {EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
                                 EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
                                 EXCHANGE("AT+FRM=?\r", "\r\n24,48,72,96\r\nOK\r\n")};
    all.insert(all.end(), steps.begin(), steps.end());
    return all;
}

TEST(Class1Receive, TwoPagesWithDleDoublingAndMpsThenDcn) {
    std::vector<Exchange> s = class1Answer();
    s.push_back({"AT+FRM=96\r", training(1000, 50)});  // 5 %: good
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    // Page 1: a DLE pair is one 0x10, DLE ETX ends the page.
    s.push_back({"AT+FRM=96\r", std::string("\r\nCONNECT\r\n\x00\x80\x10\x10\x55\x10\x03", 18) +
                                    "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfMPS}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    s.push_back(
        {"AT+FRM=96\r", std::string("\r\nCONNECT\r\n\x01\x02\x10\x03", 15) + "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({withoutXBit(fcfEOP)}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({withoutXBit(fcfDCN)}, true)});
    s.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
    Receive r;
    r.start(withPreparation(s), "two", "");
    r.modem->inject("\r\nRING\r\n");
    r.modem->run(*r.rx);
    EXPECT_EQ(r.modem->written().find("ATA"), std::string::npos);
    r.modem->inject("\r\nRING\r\n");
    r.modem->run(*r.rx);
    ASSERT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_EQ(r.client.finishCode, 0);
    EXPECT_EQ(r.client.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk}));
    EXPECT_EQ(r.rx->remoteId, "SENDER 1");

    TPxApfReader reader;
    ASSERT_EQ(reader.open(r.dir + "/FAX0001.APF"), ecOK);
    ASSERT_EQ(reader.pageCount(), 2u);
    EXPECT_EQ(reader.header().senderText().substr(0, 8), "SENDER 1");
    std::vector<uint8_t> data;
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(1, page), ecOK);
    EXPECT_TRUE(page.header.fine());
    reader.readPage(page, [&](const uint8_t* d, size_t n) {
        data.insert(data.end(), d, d + n);
        return true;
    });
    EXPECT_EQ(data, (std::vector<uint8_t>{0x00, 0x80, 0x10, 0x55}));
}

// EOM ends a document: after our MCF we start over with CSI and DIS, and
// the caller's new DCS sets the next page's resolution.
TEST(Class1Receive, EomIsFollowedByOurDisAndTheNewDcsSetsTheNextPage) {
    std::vector<Exchange> s = class1Answer();
    s.push_back({"AT+FRM=96\r", training(1000, 0)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRM=96\r",
                 std::string("\r\nCONNECT\r\n\x00\x80\x55\x10\x03", 16) + "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfEOM}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    // Phase B again: our identification and DIS, then the caller's DCS.
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame(buildIdFrame(fcfCSI, "PX RCV"), false), "\r\nCONNECT\r\n"});
    s.push_back({engineFrame(buildDis(4), true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame(buildDcs(4, false, false, 0), true)});
    s.push_back({"AT+FRM=96\r", training(1000, 0)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    s.push_back(
        {"AT+FRM=96\r", std::string("\r\nCONNECT\r\n\x01\x02\x10\x03", 15) + "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfEOP}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfDCN}, true)});
    s.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
    Receive r;
    r.start(withPreparation(s), "eom", "\r\nRING\r\n\r\nRING\r\n");
    ASSERT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_EQ(r.client.finishCode, 0);

    TPxApfReader reader;
    ASSERT_EQ(reader.open(r.dir + "/FAX0001.APF"), ecOK);
    ASSERT_EQ(reader.pageCount(), 2u);
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(1, page), ecOK);
    EXPECT_TRUE(page.header.fine());
    ASSERT_EQ(reader.findPage(2, page), ecOK);
    EXPECT_FALSE(page.header.fine());
}

// Caller ID between the rings holds words that used to be found in it: a
// name with "RING" in it counted as a ring, one with "CONNECT" or "VOICE"
// in it ended the wait as a data or voice call.
TEST(Class1Receive, CallerIdBetweenTheRingsIsNeitherARingNorACall) {
    for (const char* callerId :
         {"NAME = KRINGLE", "NAME = CONNECTICUT GAS", "NAME = VOICE MAIL", "NMBR = 5551234"}) {
        Receive r;
        r.start(withPreparation({EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
                                 EXCHANGE("ATA\r", "\r\nNO CARRIER\r\n"), kHangUp}),
                "cid", std::string("\r\nRING\r\n\r\nDATE = 0321\r\n\r\n") + callerId + "\r\n");
        EXPECT_EQ(r.modem->remaining(), 2u) << callerId;  // not answered on the caller ID
        EXPECT_EQ(r.client.errors, (std::vector<int>{})) << callerId;
        r.modem->inject("\r\nRING\r\n");
        r.modem->run(*r.rx);
        EXPECT_EQ(r.modem->remaining(), 0u) << callerId;
        EXPECT_EQ(r.client.errors, (std::vector<int>{ecFaxNoCarrier})) << callerId;
    }
}

TEST(Class1Receive, AnswersOnTheConfiguredRing) {
    Receive r;
    r.start(withPreparation({EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n")}), "ring", "\r\nRING\r\n");
    EXPECT_EQ(r.rx->state(), TFaxReceiveState::rfWaiting);
    EXPECT_EQ(r.modem->written().find("ATA"), std::string::npos);
}

TEST(Class1Receive, BadTrainingIsAnsweredWithFttAndFailsAt2400) {
    std::vector<Exchange> s = class1Answer();
    s.push_back({"AT+FRM=96\r", training(1000, 150)});  // 15 %: bad
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfFTT}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame(buildDcs(1, true, false, 0), true)});
    s.push_back({"AT+FRM=24\r", training(1000, 150)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfFTT}, true), ""});  // the last FTT, then the end
    test::append(s, test::class1Dcn());
    s.push_back(kHangUp);
    Receive r;
    r.start(withPreparation(s), "ftt", "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_NE(r.modem->written().find(engineFrame({fcfFTT}, true)), std::string::npos);
    EXPECT_EQ(r.client.errors, (std::vector<int>{ecFaxTrainError}));
    EXPECT_EQ(r.client.finishCode, ecFaxTrainError);
}

// A Class 1 modem answers "+FCERROR" to "AT+FRM=" when it hears frames
// instead: the caller did not hear our CFR (or is still sending its DCS)
// and repeats DCS. The receiver listens for it and goes on; it used to
// fail the call as a bad modem answer before the state could see the line.
TEST(Class1Receive, FcerrorWhereTrainingOrAPageWasExpectedListensForTheDcsAgain) {
    for (bool atPage : {false, true}) {
        std::vector<Exchange> s = class1Answer();
        const Exchange again = {"AT+FRH=3\r", modemFrame(buildDcs(4, true, false, 0), true)};
        if (!atPage) {
            s.push_back(EXCHANGE("AT+FRM=96\r", "\r\n+FCERROR\r\n"));
            s.push_back(again);
        }
        s.push_back({"AT+FRM=96\r", training(1000, 0)});
        s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
        if (atPage) {
            s.push_back(EXCHANGE("AT+FRM=96\r", "\r\n+FCERROR\r\n"));
            s.push_back(again);
            s.push_back({"AT+FRM=96\r", training(1000, 0)});
            s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
            s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
        }
        s.push_back({"AT+FRM=96\r",
                     std::string("\r\nCONNECT\r\n\x01\x02\x10\x03", 15) + "\r\nNO CARRIER\r\n"});
        s.push_back({"AT+FRH=3\r", modemFrame({fcfEOP}, true)});
        s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
        s.push_back({"AT+FRH=3\r", modemFrame({fcfDCN}, true)});
        s.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
        Receive r;
        r.start(withPreparation(s), "fcerror", "\r\nRING\r\n\r\nRING\r\n");
        EXPECT_EQ(r.modem->remaining(), 0u) << atPage << " " << r.modem->states().back();
        EXPECT_EQ(r.client.errors, (std::vector<int>{})) << atPage;
        EXPECT_EQ(r.client.finishCode, 0) << atPage;
        EXPECT_EQ(r.rx->pagesReceived(), 1) << atPage;
    }
}

// A frame with a bad FCS (the modem's ERROR after it) is not believed: the
// receiver listens again and the caller repeats it. A damaged DCN after the
// last page still leaves a good fax.
TEST(Class1Receive, DamagedFramesAreHeardAgainAndADamagedDcnKeepsTheFax) {
    std::vector<Exchange> s = class1Answer();
    s.back() = {"AT+FRH=3\r", test::damagedModemFrame(buildDcs(4, true, false, 0), true)};
    s.push_back({"AT+FRH=3\r", modemFrame(buildDcs(4, true, false, 0), true)});
    s.push_back({"AT+FRM=96\r", training(1000, 0)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    s.push_back(
        {"AT+FRM=96\r", std::string("\r\nCONNECT\r\n\x01\x02\x10\x03", 15) + "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", test::damagedModemFrame({fcfEOP}, true)});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfEOP}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", test::damagedModemFrame({fcfDCN}, true)});
    s.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
    Receive r;
    r.start(withPreparation(s), "damaged", "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_EQ(r.client.errors, (std::vector<int>{}));
    EXPECT_EQ(r.client.finishCode, 0);
    EXPECT_EQ(r.client.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk}));
    EXPECT_EQ(r.rx->pagesReceived(), 1);
}

// DCN in place of the page: the caller gave up, which is a failed session,
// not a cancel of ours; no DCN of ours follows.
TEST(Class1Receive, DcnFromTheCallerFailsTheSession) {
    std::vector<Exchange> s = class1Answer();
    s.back() = {"AT+FRH=3\r", modemFrame({fcfDCN}, true)};
    s.push_back(EXCHANGE(" ", ""));
    s.push_back(kHangUp);
    Receive r;
    r.start(withPreparation(s), "dcn", "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_EQ(r.client.errors, (std::vector<int>{ecFaxSessionError}));
}

// The caller is silent after our DIS: T4 later we end the reception, send
// CSI and DIS again and take the caller's answer to them.
TEST(Class1Receive, NoAnswerToDisWithinT4SendsItAgain) {
    std::vector<Exchange> s = class1Answer();
    const Exchange tsi = s[s.size() - 2];
    const Exchange dcs = s.back();
    s.pop_back();
    s.back() = EXCHANGE("AT+FRH=3\r", "");
    s.push_back(EXCHANGE("AT\r\r", "\r\nOK\r\n"));
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame(buildIdFrame(fcfCSI, "PX RCV"), false), "\r\nCONNECT\r\n"});
    s.push_back({engineFrame(buildDis(4), true), "\r\nOK\r\n"});
    s.push_back(tsi);
    s.push_back(dcs);
    s.push_back({"AT+FRM=96\r", training(1000, 0)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    s.push_back(
        {"AT+FRM=96\r", std::string("\r\nCONNECT\r\n\x01\x02\x10\x03", 15) + "\r\nNO CARRIER\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfEOP}, true)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfMCF}, true), "\r\nOK\r\n"});
    s.push_back({"AT+FRH=3\r", modemFrame({fcfDCN}, true)});
    s.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
    Receive r;
    r.start(withPreparation(s), "t4", "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u) << r.modem->states().back();
    EXPECT_EQ(r.client.errors, (std::vector<int>{}));
    EXPECT_EQ(r.rx->pagesReceived(), 1);
}

// A data modem answered in Class 1 never sends V.21 flags: the modem keeps
// reporting +FCERROR or NO CARRIER to "AT+FRH=3", and each answer used to
// start the wait again. T1 after the answer, the call ends and the modem is
// put on hook, whatever the modem is still reporting.
TEST(Class1Receive, NoDcsWithinT1EndsTheCall) {
    for (const char* answer : {"\r\n+FCERROR\r\n", "\r\nNO CARRIER\r\n"}) {
        std::vector<Exchange> s = class1Answer();
        s.pop_back();
        s.back() = {"AT+FRH=3\r", answer};
        for (int i = 0; i < 5; ++i) {
            s.push_back({"AT+FRH=3\r", answer});
        }
        // The last listens: the test lets time pass before the modem answers.
        s.push_back(EXCHANGE("AT+FRH=3\r", ""));
        s.push_back(EXCHANGE("AT+FRH=3\r", ""));
        s.push_back(EXCHANGE(" ", ""));
        s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        s.push_back({engineFrame({fcfDCN}, true), "\r\nOK\r\n"});
        s.push_back(kHangUp);
        Receive r;
        r.start(withPreparation(s), "t1", "");
        r.modem->fireTimers = false;
        r.modem->inject("\r\nRING\r\n\r\nRING\r\n");
        r.modem->run(*r.rx);
        ASSERT_EQ(r.modem->remaining(), 5u) << answer;
        EXPECT_TRUE(r.client.errors.empty()) << answer;
        // Still inside T1: the answer is one more damaged or missing frame.
        r.modem->manualClock().advance(kT1IdentifyMs / 2);
        r.modem->inject(answer);
        r.modem->run(*r.rx);
        ASSERT_EQ(r.modem->remaining(), 4u) << answer;
        EXPECT_TRUE(r.client.errors.empty()) << answer;
        r.modem->manualClock().advance(kT1IdentifyMs / 2 + 1000);
        r.modem->inject(answer);
        r.modem->run(*r.rx);
        EXPECT_EQ(r.modem->remaining(), 0u) << answer << " " << r.modem->states().back();
        EXPECT_EQ(r.client.errors, (std::vector<int>{ecTimeout})) << answer;
        EXPECT_EQ(r.client.finishCode, ecTimeout) << answer;
        EXPECT_TRUE(std::filesystem::is_empty(r.dir)) << answer;
    }
}

TEST(Class1Receive, DataCallWhileWaitingIsRefused) {
    Receive r;
    r.start(withPreparation({EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"), kHangUp}), "data",
            "\r\nCONNECT 2400\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u);
    EXPECT_EQ(r.client.errors, (std::vector<int>{ecFaxDataCall}));
}

TEST(Class1Receive, RefusedCallLeavesNoFile) {
    std::vector<Exchange> s = class1Answer();
    s.push_back({"AT+FRM=96\r", training(1000, 0)});
    s.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
    s.push_back({engineFrame({fcfCFR}, true), "\r\nOK\r\n"});
    // The page modulation is asked for before the call is put to the
    // component; its refusal ends the reception, sends DCN and hangs up, and
    // the abort that follows hangs up again.
    s.push_back(EXCHANGE("AT+FRM=96\r", ""));
    test::append(s, test::class1Dcn());
    s.push_back(kHangUp);
    s.push_back(kHangUp);
    Receive r;
    r.client.acceptCalls = false;
    r.start(withPreparation(s), "refuse", "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_EQ(r.modem->remaining(), 0u);
    EXPECT_EQ(r.client.errors, (std::vector<int>{ecFileRejected}));
    EXPECT_EQ(r.client.logs, (std::vector<int>{lfaxReceiveSkip}));
    EXPECT_TRUE(std::filesystem::is_empty(r.dir));
}

TEST(Class2Receive, BadPageIsDroppedAndTheNextTakesItsPlace) {
    test::RecordingClient client;
    std::string dir = tempDir("c2");
    test::ScriptedModem modem({
        EXCHANGE("AT+FCLASS=2\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FCR=1\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FLID=\"PX\"\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FAA=0\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FCLASS=2\r", "\r\nOK\r\n"),
        EXCHANGE("AT+FDCC=1,3,0,2,0,0,0,0\r", "\r\nOK\r\n"),
        EXCHANGE("ATA\r", "\r\n+FCON\r\n+FTSI: \"FAR\"\r\n+FDCS:0,3,0,2,0,0,0,0\r\nOK\r\n"),
        // Class 2 data arrives with its bit order reversed.
        EXCHANGE("AT+FDR\r", "\r\nCONNECT\r\n"),
        {"\x12", std::string("\x01\x02\x10\x03", 4) + "\r\n+FPTS:2\r\n+FET:0\r\nOK\r\n"},
        EXCHANGE("AT+FDR\r", "\r\nCONNECT\r\n"),
        {"\x12", std::string("\x80\x40\x10\x03", 4) + "\r\n+FPTS:1\r\n+FET:2\r\nOK\r\n"},
        EXCHANGE("AT+FDR\r", "\r\n+FHNG:0\r\nOK\r\n"),
    });
    TPxFaxReceiver rx(modem, client);
    rx.faxClass = TFaxClass::fcClass2;
    rx.modem.initialised = true;
    rx.stationId = "PX";
    rx.destinationDir = dir;
    rx.oneFax = true;
    ASSERT_EQ(rx.start(), 0);
    modem.inject("\r\nRING\r\n");
    modem.run(rx);
    EXPECT_EQ(modem.remaining(), 0u) << modem.states().back();
    EXPECT_EQ(client.finishCode, 0);
    EXPECT_EQ(rx.remoteId, "FAR");
    TPxApfReader reader;
    ASSERT_EQ(reader.open(dir + "/FAX0001.APF"), ecOK);
    ASSERT_EQ(reader.pageCount(), 1u);
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(1, page), ecOK);
    std::vector<uint8_t> data;
    reader.readPage(page, [&](const uint8_t* d, size_t n) {
        data.insert(data.end(), d, d + n);
        return true;
    });
    EXPECT_EQ(data, (std::vector<uint8_t>{0x01, 0x02}));
}

}  // namespace
}  // namespace px
