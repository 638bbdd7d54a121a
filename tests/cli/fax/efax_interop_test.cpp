// Interoperation with efax, an independent T.30 implementation: Parvex and
// efax on the two modems of one simulated line, in both directions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../../modemsim/child_process.h"
#include "cli/fax/px_text_fax.h"
#include "fax_pages.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

std::string binDir() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return dir != nullptr ? dir : "bin";
}

// Blank rows efax puts above every page it sends.
constexpr size_t kEfaxHeaderBand = 20;

class EfaxInterop : public testing::Test {
protected:
    void SetUp() override {
        PX_REQUIRE(programAvailable("efax") && programAvailable("efix") &&
                       std::filesystem::exists(binDir() + "/parvex-modemsim"),
                   "efax, efix and parvex-modemsim");
        std::ofstream(dir / "page.txt") << "Parvex and efax on one line.\n\n"
                                        << "The quick brown fox jumps over the lazy dog.\n";
    }
    void startLine() {
        sim = std::make_unique<ChildProcess>(
            std::vector<std::string>{binDir() + "/parvex-modemsim", "back-to-back", "--class", "1",
                                     "--link", dir / "ttyA", "--link-b", dir / "ttyB", "--timeout",
                                     "200"},
            dir / "sim.log");
        ASSERT_TRUE(waitForPath(dir / "ttyB", 10));
    }
    TempDir dir;
    std::unique_ptr<ChildProcess> sim;
};

TEST_F(EfaxInterop, ParvexSendsToEfax) {
    startLine();
    ChildProcess receiver({"efax", "-d", dir / "ttyB", "-o1", "-l", "EFAX", "-w", "-iS0=1", "-v",
                           "ewinc", "-r", dir / "in"},
                          dir / "efax.log");
    ChildProcess sender(
        {binDir() + "/parvex-fax", "send", "--port", dir / "ttyA", "--to", "5550200", "--class",
         "1", "--rate", "9600", "--station-id", "PARVEX", dir / "page.txt"},
        dir / "fax.log");
    ASSERT_EQ(sender.wait(180), 0) << readFile(dir / "fax.log") << readFile(dir / "efax.log");
    ASSERT_EQ(receiver.wait(30), 0) << readFile(dir / "efax.log");
    ASSERT_EQ(textToApf(dir / "page.txt", dir / "page.apf", false), ecOK);
    auto sent = apfPages(dir / "page.apf");
    auto got = tiffPages(dir / "in.001");
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].size(), sent[0].size() + 8);
    for (size_t y = 0; y < sent[0].size(); ++y) {
        ASSERT_EQ(got[0][y + 8], sent[0][y]) << "row " << y;
    }
}

TEST_F(EfaxInterop, EfaxSendsToParvex) {
    ChildProcess efix(
        {"efix", "-i", "text", "-o", "tiffg3", "-n", dir / "page.%03d", dir / "page.txt"},
        dir / "efix.log");
    ASSERT_EQ(efix.wait(30), 0);
    startLine();
    std::filesystem::create_directories(dir / "in");
    ChildProcess receiver({binDir() + "/parvex-fax", "receive", "--port", dir / "ttyB", "--dir",
                           dir / "in", "--class", "1", "--once", "--station-id", "PARVEX"},
                          dir / "fax.log");
    std::this_thread::sleep_for(std::chrono::seconds(2));  // set up before the ring
    ChildProcess sender({"efax", "-d", dir / "ttyA", "-o1", "-l", "EFAX", "-h", "", "-v", "ewinc",
                         "-t", "5550200", dir / "page.001"},
                        dir / "efax.log");
    ASSERT_EQ(sender.wait(180), 0) << readFile(dir / "efax.log") << readFile(dir / "fax.log");
    ASSERT_EQ(receiver.wait(60), 0) << readFile(dir / "fax.log");
    auto sent = tiffPages(dir / "page.001");
    auto got = apfPages(dir / "in/FAX0001.APF");
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].size(), sent[0].size() + kEfaxHeaderBand);
    for (size_t y = 0; y < sent[0].size(); ++y) {
        ASSERT_EQ(got[0][y + kEfaxHeaderBand], sent[0][y]) << "row " << y;
    }
}

}  // namespace
}  // namespace px::test
