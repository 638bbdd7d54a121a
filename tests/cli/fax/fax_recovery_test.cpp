// Class 1 calls over a line that damages, drops or answers single frames on
// purpose: each recoverable fault is recovered as T.30 prescribes and the
// pages arrive whole; a fault that outlasts the repeats ends the call with
// its error text and leaves the port free.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/fax/px_text_fax.h"
#include "fax_call.h"
#include "fax_pages.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

#define SKIP_WITHOUT_SIMULATOR() PX_REQUIRE(FaxCall::simulatorBuilt(), "parvex-modemsim (build it)")

// Frames the far end sends when it answers our call: CSI and DIS (1, 2), CFR
// (3), then MCF for each page. Ours: TSI and DCS (1, 2), then the post-page
// message of each page.
// `farEndPages`: the letter's pages (from 0) as the far end stores them, when
// it keeps more than the letter.
void sendRecovers(const std::string& condition, int pages, std::vector<size_t> farEndPages = {}) {
    FaxCall call;
    std::string letter = writeLetter(call, "letter.txt", pages);
    ASSERT_EQ(textToApf(letter, call.dir / "letter.apf", false), ecOK);
    call.run({"remote-receive", "--class", "1", "--condition", condition, "--out",
              call.dir / "received.tif"},
             {"send", "--to", "5551234", "--class", "1", "--rate", "9600", letter});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Sent") << call.output;
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 2})) << call.output;
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    if (farEndPages.empty()) {
        EXPECT_EQ(reportField(call.report, "pages"), std::to_string(pages)) << call.report;
        expectSentPages(call, {call.dir / "letter.apf"});
        return;
    }
    auto sent = apfPages(call.dir / "letter.apf");
    auto got = tiffPages(call.dir / "received.tif");
    ASSERT_EQ(got.size(), farEndPages.size());
    for (size_t p = 0; p < got.size(); ++p) {
        const Rows& page = sent.at(farEndPages[p]);
        ASSERT_EQ(got[p].size(), page.size() + 8) << "page " << p + 1;  // 8 blank lines first
        EXPECT_TRUE(std::equal(page.begin(), page.end(), got[p].begin() + 8)) << "page " << p + 1;
    }
}

TEST(FaxRecovery, SendingRecoversFromADamagedDis) {
    SKIP_WITHOUT_SIMULATOR();
    sendRecovers("damage-remote=2", 1);
}

TEST(FaxRecovery, SendingRecoversFromALostCfr) {
    SKIP_WITHOUT_SIMULATOR();
    // No answer to DCS within T4: DCS and the training check go again.
    sendRecovers("drop-remote=3", 1);
}

TEST(FaxRecovery, SendingRepeatsADamagedEopOnCrp) {
    SKIP_WITHOUT_SIMULATOR();
    sendRecovers("damage-local=3", 1);
}

TEST(FaxRecovery, SendingRecoversFromADamagedMcf) {
    SKIP_WITHOUT_SIMULATOR();
    sendRecovers("damage-remote=4", 2);
}

TEST(FaxRecovery, SendingRetrainsAfterRtnAndSendsThePageAgain) {
    SKIP_WITHOUT_SIMULATOR();
    // The far end keeps the page it answered with RTN: the letter's first
    // page twice, then the second.
    sendRecovers("rtn=1", 2, {0, 0, 1});
}

// Frames the far end sends when it calls us: TSI and DCS (1, 2), the post-
// page message of each page, DCN. Ours: CSI and DIS (1, 2), CFR (3), MCF.
void receiveRecovers(const std::string& condition, int pages) {
    FaxCall call;
    std::vector<Rows> rows;
    for (int n = 1; n <= pages; ++n) {
        auto page = tiffPages(testPage(n));
        ASSERT_FALSE(page.empty());
        page[0].resize(std::min<size_t>(600, page[0].size()));
        rows.push_back(page[0]);
    }
    const std::string tiff = call.dir / "sent.tif";
    ASSERT_TRUE(writeTiffPages(tiff, rows));
    std::filesystem::create_directories(call.dir / "in");
    call.run({"remote-send", "--class", "1", "--in", tiff, "--ring-after", "1", "--id", "FAR END",
              "--condition", condition},
             {"receive", "--dir", call.dir / "in", "--class", "1", "--once"});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Received") << call.output;
    EXPECT_EQ(call.logCodes(), (std::vector<int>{4, 5})) << call.output;
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    auto got = apfPages(call.dir / "in/FAX0001.APF");
    ASSERT_EQ(got.size(), rows.size());
    for (size_t p = 0; p < rows.size(); ++p) {
        EXPECT_EQ(got[p], rows[p]) << "page " << p + 1;
    }
}

TEST(FaxRecovery, ReceivingRecoversFromADamagedDcs) {
    SKIP_WITHOUT_SIMULATOR();
    receiveRecovers("damage-remote=2", 1);
}

TEST(FaxRecovery, ReceivingRecoversFromALostCfr) {
    SKIP_WITHOUT_SIMULATOR();
    receiveRecovers("damage-local=3", 1);
}

TEST(FaxRecovery, ReceivingRecoversFromADamagedMps) {
    SKIP_WITHOUT_SIMULATOR();
    receiveRecovers("damage-remote=3", 2);
}

TEST(FaxRecovery, ReceivingKeepsTheFaxWhenTheDcnIsDamaged) {
    SKIP_WITHOUT_SIMULATOR();
    receiveRecovers("damage-remote=4", 1);
}

TEST(FaxRecovery, ReceivingHearsTheDcsAgainAfterASilentTrainingCheck) {
    SKIP_WITHOUT_SIMULATOR();
    // The caller's first training check is silence on the line: we answer
    // nothing it can take as CFR, and it repeats DCS and the check.
    receiveRecovers("tcf-silence", 1);
}

// A sending call that fails: `text` is the last line, and the port is free.
void sendGivesUp(const std::string& condition, const std::string& text) {
    FaxCall call;
    call.startSimulator({"remote-receive", "--class", "1", "--condition", condition, "--out",
                         call.dir / "received.tif"},
                        2);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    call.runFax({"send", "--to", "5551234", "--class", "1", "--rate", "9600",
                 writeLetter(call, "letter.txt", 1)});
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), text) << call.output;
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 3})) << call.output;
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxRecovery, CfrLostEveryTimeEndsAfterThreeTries) {
    SKIP_WITHOUT_SIMULATOR();
    sendGivesUp("drop-remote=3*20", "Modems failed to train");
}

TEST(FaxRecovery, DcnInPlaceOfCfrEndsTheCallAsFailed) {
    SKIP_WITHOUT_SIMULATOR();
    sendGivesUp("dcn-for=cfr", "Fax failed in mid-session");
}

}  // namespace
}  // namespace px::test
