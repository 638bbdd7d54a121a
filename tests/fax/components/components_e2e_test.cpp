// TPxSendFax and TPxReceiveFax on a port of the simulator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../../modemsim/child_process.h"
#include "comms/px_event_loop.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/components/px_fax_log.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"

namespace px::test {
namespace {

std::string binDir() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return dir != nullptr ? dir : "bin";
}

std::string makeApf(const std::string& path, int pages) {
    TPxApfWriter w;
    EXPECT_EQ(w.create(path), ecOK);
    for (int p = 0; p < pages; ++p) {
        w.beginPage(0);
        for (int line = 0; line < 100; ++line) {
            w.writeRaw(kApfBlankRecord.data(), kApfBlankRecord.size());
        }
        w.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        w.endPage();
    }
    EXPECT_EQ(w.finish(), ecOK);
    return path;
}

TEST(FaxComponentsEndToEnd, SendFaxJoinsTwoFilesIntoOneCall) {
    if (!std::filesystem::exists(binDir() + "/parvex-modemsim")) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    TempDir dir;
    std::string link = dir / "ttyFAX";
    ChildProcess sim(
        {binDir() + "/parvex-modemsim", "remote-receive", "--class", "1", "--link", link, "--out",
         dir / "received.tif", "--report", dir / "call.json", "--timeout", "120"},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(link, 10));

    TPxPlainEventLoop loop;
    TPxComPort port(&loop);
    port.setDevicePathResolver([&](int) { return link; });
    port.setComNumber(1);
    TPxSendFax fax;
    fax.setComPort(&port);
    port.setHWFlowOptions({});  // a pseudo-terminal has no CTS line
    fax.FaxClass = TFaxClass::fcClass1;
    fax.StationID = "COMPONENT";
    fax.PhoneNumber = "5551234";
    fax.FaxFileList = {makeApf(dir / "a.apf", 1), makeApf(dir / "b.apf", 1)};
    TPxFaxLog log;
    log.FaxHistoryName = dir / "PXFAX.HIS";
    fax.FaxLog = &log;
    std::vector<int> logs;
    fax.OnFaxLog = [&](TPxAbstractFax&, int code) { logs.push_back(code); };
    int finishCode = 1;
    bool finished = false;
    fax.OnFaxFinish = [&](TPxAbstractFax&, int code) {
        finishCode = code;
        finished = true;
    };
    fax.BeginSending();
    ASSERT_TRUE(loop.runUntil([&] { return finished; }, 150000));
    EXPECT_EQ(finishCode, 0);
    EXPECT_EQ(logs, (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));
    EXPECT_EQ(sim.wait(30), 0);
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
