// What the fax components keep and pass on between the engine and the
// application: the status display's reports, the received file name after a
// receive ends, and the classes detection found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../comms/pty_modem.h"
#include "comms/px_event_loop.h"
#include "fake_session_fax.h"
#include "fax/components/px_abstract_fax_status.h"
#include "fax/components/px_fax_log.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"
#include "fax/engine/px_fax_types.h"

namespace px {
namespace {

using test::FakeSession;
using test::FakeSessionFax;

// A display that writes down what it was asked to do.
class RecordingDisplay : public TPxAbstractFaxStatus {
public:
    using TPxAbstractFaxStatus::TPxAbstractFaxStatus;
    std::vector<std::string> calls;

protected:
    void openDisplay() override { calls.push_back("open"); }
    void refreshDisplay(const TFaxStatusValues& v) override {
        calls.push_back("refresh " + v.statusText);
    }
    void closeDisplay() override { calls.push_back("close"); }
};

TEST(FaxStatusReports, TheDisplayOpensRefreshesAndClosesBeforeOnFaxStatus) {
    FakeSessionFax<TPxSendFax> fax;
    RecordingDisplay display;
    display.setFax(&fax);
    EXPECT_EQ(fax.StatusDisplay(), &display);
    fax.OnFaxStatus = [&](TPxAbstractFax& cp, bool first, bool last) {
        EXPECT_EQ(&cp, &fax);
        display.calls.push_back(std::string("event") + (first ? " first" : "") +
                                (last ? " last" : ""));
    };
    FakeSession& s = fax.startSession();
    s.progress = fpInitModem;
    s.report(true);
    s.progress = fpDialing;
    s.report();
    s.progress = fpFinished;
    s.report(false, true);
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"open", "refresh Initializing modem for fax processing",
                                        "event first", "refresh Dialing", "event", "close",
                                        "event last"}));

    // Unlinked, the reports only reach the event.
    fax.setStatusDisplay(nullptr);
    EXPECT_EQ(display.Fax(), nullptr);
    display.calls.clear();
    s.report();
    EXPECT_EQ(display.calls, (std::vector<std::string>{"event"}));
}

TEST(FaxStatusReports, ElapsedTimeFormatting) {
    EXPECT_EQ(TPxAbstractFaxStatus::minutesSeconds(0), "00:00");
    EXPECT_EQ(TPxAbstractFaxStatus::minutesSeconds(59), "00:59");
    EXPECT_EQ(TPxAbstractFaxStatus::minutesSeconds(61), "01:01");
    EXPECT_EQ(TPxAbstractFaxStatus::minutesSeconds(100 * 60 + 5), "100:05");
}

TEST(ReceiveFaxComponent, FaxFileIsClearedWhenTheReceiveEnds) {
    for (int code : {lfaxReceiveOk, lfaxReceiveSkip, lfaxReceiveFail}) {
        FakeSessionFax<TPxReceiveFax> fax;
        std::vector<std::string> seen;
        fax.OnFaxLog = [&](TPxAbstractFax& cp, int) { seen.push_back(cp.FaxFile); };
        FakeSession& s = fax.startSession();
        s.faxFile = "/in/PX000007.APF";
        s.log(lfaxReceiveStart);
        EXPECT_EQ(fax.FaxFile, "/in/PX000007.APF");
        s.log(code);
        // The handler still sees the name; afterwards it is gone.
        EXPECT_EQ(seen, (std::vector<std::string>{"/in/PX000007.APF", "/in/PX000007.APF"}));
        EXPECT_EQ(fax.FaxFile, "") << code;
    }
    // A sender keeps its file after its own log codes.
    FakeSessionFax<TPxSendFax> send;
    send.FaxFile = "OUT.APF";
    FakeSession& s = send.startSession();
    s.log(lfaxTransmitStart);
    s.log(lfaxTransmitOk);
    EXPECT_EQ(send.FaxFile, "OUT.APF");
}

TEST(SendFaxComponent, DialAttemptAndCurrentValuesBeforeAndDuringASession) {
    FakeSessionFax<TPxSendFax> fax;
    fax.PhoneNumber = "555";
    fax.FaxFile = "A.APF";
    EXPECT_EQ(fax.DialAttempt(), 1);
    EXPECT_EQ(fax.CurrentPhoneNumber(), "555");
    EXPECT_EQ(fax.CurrentFaxFile(), "A.APF");
    EXPECT_EQ(fax.CurrentCoverFile(), "");
    FakeSession& s = fax.startSession();
    s.dialAttempt = 2;
    s.phoneNumber = "777";
    s.faxFile = "/tmp/~PX1.APF";
    s.coverFile = "COVER.TXT";
    EXPECT_EQ(fax.DialAttempt(), 3);
    EXPECT_EQ(fax.CurrentPhoneNumber(), "777");
    EXPECT_EQ(fax.CurrentFaxFile(), "/tmp/~PX1.APF");
    EXPECT_EQ(fax.CurrentCoverFile(), "COVER.TXT");
}

// A user abort is no error report, yet the failed fax's history line must
// name it.
TEST(SendFaxComponent, UserAbortIsTheLastErrorAndInTheHistory) {
    FakeSessionFax<TPxSendFax> fax;
    std::string history;
    fax.OnFaxLog = [&](TPxAbstractFax& cp, int code) {
        if (code == lfaxTransmitFail) {
            history = TPxFaxLog::logText(cp, code, "12:00");
        }
    };
    FakeSession& s = fax.startSession();
    fax.AbortFax();
    EXPECT_EQ(s.aborts, 1);
    EXPECT_EQ(fax.LastErrorCode(), -6005);
    EXPECT_NE(history.find("(Cancel requested)"), std::string::npos) << history;
}

// Detection on a pseudo-terminal modem: a session without a phone number
// prepares the modem and ends at once, which is all detection needs.
TEST(SendFaxComponent, DetectionRunsOnceAndItsClassesAreRemembered) {
    test::PtyModem modem;
    modem.on("ATE0Q0V1X4S0=0S2=43", "\r\nOK\r\n");
    modem.on("AT+FCLASS=?", "\r\n0,1,2\r\n\r\nOK\r\n");
    TPxPlainEventLoop loop;
    TPxComPort port(&loop);
    port.setDevicePathResolver([&](int) { return modem.path(); });
    port.setComNumber(1);
    TPxSendFax fax;
    fax.setComPort(&port);
    port.setHWFlowOptions({});  // a pseudo-terminal has no CTS line
    fax.FaxClass = TFaxClass::fcUnknown;
    std::vector<int> finishes;
    fax.OnFaxFinish = [&](TPxAbstractFax&, int code) { finishes.push_back(code); };
    EXPECT_EQ(fax.DetectedClasses(), 0u);

    fax.BeginSending();
    ASSERT_TRUE(loop.runUntil([&] { return finishes.size() == 1; }, 10000));
    EXPECT_EQ(finishes[0], 0);
    EXPECT_EQ(fax.DetectedClasses(), kDetectedClass1 | kDetectedClass2);

    fax.BeginSending();
    ASSERT_TRUE(loop.runUntil([&] { return finishes.size() == 2; }, 10000));
    EXPECT_EQ(finishes[1], 0);
    EXPECT_EQ(fax.DetectedClasses(), kDetectedClass1 | kDetectedClass2);
    const std::string sent = modem.received();
    size_t asked = 0;
    for (size_t at = sent.find("AT+FCLASS=?"); at != std::string::npos;
         at = sent.find("AT+FCLASS=?", at + 1)) {
        ++asked;
    }
    EXPECT_EQ(asked, 1u) << sent;
    EXPECT_EQ(sent.find("ATD"), std::string::npos) << "no phone number, no dialling";
}

}  // namespace
}  // namespace px
