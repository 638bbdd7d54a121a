// parvex-fax sending to and receiving from the simulator's far-end T.30 fax
// machine, in every class, with pages compared pel for pel.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../../modemsim/child_process.h"
#include "fax/tool/px_text_fax.h"
#include "fax_pages.h"

namespace px::test {
namespace {

std::string binDir() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return dir != nullptr ? dir : "bin";
}

std::string testPage(int n) {
    const char* dir = std::getenv("PARVEX_TESTDATA");
    return std::string(dir != nullptr ? dir : ".") + "/ccitt/ccitt_" + std::to_string(n) + ".tif";
}

std::string lastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') {
        t.pop_back();
    }
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

// A field of the simulator's JSON call report, as text.
std::string reportField(const std::string& json, const std::string& key) {
    auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return {};
    }
    at += key.size() + 3;
    while (at < json.size() && json[at] == ' ') {
        ++at;
    }
    auto end = json.find_first_of(",\n}", at);
    std::string value = json.substr(at, end - at);
    if (!value.empty() && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

struct Call {
    TempDir dir;
    std::string link = dir / "ttyFAX";
    int faxStatus = -1;
    int simStatus = -1;
    std::string output;
    std::string report;

    bool ready() const {
        if (std::filesystem::exists(binDir() + "/parvex-modemsim")) {
            return true;
        }
        return false;
    }

    void run(std::vector<std::string> sim, std::vector<std::string> fax) {
        sim.insert(sim.begin(), binDir() + "/parvex-modemsim");
        for (const char* a : {"--link", "--report", "--timeout"}) {
            sim.push_back(a);
            sim.push_back(std::string(a) == "--link"     ? link
                          : std::string(a) == "--report" ? dir / "call.json"
                                                         : "150");
        }
        ChildProcess simulator(sim, dir / "sim.log");
        ASSERT_TRUE(waitForPath(link, 10)) << readFile(dir / "sim.log");
        fax.insert(fax.begin(), binDir() + "/parvex-fax");
        fax.insert(fax.begin() + 2, {"--port", link});
        ChildProcess program(fax, dir / "fax.log");
        faxStatus = program.wait(170);
        simStatus = simulator.wait(30);
        output = readFile(dir / "fax.log");
        report = readFile(dir / "call.json");
    }
};

std::string writeLetter(const Call& call, int pages) {
    std::string path = call.dir / "letter.txt";
    std::ofstream out(path);
    for (int p = 1; p <= pages; ++p) {
        out << "Parvex test letter, page " << p << "\n\n";
        for (int line = 0; line < 10; ++line) {
            out << "The quick brown fox jumps over the lazy dog " << line * p << ".\n";
        }
        if (p < pages) {
            out << "\f";
        }
    }
    return path;
}

// The far end's pages are ours behind the eight blank lines that open every
// page (no header line is set).
void expectSentPages(const Call& call, const std::string& converted) {
    auto sent = apfPages(converted);
    auto got = tiffPages(call.dir / "received.tif");
    ASSERT_EQ(got.size(), sent.size());
    for (size_t p = 0; p < sent.size(); ++p) {
        ASSERT_EQ(got[p].size(), sent[p].size() + 8) << "page " << p + 1;
        for (size_t y = 0; y < 8; ++y) {
            EXPECT_EQ(got[p][y], std::vector<uint8_t>(216, 0)) << "blank line " << y;
        }
        for (size_t y = 0; y < sent[p].size(); ++y) {
            ASSERT_EQ(got[p][y + 8], sent[p][y]) << "page " << p + 1 << " row " << y;
        }
    }
}

void sendCase(const std::string& faxClass, const std::string& rate, bool fine, int pages) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    std::string letter = writeLetter(call, pages);
    // The program's own conversion, done again for the comparison.
    std::string converted = call.dir / "letter.apf";
    std::vector<std::string> fax = {"send",   "--to", "5551234",      "--class",     faxClass,
                                    "--rate", rate,   "--station-id", "PARVEX TEST", letter};
    if (fine) {
        fax.push_back("--fine");
    }
    call.run({"remote-receive", "--class", faxClass, "--out", call.dir / "received.tif"}, fax);
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Sent");
    EXPECT_EQ(call.simStatus, 0);
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    EXPECT_EQ(reportField(call.report, "pages"), std::to_string(pages));
    EXPECT_EQ(reportField(call.report, "remote_id"), "PARVEX TEST");
    EXPECT_EQ(reportField(call.report, "bit_rate"), rate);
    EXPECT_EQ(reportField(call.report, "resolution"), fine ? "fine" : "standard");
    ASSERT_EQ(textToApf(letter, converted, fine), ecOK);
    expectSentPages(call, converted);
}

void receiveCase(const std::string& faxClass, int page, std::vector<std::string> simExtra = {},
                 const std::string& rate = "", bool standardPage = false) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    std::string pagePath = testPage(page);
    if (standardPage) {
        // A standard-resolution page: the far end does not scale fine pages down.
        if (!programAvailable("efix")) {
            GTEST_SKIP() << "efix missing";
        }
        std::ofstream(call.dir / "std.txt") << "Standard resolution page\n\nfor the matrix.\n";
        ChildProcess efix({"efix", "-i", "text", "-o", "tiffg3", "-r", "204.1x97.8", "-n",
                           call.dir / "std.%03d", call.dir / "std.txt"},
                          call.dir / "efix.log");
        ASSERT_EQ(efix.wait(30), 0);
        pagePath = call.dir / "std.001";
    }
    std::filesystem::create_directories(call.dir / "in");
    std::vector<std::string> sim = {"remote-send",  "--class", faxClass, "--in",   pagePath,
                                    "--ring-after", "1",       "--id",   "FAR END"};
    sim.insert(sim.end(), simExtra.begin(), simExtra.end());
    call.run(sim, {"receive", "--dir", call.dir / "in", "--class", faxClass, "--once",
                   "--station-id", "PARVEX RX"});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Received");
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    EXPECT_EQ(reportField(call.report, "remote_id"), "PARVEX RX");
    if (!rate.empty()) {
        EXPECT_EQ(reportField(call.report, "bit_rate"), rate);
    }
    auto got = apfPages(call.dir / "in/FAX0001.APF");
    auto sent = tiffPages(pagePath);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].size(), sent[0].size());
    for (size_t y = 0; y < sent[0].size(); ++y) {
        ASSERT_EQ(got[0][y], sent[0][y]) << "row " << y;
    }
}

#ifdef PX_FAX_MATRIX
// Every class, direction, rate and resolution (label "matrix", run on demand).
using MatrixRow = std::tuple<std::string, std::string, bool>;
class FaxMatrix : public testing::TestWithParam<MatrixRow> {};

TEST_P(FaxMatrix, Sends) {
    const auto& [faxClass, rate, fine] = GetParam();
    sendCase(faxClass, rate, fine, 3);
}

TEST_P(FaxMatrix, Receives) {
    const auto& [faxClass, rate, fine] = GetParam();
    receiveCase(faxClass, 1, {"--max-rate", rate, fine ? "--fine" : "--standard"}, rate, !fine);
}

INSTANTIATE_TEST_SUITE_P(All, FaxMatrix,
                         testing::Combine(testing::Values("1", "2", "2.0"),
                                          testing::Values("4800", "9600", "14400"),
                                          testing::Bool()),
                         [](const testing::TestParamInfo<MatrixRow>& p) {
                             std::string name = "Class" + std::get<0>(p.param) + "_" +
                                                std::get<1>(p.param) +
                                                (std::get<2>(p.param) ? "_fine" : "_standard");
                             for (auto& c : name) {
                                 if (c == '.') {
                                     c = '0';
                                 }
                             }
                             return name;
                         });
#else
TEST(FaxEndToEnd, Class1SendsTwoStandardPagesAt9600) {
    sendCase("1", "9600", false, 2);
}
TEST(FaxEndToEnd, Class1ReceivesAFinePageAt14400) {
    receiveCase("1", 1);
}
TEST(FaxEndToEnd, Class2SendsAFinePageAt14400) {
    sendCase("2", "14400", true, 1);
}
TEST(FaxEndToEnd, Class2Receives) {
    receiveCase("2", 2);
}
TEST(FaxEndToEnd, Class20SendsThreePagesAt4800) {
    sendCase("2.0", "4800", false, 3);
}
TEST(FaxEndToEnd, Class20Receives) {
    receiveCase("2.0", 3);
}

TEST(FaxEndToEnd, BusyLineIsRedialledAfterTheRetryWait) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    std::string letter = writeLetter(call, 1);
    call.run({"remote-receive", "--class", "1", "--condition", "busy=1", "--out",
              call.dir / "received.tif"},
             {"send", "--to", "5551234", "--class", "1", "--rate", "9600", "--attempts", "3",
              "--retry-wait", "2", letter});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_NE(call.output.find("Busy, waiting until redial..."), std::string::npos);
    EXPECT_EQ(lastLine(call.output), "Sent");
}

// A call that fails: the program ends with the error's text, exit status 1,
// well inside the time limit, and the port is free for the next program.
void failingCall(const std::string& mode, const std::string& condition,
                 std::vector<std::string> fax, const std::string& text) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    if (fax[0] == "send") {
        fax.push_back(writeLetter(call, 2));
    } else {
        std::filesystem::create_directories(call.dir / "in");
        fax.insert(fax.end(), {"--dir", call.dir / "in", "--once"});
    }
    call.run({mode, "--class", "1", "--condition", condition, "--in", testPage(1), "--out",
              call.dir / "received.tif", "--ring-after", "1"},
             fax);
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), text) << call.output;
}

TEST(FaxConditions, NoAnswer) {
    failingCall("remote-receive", "no-answer",
                {"send", "--to", "1", "--class", "1", "--attempts", "1"},
                "Remote fax did not answer");
}
TEST(FaxConditions, VoiceAnswersAClass1Call) {
    // A Class 1 modem hears no fax tones and reports no carrier.
    failingCall("remote-receive", "voice", {"send", "--to", "1", "--class", "1"},
                "Failed to connect to remote fax");
}
TEST(FaxConditions, FarEndHangsUpAfterThePage) {
    failingCall("remote-receive", "hangup-after-page=1", {"send", "--to", "1", "--class", "1"},
                "Fatal time out");
}
TEST(FaxConditions, ModemStopsAnswering) {
    failingCall("remote-receive", "dead-modem", {"send", "--to", "1", "--class", "1"},
                "Remote fax did not answer");
}
TEST(FaxConditions, InterruptCancelsTheCallAndKeepsNothingHalfSent) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    std::string letter = writeLetter(call, 3);
    std::vector<std::string> sim = {binDir() + "/parvex-modemsim",
                                    "remote-receive",
                                    "--class",
                                    "1",
                                    "--link",
                                    call.link,
                                    "--out",
                                    call.dir / "received.tif",
                                    "--timeout",
                                    "120"};
    ChildProcess simulator(sim, call.dir / "sim.log");
    ASSERT_TRUE(waitForPath(call.link, 10));
    // Started here rather than as a ChildProcess: the test sends the signal
    // itself and reads the exit status.
    std::vector<std::string> args = {
        binDir() + "/parvex-fax", "send", "--port", call.link, "--to", "1", "--class", "1", letter};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string log = call.dir / "fax.log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 600 && readFile(log).find("Sending page data") == std::string::npos; ++i) {
        usleep(100000);
    }
    ::kill(pid, SIGTERM);
    int status = -1;
    for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
        usleep(100000);
    }
    ASSERT_TRUE(WIFEXITED(status)) << "still running or killed";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string output = readFile(call.dir / "fax.log");
    EXPECT_NE(output.find("User abort"), std::string::npos) << output;
    EXPECT_EQ(lastLine(output), "Cancel requested");
    simulator.wait(30);
}

TEST(FaxEndToEnd, NoDialToneEndsWithItsError) {
    Call call;
    if (!call.ready()) {
        GTEST_SKIP() << "parvex-modemsim not built";
    }
    std::string letter = writeLetter(call, 1);
    call.run({"remote-receive", "--class", "1", "--condition", "no-dial-tone", "--out",
              call.dir / "received.tif"},
             {"send", "--to", "5551234", "--class", "1", letter});
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), "No dial tone");
}

#endif

}  // namespace
}  // namespace px::test
