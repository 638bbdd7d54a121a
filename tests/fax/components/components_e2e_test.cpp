// TPxSendFax and TPxReceiveFax on a port of the simulator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fax/components/px_fax_log.h"
#include "simulated_receiver.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

TEST(FaxComponentsEndToEnd, SendFaxJoinsTwoFilesIntoOneCall) {
    PX_REQUIRE(SimulatedReceiver::available(), "parvex-modemsim (build it)");
    SimulatedReceiver call;
    ASSERT_TRUE(call.ready);
    const TempDir& dir = call.dir;
    TPxSendFax& fax = call.fax;
    fax.StationID = "COMPONENT";
    fax.FaxFileList = {SimulatedReceiver::blankApf(dir / "a.apf", 1),
                       SimulatedReceiver::blankApf(dir / "b.apf", 1)};
    TPxFaxLog log;
    log.FaxHistoryName = dir / "PXFAX.HIS";
    fax.FaxLog = &log;
    std::vector<int> logs;
    fax.OnFaxLog = [&](TPxAbstractFax&, int code) { logs.push_back(code); };
    ASSERT_TRUE(call.sendAndWait());
    EXPECT_EQ(call.finishCode, 0);
    EXPECT_EQ(logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
    EXPECT_EQ(call.sim.wait(30), 0);
    std::string report = readFile(dir / "call.json");
    EXPECT_NE(report.find("\"pages\": 2"), std::string::npos) << report;
    EXPECT_NE(report.find("\"remote_id\": \"COMPONENT\""), std::string::npos) << report;
    std::string history = readFile(dir / "PXFAX.HIS");
    EXPECT_NE(history.find("to 5551234 started at"), std::string::npos) << history;
    EXPECT_NE(history.find("finished OK"), std::string::npos) << history;
    // The joined temporary file is gone after the finish.
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        EXPECT_NE(entry.path().filename().string().rfind("~PX" + std::to_string(::getpid()), 0),
                  0u);
    }
}

}  // namespace
}  // namespace px::test
