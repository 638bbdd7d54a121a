// A send component on the port of a simulated far end that receives in
// Class 1: the simulator writes the received pages to "received.tif" and its
// report to "call.json" in the test's folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include "../../modemsim/child_process.h"

#include "comms/px_event_loop.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/components/px_send_fax.h"

namespace px::test {

class SimulatedReceiver {
public:
    SimulatedReceiver() : link(dir / "ttyFAX"), sim(arguments(), dir / "sim.log"), port(&loop) {
        ready = waitForPath(link, 10);
        port.setDevicePathResolver([this](int) { return link; });
        port.setComNumber(1);
        fax.setComPort(&port);
        port.setHWFlowOptions({});  // a pseudo-terminal has no CTS line
        fax.FaxClass = TFaxClass::fcClass1;
        fax.PhoneNumber = "5551234";
        fax.OnFaxFinish = [this](TPxAbstractFax&, int code) {
            finishCode = code;
            finished = true;
        };
    }

    static bool available() { return std::filesystem::exists(simulatorPath()); }

    // An APF file of standard pages of blank lines.
    static std::string blankApf(const std::string& path, int pages) {
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

    // Starts the send and runs the events until it finishes.
    bool sendAndWait(int ms = 150000) {
        fax.BeginSending();
        return loop.runUntil([this] { return finished; }, ms);
    }

    TempDir dir;
    std::string link;
    ChildProcess sim;
    TPxPlainEventLoop loop;
    TPxComPort port;
    TPxSendFax fax;
    bool ready = false;
    bool finished = false;
    int finishCode = 1;

private:
    std::vector<std::string> arguments() const {
        return {simulatorPath(), "remote-receive",
                "--class",       "1",
                "--link",        link,
                "--out",         dir / "received.tif",
                "--report",      dir / "call.json",
                "--timeout",     "120"};
    }
};

}  // namespace px::test
