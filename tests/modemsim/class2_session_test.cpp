// A DTE speaking the Class 2 and Class 2.0 command sequences of a fax
// program to the simulated modems; the pages must cross the line unchanged.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "child_process.h"
#include "scripted_dte.h"
#include "tiff_pages.h"

namespace px::test {
namespace {

// A page whose MH data holds DLE octets, so that DLE doubling is exercised.
FaxPage testPage() {
    FaxPage page;
    page.height = 240;
    page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * page.height, 0);
    for (int row = 0; row < page.height; ++row) {
        for (int x = 0; x < page.width; ++x) {
            bool black = ((x / (3 + row % 11)) + row / 7) % 5 == 0;
            if (black) {
                page.bits[static_cast<std::size_t>(row) * page.rowBytes() + x / 8] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return page;
}

std::vector<uint8_t> dleStuffed(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    for (uint8_t b : data) {
        out.push_back(b);
        if (b == 0x10) {
            out.push_back(0x10);
        }
    }
    return out;
}

void showTranscript(const ScriptedDte& dte) {
    if (std::getenv("PARVEX_SHOW_TRANSCRIPT") != nullptr) {
        std::cout << dte.transcript();
    }
}

// Sends one page in Class 2.0; with `ecm` both ends offer error correction,
// and the far end must report that the page travelled under it.
void class20Transmit(bool ecm) {
    TempDir dir;
    FaxPage page = testPage();
    std::vector<uint8_t> mh = encodeMh(page);
    ASSERT_NE(std::count(mh.begin(), mh.end(), 0x10), 0) << "the page should hold DLE octets";
    ChildProcess sim(
        {simulatorPath(), "remote-receive", "--class", "2.0", "--link", dir / "tty", "--out",
         dir / "received.tif", "--report", dir / "report.json", "--id", "+1 555 0100", "--timeout",
         "120", "--speed", "4", ecm ? "--ecm" : "--no-ecm"},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    const char* setup[] = {"ATE0Q0V1X4S0=0S2=43",
                           "AT+FCLASS=?",
                           "AT+FCLASS=2.0",
                           "AT+FLI=\"+1 555 0199\"",
                           "AT+FLO=2",
                           "AT+FNR=1,1,1,0",
                           ecm ? "AT+FIS=1,5,0,2,0,1,0,0" : "AT+FIS=1,5,0,2,0,0,0,0"};
    for (const char* command : setup) {
        dte.send(command);
        ASSERT_TRUE(dte.expect("OK", 5)) << command << "\n" << dte.transcript();
    }
    dte.send("ATDT5550100");
    ASSERT_TRUE(dte.expect("+FCO", 60)) << dte.transcript() << readFile(dir / "sim.log");
    ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
    bool sawCalledId = false;
    for (const auto& line : dte.lines()) {
        sawCalledId |= line == "+FCI:\"+1 555 0100\"";
    }
    EXPECT_TRUE(sawCalledId) << dte.transcript();
    dte.send("AT+FDT");
    ASSERT_TRUE(dte.expect("CONNECT", 10)) << dte.transcript();
    std::vector<uint8_t> data = dleStuffed(mh);
    data.push_back(0x10);
    data.push_back('.');
    dte.sendBytes(data);
    ASSERT_TRUE(dte.expect("+FHS:00", 120)) << dte.transcript() << readFile(dir / "sim.log");
    ASSERT_TRUE(dte.expect("OK", 5)) << dte.transcript();
    showTranscript(dte);
    ASSERT_EQ(sim.wait(30), 0) << readFile(dir / "sim.log");
    auto received = readTiffPages(dir / "received.tif");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0] == page);
    EXPECT_NE(readFile(dir / "report.json").find("\"remote_id\": \"+1 555 0199\""),
              std::string::npos);
    EXPECT_NE(readFile(dir / "report.json").find(ecm ? "\"ecm\": true" : "\"ecm\": false"),
              std::string::npos)
        << readFile(dir / "report.json");
}

TEST(Class2Session, Class20TransmitDeliversThePageToTheRemoteMachine) {
    class20Transmit(false);
}

TEST(Class2Session, Class20TransmitWithErrorCorrection) {
    class20Transmit(true);
}

TEST(Class2Session, Class2TransmitTakesEachPageThenReportsTheRealOutcome) {
    TempDir dir;
    FaxPage page = testPage();
    std::vector<uint8_t> mh = encodeMh(page);
    ChildProcess sim({simulatorPath(), "remote-receive", "--class", "2", "--link", dir / "tty",
                      "--out", dir / "received.tif", "--id", "+1 555 0100", "--timeout", "120"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    const char* setup[] = {"ATE0Q0V1X4S0=0S2=43", "AT+FCLASS=2", "AT+FLID=\"+1 555 0199\"",
                           "AT+FDIS=1,5,0,2,0,0,0,0"};
    for (const char* command : setup) {
        dte.send(command);
        ASSERT_TRUE(dte.expect("OK", 5)) << command << "\n" << dte.transcript();
    }
    dte.send("ATDT5550100");
    ASSERT_TRUE(dte.expect("+FCON", 60)) << dte.transcript() << readFile(dir / "sim.log");
    ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
    for (int n = 1; n <= 2; ++n) {
        dte.send("AT+FDT");
        ASSERT_TRUE(dte.expect("CONNECT", 10)) << dte.transcript();
        std::vector<uint8_t> data = dleStuffed(mh);
        data.push_back(0x10);
        data.push_back(0x03);
        dte.sendBytes(data);
        ASSERT_TRUE(dte.expect("OK", 60)) << dte.transcript();
        dte.send(n == 2 ? "AT+FET=2" : "AT+FET=0");
        ASSERT_TRUE(dte.expect("+FPTS:1", 120)) << dte.transcript() << readFile(dir / "sim.log");
        ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
    }
    showTranscript(dte);
    ASSERT_EQ(sim.wait(30), 0) << readFile(dir / "sim.log");
    auto received = readTiffPages(dir / "received.tif");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(received[0] == page);
    EXPECT_TRUE(received[1] == page);
}

TEST(Class2Session, Class2ReceiveHandsOverPagesWithReversedBitOrder) {
    TempDir dir;
    FaxPage page = testPage();
    writeTiffPages(dir / "send.tif", {page, page});
    ChildProcess sim(
        {simulatorPath(), "remote-send", "--class", "2", "--link", dir / "tty", "--in",
         dir / "send.tif", "--id", "+1 555 0100", "--ring-after", "2", "--timeout", "120"},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    const char* setup[] = {"ATE0Q0V1X4S0=0S2=43",     "AT+FCLASS=2", "AT+FCR=1",
                           "AT+FLID=\"+1 555 0199\"", "AT+FAA=0",    "AT+FDCC=1,5,0,2,0,0,0,0"};
    for (const char* command : setup) {
        dte.send(command);
        ASSERT_TRUE(dte.expect("OK", 5)) << command << "\n" << dte.transcript();
    }
    ASSERT_TRUE(dte.expect("RING", 20)) << dte.transcript();
    dte.send("ATA");
    ASSERT_TRUE(dte.expect("+FCON", 60)) << dte.transcript() << readFile(dir / "sim.log");
    ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
    for (int n = 1; n <= 2; ++n) {
        dte.send("AT+FDR");
        ASSERT_TRUE(dte.expect("CONNECT", 10)) << dte.transcript();
        dte.sendBytes({0x12});
        std::vector<uint8_t> data;
        ASSERT_TRUE(dte.readPage(data, 30)) << dte.transcript();
        ASSERT_TRUE(dte.expect("+FPTS:1", 10)) << dte.transcript();
        ASSERT_TRUE(dte.expect(n == 2 ? "+FET:2" : "+FET:0", 10)) << dte.transcript();
        ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
        reverseBits(data);
        FaxPage got = decodeMh(data, 1728, true, nullptr);
        EXPECT_TRUE(got == page) << "page " << n;
    }
    dte.send("AT+FDR");
    ASSERT_TRUE(dte.expect("+FHNG:0", 10)) << dte.transcript();
    ASSERT_TRUE(dte.expect("OK", 10)) << dte.transcript();
    showTranscript(dte);
    EXPECT_EQ(sim.wait(30), 0) << readFile(dir / "sim.log");
}

TEST(Class2Session, BusyLineIsReportedAndTheRedialGetsThrough) {
    TempDir dir;
    ChildProcess sim(
        {simulatorPath(), "remote-receive", "--class", "2.0", "--link", dir / "tty", "--out",
         dir / "received.tif", "--condition", "busy=1", "--timeout", "60", "--speed", "4"},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "tty", 10)) << readFile(dir / "sim.log");
    ScriptedDte dte(dir / "tty");
    dte.send("AT+FCLASS=2.0");
    ASSERT_TRUE(dte.expect("OK", 5));
    dte.send("ATDT5550100");
    ASSERT_TRUE(dte.expect("BUSY", 20)) << dte.transcript();
    dte.send("ATDT5550100");
    ASSERT_TRUE(dte.expect("+FCO", 60)) << dte.transcript() << readFile(dir / "sim.log");
    dte.send("ATH");
    EXPECT_TRUE(dte.expect("OK", 10)) << dte.transcript();
}

}  // namespace
}  // namespace px::test
