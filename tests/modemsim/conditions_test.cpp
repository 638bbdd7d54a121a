// Call conditions and the simulator's own life cycle, seen from the DTE.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "child_process.h"
#include "scripted_dte.h"
#include "tiff_pages.h"

namespace px::test {
namespace {

bool linkExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(SimConditions, DialOutcomesReachTheDteAsResultWords) {
    struct Row {
        const char* condition;
        const char* result;
    };
    const Row rows[] = {{"no-dial-tone", "NO DIALTONE"},
                        {"busy=5", "BUSY"},
                        {"no-answer", "NO ANSWER"},
                        {"voice", "VOICE"},
                        {"data-modem", "NO CARRIER"}};
    for (const Row& row : rows) {
        TempDir dir;
        ChildProcess sim(
            {simulatorPath(), "remote-receive", "--class", "2.0", "--link", dir / "tty", "--out",
             dir / "r.tif", "--condition", row.condition, "--timeout", "30", "--speed", "8"},
            dir / "sim.log");
        ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
        ScriptedDte dte(dir / "tty");
        dte.send("AT+FCLASS=2.0");
        ASSERT_TRUE(dte.expect("OK", 5));
        dte.send("ATDT5550100");
        EXPECT_TRUE(dte.expect(row.result, 15)) << row.condition << "\n" << dte.transcript();
        sim.terminate();
    }
}

TEST(SimConditions, DeadModemStopsAnsweringOnceItDials) {
    TempDir dir;
    ChildProcess sim({simulatorPath(), "remote-receive", "--class", "2.0", "--link", dir / "tty",
                      "--out", dir / "r.tif", "--condition", "dead-modem", "--timeout", "30"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    dte.send("AT");
    ASSERT_TRUE(dte.expect("OK", 5));
    dte.send("ATDT5550100");
    dte.send("AT");
    EXPECT_FALSE(dte.expect("OK", 3)) << dte.transcript();
    sim.terminate();
}

TEST(SimConditions, FarEndHangingUpAfterAPageIsAFailedCall) {
    TempDir dir;
    FaxPage page;
    page.height = 100;
    page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * page.height, 0x0F);
    writeTiffPages(dir / "send.tif", {page, page, page});
    ChildProcess sim({simulatorPath(), "remote-send", "--class", "2.0", "--link", dir / "tty",
                      "--in", dir / "send.tif", "--report", dir / "report.json", "--condition",
                      "hangup-after-page=1", "--ring-after", "1", "--timeout", "60"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    dte.send("AT+FCLASS=2.0");
    ASSERT_TRUE(dte.expect("OK", 5));
    ASSERT_TRUE(dte.expect("RING", 20)) << dte.transcript();
    dte.send("ATA");
    ASSERT_TRUE(dte.expect("OK", 60)) << dte.transcript() << readFile(dir / "sim.log");
    dte.send("AT+FDR");
    ASSERT_TRUE(dte.expect("CONNECT", 10)) << dte.transcript();
    dte.sendBytes({0x12});
    std::vector<uint8_t> data;
    ASSERT_TRUE(dte.readPage(data, 20));
    // The far end announced more pages (MPS) before it went away.
    ASSERT_TRUE(dte.expect("+FET:0", 10)) << dte.transcript();
    ASSERT_TRUE(dte.expect("OK", 10));
    dte.send("AT+FDR");
    ASSERT_TRUE(dte.expect("+FHS:", 10)) << dte.transcript();
    EXPECT_NE(dte.lines().back(), "+FHS:00") << "a dropped call must not end normally";
    EXPECT_EQ(sim.wait(30), 1) << readFile(dir / "sim.log");
    EXPECT_NE(readFile(dir / "report.json").find("\"success\": false"), std::string::npos);
}

TEST(SimConditions, VanishingPortTakesItsLinkAlong) {
    TempDir dir;
    ChildProcess sim({simulatorPath(), "remote-receive", "--link", dir / "tty", "--out",
                      dir / "r.tif", "--condition", "vanish=6", "--timeout", "60", "--speed", "4"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    {
        ScriptedDte dte(dir / "tty");
        dte.send("AT+FCLASS=1");
        ASSERT_TRUE(dte.expect("OK", 5)) << dte.transcript();
        dte.send("ATDT5550100");
        ASSERT_TRUE(dte.expect("CONNECT", 30)) << dte.transcript() << readFile(dir / "sim.log");
    }
    EXPECT_EQ(sim.wait(30), 1) << readFile(dir / "sim.log");
    EXPECT_FALSE(linkExists(dir / "tty"));
    EXPECT_NE(readFile(dir / "sim.log").find("disappears"), std::string::npos);
}

TEST(SimConditions, TerminationRemovesTheLinksAndReportsNoCall) {
    TempDir dir;
    ChildProcess sim({simulatorPath(), "back-to-back", "--link", dir / "a", "--link-b", dir / "b"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "b", 10)) << readFile(dir / "sim.log");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(sim.wait(0.5), -1);  // still running; wait() ends it with SIGTERM
    EXPECT_FALSE(linkExists(dir / "a"));
    EXPECT_FALSE(linkExists(dir / "b"));
}

}  // namespace
}  // namespace px::test
