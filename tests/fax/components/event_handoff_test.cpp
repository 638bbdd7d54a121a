// The engine's questions to the application, answered later than the
// engine waits for them: the late answer must not touch the engine's
// stack, and a lost "next fax" answer must not pass for "no more faxes".
// Run under ThreadSanitizer by the test script.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "../../comms/pty_modem.h"
#include "comms/px_event_loop.h"
#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/components/px_send_fax.h"
#include "support/temp_dir.h"

namespace px {
namespace {

TEST(FaxEventHandoff, ANextFaxHandlerSlowerThanTheTimeOutEndsTheSessionAsAFailure) {
    test::PtyModem modem;
    modem.on("ATE0Q0V1X4S0=0S2=43", "\r\nOK\r\n");
    modem.on("AT+FCLASS=1", "\r\nOK\r\n");
    modem.on("AT+FTM=?", "\r\n24,48,72,96\r\n\r\nOK\r\n");
    modem.on("ATDT5551234", "\r\nBUSY\r\n");
    modem.on("ATH0", "\r\nOK\r\n");
    test::TempDir dir;
    const std::string file = dir / "one.apf";
    {
        TPxApfWriter w;
        ASSERT_EQ(w.create(file), ecOK);
        w.beginPage(0);
        w.writeRaw(kApfBlankRecord.data(), kApfBlankRecord.size());
        w.endPage();
        ASSERT_EQ(w.finish(), ecOK);
    }
    TPxPlainEventLoop loop;
    TPxComPort port(&loop);
    port.setDevicePathResolver([&](int) { return modem.path(); });
    port.setComNumber(1);
    TPxSendFax fax;
    fax.setComPort(&port);
    port.setHWFlowOptions({});  // a pseudo-terminal has no CTS line
    fax.FaxClass = TFaxClass::fcClass1;
    fax.DialAttempts = 1;
    int asked = 0;
    fax.OnFaxNext = [&](TPxAbstractFax&, std::string& phone, std::string& faxFile, std::string&) {
        // The first question comes with the start and is answered at once;
        // the second comes from the port's thread after the busy line, and
        // its answer is later than the engine waits (1000 ms).
        if (++asked == 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
        phone = "5551234";
        faxFile = file;
    };
    std::vector<int> errors;
    std::vector<int> finishes;
    fax.OnFaxError = [&](TPxAbstractFax&, int code) { errors.push_back(code); };
    fax.OnFaxFinish = [&](TPxAbstractFax&, int code) { finishes.push_back(code); };

    fax.BeginSending();
    ASSERT_TRUE(loop.runUntil([&] { return finishes.size() == 1 || asked > 2; }, 20000));
    ASSERT_EQ(finishes.size(), 1u);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(finishes[0], -6006);
    EXPECT_EQ(errors, (std::vector<int>{-8064, -6006}));
}

}  // namespace
}  // namespace px
