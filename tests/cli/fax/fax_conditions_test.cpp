// Calls that go wrong, through the simulator: each ends with its error code's
// text and exit status 1, well inside the time limits, with the log events
// and history of a failed call, and the port free for the next program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "cli/fax/px_text_fax.h"
#include "fax_call.h"
#include "fax_pages.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

#define SKIP_WITHOUT_SIMULATOR() PX_REQUIRE(FaxCall::simulatorBuilt(), "parvex-modemsim (build it)")

// The first `rows` rows of two ITU test pages: two pages of a few seconds each.
std::string twoPageTiff(const FaxCall& call, size_t rows = 700) {
    std::vector<Rows> pages;
    for (int n : {1, 2}) {
        auto page = tiffPages(testPage(n));
        EXPECT_FALSE(page.empty());
        if (page.empty()) {
            return {};
        }
        page[0].resize(std::min(rows, page[0].size()));
        pages.push_back(page[0]);
    }
    std::string path = call.dir / "two.tif";
    EXPECT_TRUE(writeTiffPages(path, pages));
    return path;
}

// A sending call that fails: `text` is the last line, the log shows a
// transmit that started and failed, the history says why.
void sendFails(FaxCall& call, const std::string& faxClass, const std::string& condition,
               std::vector<std::string> faxExtra, const std::string& text, int pages = 1,
               int lines = 10) {
    std::vector<std::string> fax = {"send", "--to", "5551234", "--class", faxClass};
    fax.insert(fax.end(), faxExtra.begin(), faxExtra.end());
    fax.push_back(writeLetter(call, "letter.txt", pages, lines));
    call.startSimulator({"remote-receive", "--class", faxClass, "--condition", condition, "--out",
                         call.dir / "received.tif"},
                        2);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    call.runFax(fax);
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), text) << call.output;
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 3})) << call.output;
    auto history = call.historyLines();
    ASSERT_GE(history.size(), 3u) << readFile(call.history);
    EXPECT_EQ(history[1].rfind("Transmit failed at ", 0), 0u) << history[1];
    EXPECT_EQ(history[2].rfind("  (" + text + ") ", 0), 0u) << history[2];
}

// A receiving call that fails; the received file is returned (may be absent).
std::string receiveFails(FaxCall& call, const std::string& faxClass,
                         std::vector<std::string> simExtra, std::vector<std::string> faxExtra,
                         const std::string& text) {
    std::filesystem::create_directories(call.dir / "in");
    std::vector<std::string> sim = {"remote-send", "--class", faxClass, "--id", "FAR END"};
    sim.insert(sim.end(), simExtra.begin(), simExtra.end());
    call.startSimulator(sim, 2);
    if (testing::Test::HasFatalFailure()) {
        return {};
    }
    std::vector<std::string> fax = {"receive", "--dir",  call.dir / "in",
                                    "--class", faxClass, "--once"};
    fax.insert(fax.end(), faxExtra.begin(), faxExtra.end());
    call.runFax(fax);
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), text) << call.output;
    return call.dir / "in/FAX0001.APF";
}

TEST(FaxConditions, BusyEveryTimeGivesUpAfterTheAttempts) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "1", "busy=5", {"--attempts", "2", "--retry-wait", "1"},
              "Called fax number was busy");
    EXPECT_NE(call.output.find("Busy, waiting until redial..."), std::string::npos);
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, NoAnswer) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "1", "no-answer", {"--attempts", "1", "--dial-wait", "15"},
              "Remote fax did not answer");
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, NoDialTone) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "2.0", "no-dial-tone", {}, "No dial tone");
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, VoiceAnswersAClass1Call) {
    SKIP_WITHOUT_SIMULATOR();
    // A Class 1 modem hears no fax tones and reports no carrier.
    FaxCall call;
    sendFails(call, "1", "voice", {}, "Failed to connect to remote fax");
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, VoiceAnswersAClass20Call) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "2.0", "voice", {}, "Called fax number answered with voice");
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, DataCallOnReceive) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    // Adaptive answer: the modem takes the data call itself, before the
    // program's second ring.
    std::string file = receiveFails(
        call, "2.0", {"--in", testPage(1), "--ring-after", "3", "--condition", "data-modem"},
        {"--fax-and-data", "--answer-on-ring", "2"}, "Incoming data call");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(call.portAnswers());
}

// A data modem calls a receiver that stays in receive mode, then a fax
// machine does. The data call ends on the receiver's own time-out, well
// before the far end would give up, the modem is put on hook, and the fax
// that follows arrives whole.
class DataCallThenFax : public testing::TestWithParam<std::string> {};

TEST_P(DataCallThenFax, TheDataCallEndsAndTheNextCallIsReceived) {
    SKIP_WITHOUT_SIMULATOR();
    const std::string& faxClass = GetParam();
    FaxCall call;
    // The data call: the answer, T1 (35 s) and the hang-up; then a page.
    call.callSeconds = 120;
    std::filesystem::create_directories(call.dir / "in");
    call.startSimulator(
        {"remote-send", "--class", faxClass, "--in", testPage(2), "--ring-after", "1", "--id",
         "FAR END", "--condition", "data-modem", "--faulty-calls", "1"},
        2);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    auto program = std::make_unique<ChildProcess>(
        std::vector<std::string>{binDir() + "/parvex-fax", "receive", "--port", call.link,
                                 "--history", call.history, "--dir", call.dir / "in", "--class",
                                 faxClass},
        call.dir / "fax.log");
    call.finishSimulator(call.callSeconds + 10);
    program->terminate();
    program.reset();
    call.output = readFile(call.dir / "fax.log");
    // The simulator counts the data call as a failed call; the fax is the
    // second.
    EXPECT_NE(readFile(call.dir / "sim.log").find("OK, pages 1"), std::string::npos)
        << readFile(call.dir / "sim.log");
    // The first call's failure, then the second call's fax.
    const auto failed = call.output.find("Error ");
    const auto started = call.output.find("Log: receive started");
    ASSERT_NE(failed, std::string::npos) << call.output;
    ASSERT_NE(started, std::string::npos) << call.output;
    EXPECT_LT(failed, started) << call.output;
    EXPECT_NE(call.output.find("Log: receive finished OK"), std::string::npos) << call.output;
    auto got = apfPages(call.dir / "in/FAX0001.APF");
    auto sent = tiffPages(testPage(2));
    ASSERT_EQ(got.size(), 1u) << call.output;
    EXPECT_TRUE(got[0] == sent[0]);
}

INSTANTIATE_TEST_SUITE_P(Classes, DataCallThenFax, testing::Values("1", "2.0"),
                         [](const testing::TestParamInfo<std::string>& p) {
                             return p.param == "2.0" ? std::string("Class20") : "Class" + p.param;
                         });

TEST(FaxConditions, RefusedCallLeavesNoFile) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    std::string file = receiveFails(call, "1", {"--in", testPage(2), "--ring-after", "1"},
                                    {"--refuse"}, "File was rejected");
    EXPECT_EQ(call.logCodes(), (std::vector<int>{6})) << call.output;
    auto history = call.historyLines();
    ASSERT_EQ(history.size(), 1u) << readFile(call.history);
    EXPECT_EQ(history[0].rfind("Receive skipped at ", 0), 0u) << history[0];
    EXPECT_TRUE(std::filesystem::is_empty(call.dir / "in"));
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, FarEndHangsUpAfterThePage) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "1", "hangup-after-page=1", {}, "Fatal time out", 2);
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, FarEndHangsUpInTheMiddleOfAClass1Page) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    // A page of about five seconds at 9600 bit/s; the far end goes after two.
    sendFails(call, "1", "hangup-in-page=1", {"--rate", "9600"}, "Fatal time out", 1, 16);
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, FarEndHangsUpInTheMiddleOfAClass20Page) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    // The modem ends the broken page with ERROR and reports the hang-up
    // (+FHS) while the page status is asked for: the engine takes a hang-up
    // line there as a bad response and keeps the modem's code for the history.
    sendFails(call, "2.0", "hangup-in-page=1", {"--rate", "9600"}, "Bad response from modem", 1,
              16);
    EXPECT_TRUE(call.portAnswers());
}

// The far end goes in the middle of page 2: page 1 is kept, the call failed.
void receiveBrokenOff(const std::string& faxClass, const std::string& text) {
    FaxCall call;
    std::string tiff = twoPageTiff(call);
    ASSERT_FALSE(tiff.empty());
    std::string file = receiveFails(
        call, faxClass, {"--in", tiff, "--ring-after", "1", "--condition", "hangup-in-page=2"}, {},
        text);
    auto codes = call.logCodes();
    EXPECT_EQ(codes, (std::vector<int>{4, 7})) << call.output;
    auto history = call.historyLines();
    ASSERT_EQ(history.size(), 3u) << readFile(call.history);
    EXPECT_EQ(history[1].rfind("Receive failed at ", 0), 0u) << history[1];
    EXPECT_EQ(history[2], "  (" + text + ")");
    auto got = apfPages(file);
    auto sent = tiffPages(tiff);
    ASSERT_GE(got.size(), 1u);
    ASSERT_EQ(got[0], sent[0]) << "page 1 is kept whole";
    EXPECT_TRUE(call.portAnswers());
}

TEST(FaxConditions, FarEndHangsUpInTheMiddleOfAReceivedClass1Page) {
    SKIP_WITHOUT_SIMULATOR();
    receiveBrokenOff("1", "Fatal time out");
}

TEST(FaxConditions, FarEndHangsUpInTheMiddleOfAReceivedClass20Page) {
    SKIP_WITHOUT_SIMULATOR();
    receiveBrokenOff("2.0", "Fax failed in mid-session");
}

TEST(FaxConditions, ModemStopsAnswering) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    sendFails(call, "1", "dead-modem", {"--dial-wait", "10"}, "Remote fax did not answer");
    // The modem stays silent by design; the port itself is free.
    EXPECT_TRUE(call.portOpens());
}

TEST(FaxConditions, PortDisappearsDuringTheCall) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    call.startSimulator({"remote-receive", "--class", "1", "--condition", "vanish=8", "--out",
                         call.dir / "received.tif"});
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    call.runFax({"send", "--to", "1", "--class", "1", writeLetter(call, "letter.txt", 2, 40)});
    EXPECT_EQ(call.faxStatus, 1) << call.output;
    EXPECT_EQ(lastLine(call.output), "Fatal time out") << call.output;
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 3})) << call.output;
    call.finishSimulator();
    EXPECT_FALSE(call.portOpens());
}

TEST(FaxConditions, InterruptCancelsTheCallAndKeepsNothingHalfSent) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    std::string letter = writeLetter(call, "letter.txt", 3);
    call.startSimulator({"remote-receive", "--class", "1", "--out", call.dir / "received.tif"}, 2);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    // Started here rather than as a ChildProcess: the test sends the signal
    // itself and reads the exit status.
    std::vector<std::string> args = {binDir() + "/parvex-fax",
                                     "send",
                                     "--port",
                                     call.link,
                                     "--history",
                                     call.history,
                                     "--to",
                                     "1",
                                     "--class",
                                     "1",
                                     letter};
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
    call.output = readFile(log);
    EXPECT_NE(call.output.find("User abort"), std::string::npos) << call.output;
    EXPECT_EQ(lastLine(call.output), "Cancel requested");
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 3})) << call.output;
    // Cancelled in the middle of the page data: DLE ETX ends the data, DCN
    // tells the far end, and the modem takes the hang-up as a command.
    EXPECT_TRUE(call.portAnswers());
}

}  // namespace
}  // namespace px::test
