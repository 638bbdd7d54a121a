// End to end: efax, an independent Class 1 fax program, sends and receives
// through the simulated modems; the pages must arrive pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "child_process.h"
#include "tiff_pages.h"

namespace px::test {
namespace {

// Class 1 leaves T.30's tight turn-arounds to the DTE, so its line keeps real
// time; Class 2 modems answer those themselves.
std::string speedFor(const char* modemClass) {
    return std::string(modemClass) == "1" ? "1" : "2";
}
// Blank rows efax adds on top of each page it sends.
constexpr int kEfaxHeaderBand = 20;

// The simulated modem class and efax's option forcing it.
struct ClassCase {
    const char* modemClass;
    const char* efaxOption;
};

void PrintTo(const ClassCase& c, std::ostream* out) {
    *out << "Class " << c.modemClass;
}

class EfaxThroughSimulator : public ::testing::TestWithParam<ClassCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(programAvailable("efax") && programAvailable("efix"))
            << "efax is not installed (scripts/deps.sh installs it)";
        std::ofstream text(dir / "page.txt");
        text << "Parvex line simulator test page\n\n"
             << "The quick brown fox jumps over the lazy dog 0123456789.\n"
             << "Sent by efax through a simulated Class 1 modem.\n";
        text.close();
        ChildProcess efix(
            {"efix", "-i", "text", "-o", "tiffg3", "-n", dir / "page.%03d", dir / "page.txt"},
            dir / "efix.log");
        ASSERT_EQ(efix.wait(30), 0) << readFile(dir / "efix.log");
        page = dir / "page.001";
    }

    // efax puts a band of blank scan lines for its header on top of every page
    // it sends, even with an empty header text; below that band the received
    // page must equal the sent one row for row.
    void expectSamePages(const std::string& sent, const std::string& received, int headerBand = 0) {
        auto a = readTiffPages(sent);
        auto b = readTiffPages(received);
        ASSERT_EQ(a.size(), 1u);
        ASSERT_EQ(b.size(), 1u);
        ASSERT_EQ(a[0].width, b[0].width);
        ASSERT_EQ(a[0].height + headerBand, b[0].height);
        auto band = static_cast<std::ptrdiff_t>(headerBand * b[0].rowBytes());
        EXPECT_TRUE(std::all_of(b[0].bits.begin(), b[0].bits.begin() + band, [](uint8_t v) {
            return v == 0;
        })) << "the header band is not blank";
        EXPECT_TRUE(std::equal(a[0].bits.begin(), a[0].bits.end(), b[0].bits.begin() + band))
            << "the received page differs from the sent one";
    }

    std::string logs(std::initializer_list<std::string> names) {
        std::string out;
        for (const auto& n : names) {
            out += "---- " + n + "\n" + readFile(dir / n);
        }
        return out;
    }

    TempDir dir;
    std::string page;
};

TEST_P(EfaxThroughSimulator, SendsATextPageToTheRemoteFaxMachine) {
    ChildProcess sim(
        {simulatorPath(), "remote-receive", "--class", GetParam().modemClass, "--link",
         dir / "ttyFAX", "--out", dir / "received.tif", "--report", dir / "report.json", "--id",
         "+1 555 0100", "--timeout", "150", "--speed", speedFor(GetParam().modemClass)},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "ttyFAX", 10)) << readFile(dir / "sim.log");
    ChildProcess efax({"efax", "-d", dir / "ttyFAX", GetParam().efaxOption, "-l", "+1 555 0199",
                       "-h", "", "-v", "ewinc", "-t", "5550100", page},
                      dir / "efax.log");
    ASSERT_EQ(efax.wait(150), 0) << logs({"efax.log", "sim.log"});
    ASSERT_EQ(sim.wait(30), 0) << logs({"sim.log"});
    expectSamePages(page, dir / "received.tif", kEfaxHeaderBand);
    std::string report = readFile(dir / "report.json");
    EXPECT_NE(report.find("\"success\": true"), std::string::npos) << report;
    EXPECT_NE(report.find("\"remote_id\": \"+1 555 0199\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"local_id\": \"+1 555 0100\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"pages\": 1,"), std::string::npos) << report;
}

TEST_P(EfaxThroughSimulator, ReceivesAPageFromTheRemoteFaxMachine) {
    ChildProcess sim(
        {simulatorPath(), "remote-send", "--class", GetParam().modemClass, "--link", dir / "ttyFAX",
         "--in", page, "--report", dir / "report.json", "--id", "+1 555 0100", "--ring-after", "4",
         "--timeout", "150", "--speed", speedFor(GetParam().modemClass)},
        dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "ttyFAX", 10)) << readFile(dir / "sim.log");
    ChildProcess efax({"efax", "-d", dir / "ttyFAX", GetParam().efaxOption, "-l", "+1 555 0199",
                       "-w", "-iS0=1", "-v", "ewinc", "-r", dir / "in"},
                      dir / "efax.log");
    ASSERT_EQ(efax.wait(150), 0) << logs({"efax.log", "sim.log"});
    ASSERT_EQ(sim.wait(30), 0) << logs({"sim.log"});
    expectSamePages(page, dir / "in.001");
    std::string report = readFile(dir / "report.json");
    EXPECT_NE(report.find("\"success\": true"), std::string::npos) << report;
    EXPECT_NE(report.find("\"direction\": \"send\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"remote_id\": \"+1 555 0199\""), std::string::npos) << report;
}

class EfaxBackToBack : public EfaxThroughSimulator {};

TEST_P(EfaxBackToBack, CarriesAFaxFromOneEfaxToAnother) {
    ChildProcess sim({simulatorPath(), "back-to-back", "--class", GetParam().modemClass, "--link",
                      dir / "ttyA", "--link-b", dir / "ttyB", "--timeout", "200"},
                     dir / "sim.log");
    ASSERT_TRUE(waitForPath(dir / "ttyB", 10)) << readFile(dir / "sim.log");
    ChildProcess receiver({"efax", "-d", dir / "ttyB", GetParam().efaxOption, "-l", "+1 555 0200",
                           "-w", "-iS0=1", "-v", "ewinc", "-r", dir / "in"},
                          dir / "efax-b.log");
    ChildProcess sender({"efax", "-d", dir / "ttyA", GetParam().efaxOption, "-l", "+1 555 0100",
                         "-h", "", "-v", "ewinc", "-t", "5550200", page},
                        dir / "efax-a.log");
    ASSERT_EQ(sender.wait(180), 0) << logs({"efax-a.log", "efax-b.log", "sim.log"});
    ASSERT_EQ(receiver.wait(30), 0) << logs({"efax-b.log", "sim.log"});
    ASSERT_EQ(sim.wait(30), 0) << logs({"sim.log"});
    expectSamePages(page, dir / "in.001", kEfaxHeaderBand);
}

INSTANTIATE_TEST_SUITE_P(AllClasses, EfaxThroughSimulator,
                         ::testing::Values(ClassCase{"1", "-o1"}, ClassCase{"2", "-o2"},
                                           ClassCase{"2.0", "-o0"}),
                         [](const auto& param) {
                             return std::string("Class") + (param.param.modemClass[1] == '.'
                                                                ? "20"
                                                                : param.param.modemClass);
                         });
// Two simulated modems on one line.
INSTANTIATE_TEST_SUITE_P(TwoModems, EfaxBackToBack,
                         ::testing::Values(ClassCase{"1", "-o1"}, ClassCase{"2.0", "-o0"}),
                         [](const auto& param) {
                             return std::string("Class") + (param.param.modemClass[1] == '.'
                                                                ? "20"
                                                                : param.param.modemClass);
                         });

}  // namespace
}  // namespace px::test
