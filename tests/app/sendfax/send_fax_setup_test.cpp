// The send window's computations without a window: dial wait, header line,
// configuration list, results and the send component's setup.
#include <gtest/gtest.h>

#include "app/sendfax/send_fax_setup.h"
#include "app/sendfax/send_fax_texts.h"
#include "comms/px_error_text.h"
#include "fax/components/px_send_fax.h"
#include "settings/px_settings.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"

namespace px {
namespace {

TEST(SendFaxTexts, DialWaitComesFromS7InTheInitString) {
    const struct {
        const char* init;
        int wait;
    } rows[] = {
        {"ATS7=30", 55}, {"ATS7=90", 90},       {"AT S7=", 60},     {"ATZ", 60},
        {"", 60},        {"ats7=120&K3", 120},  {"ATS7=9X0", 60},   {"ATS7=X", 60},
        {"ATS7=5", 55},  {"AT&FS7=255M0", 255}, {"ATS7=6000", 600}, {"ATS7=55", 55},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(dialWaitFromInit(row.init), row.wait) << row.init;
    }
}

TEST(SendFaxTexts, HeaderLineNamesTheSenderOnlyWhenThereIsOne) {
    const std::string tail = "           12/8/26    5:30 PM              Page $P of $N";
    EXPECT_EQ(sendHeaderLine("", "", "12/8/26", "5:30 PM"), "Sent" + tail);
    EXPECT_EQ(sendHeaderLine("Ada", "", "12/8/26", "5:30 PM"), "Sent by: Ada    " + tail);
    EXPECT_EQ(sendHeaderLine("", "555 1234", "12/8/26", "5:30 PM"),
              "Sent by         $I          " + tail);
    EXPECT_EQ(sendHeaderLine("Ada", "555 1234", "12/8/26", "5:30 PM"),
              "Sent by: Ada             $I          " + tail);
}

TEST(SendFaxTexts, ResultIsSentForSuccessAndForATextThatReadsOk) {
    EXPECT_EQ(sendResultText(ecOK), "Sent");
    EXPECT_EQ(sendResultText(ecFaxBusy), errorText(ecFaxBusy));
    EXPECT_EQ(errorText(ecFaxBusy), "Called fax number was busy");
    EXPECT_TRUE(resultCountsAsSent("Sent"));
    EXPECT_TRUE(resultCountsAsSent("ok"));
    EXPECT_TRUE(resultCountsAsSent("SENT"));
    EXPECT_FALSE(resultCountsAsSent("Called fax number was busy"));
    EXPECT_FALSE(resultCountsAsSent(""));
}

TEST(SendFaxTexts, ConfigurationListHasEveryLineAndTheActiveOptions) {
    Settings s;
    s.modem.faxClass = 3;
    s.modem.maximumBps = 14400;
    s.modem.initString = "ATS7=60";
    s.resetting.string = "ATZ";
    s.resetting.afterString = "AT&F";
    s.user.fax = "+1 555 0100";
    s.dialing.toneOrPulse = 1;
    s.dialing.dialAttempts = 4;
    s.dialing.retryWait = 90;
    const std::vector<std::string> base = {
        "Communications Port: COM2",  "Fax Class: Class 2.0",
        "Transfer Rate: 14400",       "Dialing with: Pulse",
        "Modem Init String: ATS7=60", "Modem Reset String: ATZ",
        "Post Reset String: AT&F",    "Station ID (Fax #): +1 555 0100",
        "Dial Attempts: 4",           "Retry in: 90 seconds"};
    EXPECT_EQ(configurationLines(s, 2), base);
    s.dialing.blindDial = s.dialing.ignoreBusy = s.dialing.ecm = true;
    s.modem.faxClass = 0;
    auto all = configurationLines(s, 2);
    ASSERT_EQ(all.size(), base.size() + 3);
    EXPECT_EQ(all[1], "Fax Class: Autodetect");
    EXPECT_EQ(std::vector<std::string>(all.end() - 3, all.end()),
              (std::vector<std::string>{"Blind Dial is ACTIVE", "Ignore Busy is ACTIVE",
                                        "Using Error Correction"}));
}

TEST(SendFaxTexts, FailureMessagesCarryThePortAndTheReason) {
    EXPECT_EQ(
        portNotOpenedMessage("Reason", 3),
        "Reason\r\n\r\nIs the Communications Port (COM3) correct? Please\r\nclick on the Find "
        "Modem button on the Preferences screen to be sure.");
    EXPECT_EQ(resetRefusedMessage("ATZ9", 1),
              "We are unable to continue the fax session. \r\n\r\nThe modem did not respond to the "
              "reset string:   (ATZ9)\r\n\r\nIs the Communications Port (COM1) correct? "
              "Please\r\nclick on the Find Modem button on the Preferences screen to be sure.");
    EXPECT_EQ(faxFailureMessage("Busy"),
              "We have received an error message while trying to send the fax\r\n\r\nError "
              "message: Busy\r\n\r\n");
    EXPECT_NE(noModemMessage(4).find("modem on COM4, press CONTINUE\r\nto continue"),
              std::string::npos);
}

struct SetupCase : testing::Test {
    test::TempDir dir;
    Settings s;
    TPxSendFax fax;
    TSendFaxJob job;

    void SetUp() override {
        job.number = "5551234";
        job.dialPrefix = "9,";
        job.dialSuffix = "#";
        job.date = "d";
        job.time = "t";
    }
};

TEST_F(SetupCase, TwoFilesGoCoverFirstAndFastPageNeedsOneResolution) {
    const std::string doc = dir.path() + "/FAX00001.APF";
    const std::string fineCover = dir.path() + "/COV00001.APF";
    const std::string standardCover = dir.path() + "/COV00002.APF";
    test::writeTestFax(doc, 1, kApfFine | kApfLengthWords, 40);
    test::writeTestFax(fineCover, 1, kApfFine | kApfLengthWords, 40);
    test::writeTestFax(standardCover, 1, kApfLengthWords, 40);
    job.firstFile = doc;
    job.secondFile = fineCover;
    configureSendFax(fax, s, job);
    EXPECT_EQ(fax.FaxFileList, (std::vector<std::string>{fineCover, doc}));
    EXPECT_TRUE(fax.FastPage);
    job.secondFile = standardCover;
    configureSendFax(fax, s, job);
    EXPECT_FALSE(fax.FastPage);
    job.secondFile = fineCover;
    s.modem.renegotiateBetween = true;
    configureSendFax(fax, s, job);
    EXPECT_FALSE(fax.FastPage);
    // A file that cannot be read is not taken for the same resolution.
    s.modem.renegotiateBetween = false;
    job.secondFile = dir.path() + "/missing.apf";
    configureSendFax(fax, s, job);
    EXPECT_FALSE(fax.FastPage);
}

TEST_F(SetupCase, OneFileIsTheFaxFileAndTheSettingsReachTheComponent) {
    job.firstFile = "/x/FAX00001.APF";
    fax.FaxFileList = {"stale"};
    s.modem.faxClass = 1;
    s.modem.maximumBps = 14400;
    s.modem.initString = "S7=90&K3";
    s.dialing.ecm = true;
    s.dialing.blindDial = true;
    s.dialing.ignoreBusy = true;
    s.dialing.toneOrPulse = 1;
    s.dialing.dialAttempts = 5;
    s.dialing.retryWait = 30;
    s.user.fax = "+1 555 0100 extension 12345";
    configureSendFax(fax, s, job);
    EXPECT_TRUE(fax.FaxFileList.empty());
    EXPECT_EQ(fax.FaxFile, "/x/FAX00001.APF");
    EXPECT_TRUE(fax.FastPage);
    EXPECT_EQ(fax.PhoneNumber, "5551234#");
    EXPECT_EQ(fax.DialPrefix, "9,");
    EXPECT_EQ(fax.FaxClass, TFaxClass::fcClass1);
    EXPECT_EQ(fax.DesiredBPS, 14400);
    EXPECT_TRUE(fax.DesiredECM);
    EXPECT_TRUE(fax.BlindDial);
    EXPECT_FALSE(fax.DetectBusy);
    EXPECT_FALSE(fax.ToneDial);
    EXPECT_EQ(fax.DialAttempts, 5);
    EXPECT_EQ(fax.DialRetryWait, 30);
    EXPECT_EQ(fax.DialWait, 90);
    EXPECT_EQ(fax.ModemInit(), "ATS7=90&K3");
    EXPECT_EQ(fax.StationID, "+1 555 0100 extensio");
    EXPECT_EQ(fax.HeaderLine, sendHeaderLine("", s.user.fax, "d", "t"));

    job.prefixDisabled = job.suffixDisabled = true;
    s.modem.faxClass = 0;
    s.modem.renegotiateBetween = true;
    configureSendFax(fax, s, job);
    EXPECT_EQ(fax.PhoneNumber, "5551234");
    EXPECT_EQ(fax.DialPrefix, "");
    EXPECT_EQ(fax.FaxClass, TFaxClass::fcDetect);
    EXPECT_FALSE(fax.FastPage);
}

}  // namespace
}  // namespace px
