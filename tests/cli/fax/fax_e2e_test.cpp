// parvex-fax sending to and receiving from the simulator's far-end T.30 fax
// machine, in every class, with pages compared pel for pel, and what a good
// call leaves behind: log events, history lines and the far end's report.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "cli/fax/px_text_fax.h"
#include "fax_call.h"
#include "fax_pages.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

#define SKIP_WITHOUT_SIMULATOR() PX_REQUIRE(FaxCall::simulatorBuilt(), "parvex-modemsim (build it)")

struct SendJob {
    std::string faxClass = "1";
    std::string rate = "9600";
    bool fine = false;
    int pages = 1;
    std::string cover;                  // "", "text" or "apf"
    bool secondFile = false;            // an APF file joined after the letter
    std::vector<std::string> simExtra;  // conditions
    std::string expectRate;             // the far end's bit rate, when not `rate`
    bool standardCover = false;         // an APF cover in standard resolution
    double minLineMs = 0;               // the far end's minimum scan time, to check
};

// Sends, checks everything a good call shows and returns the call's output.
// Three fine pages take minutes below 7200 bit/s.
int callSecondsAt(const std::string& rate) {
    return rate.empty() || std::stoi(rate) >= 7200 ? 150 : 450;
}

void sendCase(const SendJob& job) {
    FaxCall call;
    call.callSeconds = callSecondsAt(job.rate);
    std::string letter = writeLetter(call, "letter.txt", job.pages);
    std::vector<std::string> expected;  // APF files in the order of the pages
    std::vector<std::string> fax = {"send",   "--to",   "5551234",      "--class",    job.faxClass,
                                    "--rate", job.rate, "--station-id", "PARVEX TEST"};
    if (job.fine) {
        fax.push_back("--fine");
    }
    if (job.cover == "text") {
        std::ofstream(call.dir / "cover.txt") << "FAX COVER\n\nTo: the far end\nPages: some\n";
        fax.insert(fax.end(), {"--cover", call.dir / "cover.txt"});
        // The engine renders a text cover as the converter does.
        ASSERT_EQ(textToApf(call.dir / "cover.txt", call.dir / "cover.apf", job.fine), ecOK);
        expected.push_back(call.dir / "cover.apf");
    } else if (job.cover == "apf") {
        std::ofstream(call.dir / "cover.txt") << "APF COVER\n\nmade beforehand\n";
        ASSERT_EQ(textToApf(call.dir / "cover.txt", call.dir / "COVER.APF",
                            job.fine && !job.standardCover),
                  ecOK);
        fax.insert(fax.end(), {"--cover", call.dir / "COVER.APF"});
        expected.push_back(call.dir / "COVER.APF");
    }
    fax.push_back(letter);
    // The program's own conversion, done again for the comparison.
    ASSERT_EQ(textToApf(letter, call.dir / "letter.apf", job.fine), ecOK);
    expected.push_back(call.dir / "letter.apf");
    int files = 1;
    if (job.secondFile) {
        std::string second = writeLetter(call, "second.txt", 1, 4);
        ASSERT_EQ(textToApf(second, call.dir / "second.apf", job.fine), ecOK);
        fax.push_back(call.dir / "second.apf");
        expected.push_back(call.dir / "second.apf");
        ++files;
    }
    std::vector<std::string> sim = {"remote-receive", "--class", job.faxClass, "--out",
                                    call.dir / "received.tif"};
    sim.insert(sim.end(), job.simExtra.begin(), job.simExtra.end());
    call.run(sim, fax);
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Sent");
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 2})) << call.output;
    auto history = call.historyLines();
    ASSERT_EQ(history.size(), static_cast<size_t>(files + 1)) << readFile(call.history);
    for (int f = 0; f < files; ++f) {
        EXPECT_EQ(history[f].rfind("Transmit ", 0), 0u) << history[f];
        EXPECT_NE(history[f].find(" to 5551234 started at "), std::string::npos) << history[f];
    }
    EXPECT_EQ(history[files].rfind("Transmit to PARVEX REMOTE finished OK at ", 0), 0u)
        << history[files];
    EXPECT_EQ(call.simStatus, 0);
    int pages = 0;
    for (const auto& apf : expected) {
        pages += static_cast<int>(apfPages(apf).size());
    }
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    EXPECT_EQ(reportField(call.report, "pages"), std::to_string(pages));
    EXPECT_EQ(reportField(call.report, "remote_id"), "PARVEX TEST");
    EXPECT_EQ(reportField(call.report, "bit_rate"),
              job.expectRate.empty() ? job.rate : job.expectRate);
    EXPECT_EQ(reportField(call.report, "resolution"), job.fine ? "fine" : "standard");
    if (job.minLineMs > 0) {
        // Our modem measured every coded page line it put on the line.
        const std::string shortest = reportField(call.report, "shortest_line_ms");
        ASSERT_FALSE(shortest.empty()) << call.report;
        EXPECT_GE(std::stod(shortest), job.minLineMs) << call.report;
    }
    // Each page arrives in the resolution it was made in.
    std::vector<bool> fine;
    for (const auto& apf : expected) {
        for (size_t p = 0; p < apfPages(apf).size(); ++p) {
            fine.push_back(job.fine && !(job.standardCover && apf == expected.front()));
        }
    }
    EXPECT_EQ(tiffPagesFine(call.dir / "received.tif"), fine);
    expectSentPages(call, expected);
}

void receiveCase(const std::string& faxClass, int page, std::vector<std::string> simExtra = {},
                 const std::string& rate = "", bool standardPage = false) {
    FaxCall call;
    call.callSeconds = callSecondsAt(rate);
    std::string pagePath = testPage(page);
    if (standardPage) {
        // A standard-resolution page: the far end does not scale fine pages down.
        PX_REQUIRE(programAvailable("efix"), "efix (efax)");
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
    std::vector<std::string> fax = {"receive", "--dir",  call.dir / "in", "--class",
                                    faxClass,  "--once", "--station-id",  "PARVEX RX"};
    if (rate == "2400") {
        // The far end's V.27 ter modem offers 4800 too: our DIS limits the
        // call to 2400.
        fax.insert(fax.end(), {"--rate", rate});
    }
    call.run(sim, fax);
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Received");
    EXPECT_EQ(call.logCodes(), (std::vector<int>{4, 5})) << call.output;
    const std::string file = call.dir / "in/FAX0001.APF";
    auto history = call.historyLines();
    ASSERT_EQ(history.size(), 2u) << readFile(call.history);
    EXPECT_EQ(history[0].rfind("Receive " + file + " from FAR END started at ", 0), 0u)
        << history[0];
    EXPECT_EQ(history[1].rfind("Receive finished OK at ", 0), 0u) << history[1];
    EXPECT_EQ(reportField(call.report, "success"), "true") << call.report;
    EXPECT_EQ(reportField(call.report, "remote_id"), "PARVEX RX");
    if (!rate.empty()) {
        EXPECT_EQ(reportField(call.report, "bit_rate"), rate);
    }
    auto got = apfPages(file);
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
    SKIP_WITHOUT_SIMULATOR();
    const auto& [faxClass, rate, fine] = GetParam();
    SendJob job;
    job.faxClass = faxClass;
    job.rate = rate;
    job.fine = fine;
    job.pages = 3;
    sendCase(job);
}

TEST_P(FaxMatrix, Receives) {
    SKIP_WITHOUT_SIMULATOR();
    const auto& [faxClass, rate, fine] = GetParam();
    // A DIS names modem families, not top speeds: a far end limited to 7200
    // or 12000 still has the family's 9600 or 14400, and a caller starts at
    // the top of what both have.
    const std::string expected = rate == "7200" ? "9600" : rate == "12000" ? "14400" : rate;
    receiveCase(faxClass, 1, {"--max-rate", rate, fine ? "--fine" : "--standard"}, expected, !fine);
}

std::string matrixRowName(const testing::TestParamInfo<MatrixRow>& p) {
    std::string name = "Class" + std::get<0>(p.param) + "_" + std::get<1>(p.param) +
                       (std::get<2>(p.param) ? "_fine" : "_standard");
    for (auto& c : name) {
        if (c == '.') {
            c = '0';
        }
    }
    return name;
}
// Class 1 builds its own frames and times its own waits: every speed.
INSTANTIATE_TEST_SUITE_P(Class1, FaxMatrix,
                         testing::Combine(testing::Values("1"),
                                          testing::Values("2400", "4800", "7200", "9600", "12000",
                                                          "14400"),
                                          testing::Bool()),
                         matrixRowName);
INSTANTIATE_TEST_SUITE_P(Class2, FaxMatrix,
                         testing::Combine(testing::Values("2", "2.0"),
                                          testing::Values("4800", "9600", "14400"),
                                          testing::Bool()),
                         matrixRowName);

// Each class steps down through the far end's refusals to train.
class FaxTrainingMatrix : public testing::TestWithParam<std::string> {};
TEST_P(FaxTrainingMatrix, TwoTrainingFailuresEndAtThe9600Modem) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.faxClass = GetParam();
    job.rate = "14400";
    job.simExtra = {"--condition", "train-fail=2"};
    job.expectRate = "9600";
    sendCase(job);
}
INSTANTIATE_TEST_SUITE_P(All, FaxTrainingMatrix, testing::Values("1", "2", "2.0"),
                         [](const testing::TestParamInfo<std::string>& p) {
                             return p.param == "2.0" ? std::string("Class20") : "Class" + p.param;
                         });

// A noisy line: many Class 1 calls of three fine pages at 30 dB signal to
// noise, each call meeting other noise, against the far end's own terminal
// sending the same pages to itself over the same line. PARVEX_NOISY_CALLS
// sets the count (100), PARVEX_NOISY_JOBS the calls run side by side (2).
int envCount(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

// The pages in `tif` are `sent`, each behind `blank` white lines.
bool samePages(const std::string& tif, const std::vector<Rows>& sent, size_t blank) {
    auto got = tiffPages(tif);
    if (got.size() != sent.size()) {
        return false;
    }
    for (size_t p = 0; p < sent.size(); ++p) {
        if (got[p].size() != sent[p].size() + blank ||
            !std::equal(sent[p].begin(), sent[p].end(), got[p].begin() + blank)) {
            return false;
        }
    }
    return true;
}

template <typename Call>
int countGood(int calls, int jobs, Call call) {
    std::atomic<int> next{0};
    std::atomic<int> good{0};
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        workers.emplace_back([&]() {
            for (int i = next++; i < calls; i = next++) {
                if (call(i)) {
                    ++good;
                }
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    return good;
}

TEST(FaxNoisyLine, Class1CallsAtSnr30CompleteWithIdenticalPages) {
    SKIP_WITHOUT_SIMULATOR();
    const int calls = envCount("PARVEX_NOISY_CALLS", 100);
    const int jobs = std::max(1, envCount("PARVEX_NOISY_JOBS", 2));
    TempDir shared;
    const std::string letter = shared / "letter.txt";
    {
        FaxCall scratch;
        std::filesystem::copy_file(writeLetter(scratch, "letter.txt", 3), letter);
    }
    ASSERT_EQ(textToApf(letter, shared / "letter.apf", true), ecOK);
    const std::vector<Rows> sent = apfPages(shared / "letter.apf");
    ASSERT_EQ(sent.size(), 3u);
    ASSERT_TRUE(writeTiffPages(shared / "letter.tif", sent));

    const int ours = countGood(calls, jobs, [&](int i) {
        FaxCall call;
        call.run({"remote-receive", "--class", "1", "--condition", "snr=30", "--noise-seed",
                  std::to_string(i), "--out", call.dir / "received.tif"},
                 {"send", "--to", "5551234", "--class", "1", "--rate", "9600", "--fine", letter});
        const bool ok = call.faxStatus == 0 && samePages(call.dir / "received.tif", sent, 8);
        if (!ok) {
            std::cout << "call " << i << " failed: " << lastLine(call.output) << std::endl;
        }
        return ok;
    });
    const int reference = countGood(calls, jobs, [&](int i) {
        TempDir dir;
        ChildProcess sim({simulatorPath(), "reference", "--in", shared / "letter.tif", "--out",
                          dir / "received.tif", "--max-rate", "9600", "--fine", "--condition",
                          "snr=30", "--noise-seed", std::to_string(i)},
                         dir / "sim.log");
        return sim.wait(600) == 0 && samePages(dir / "received.tif", sent, 0);
    });
    std::cout << "noisy line, snr=30, " << calls << " calls of 3 fine pages at 9600: parvex "
              << ours << " complete, spandsp terminal to terminal " << reference << " complete"
              << std::endl;
    RecordProperty("parvex_complete", ours);
    RecordProperty("reference_complete", reference);
    EXPECT_GE(ours * 100, calls * 99);
}
#else
TEST(FaxEndToEnd, Class1SendsTwoStandardPagesAt2400) {
    SKIP_WITHOUT_SIMULATOR();
    // The slowest speed: the modem holds page data for many seconds after
    // the last of it is written.
    SendJob job;
    job.rate = "2400";
    job.pages = 2;
    sendCase(job);
}
TEST(FaxEndToEnd, Class1SendsTwoStandardPagesAt9600) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.pages = 2;
    sendCase(job);
}
TEST(FaxEndToEnd, Class1ReceivesAFinePageAt14400) {
    SKIP_WITHOUT_SIMULATOR();
    receiveCase("1", 1);
}
TEST(FaxEndToEnd, Class2SendsAFinePageAt14400) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.faxClass = "2";
    job.rate = "14400";
    job.fine = true;
    sendCase(job);
}
TEST(FaxEndToEnd, Class2Receives) {
    SKIP_WITHOUT_SIMULATOR();
    receiveCase("2", 2);
}
TEST(FaxEndToEnd, Class20SendsThreePagesAt4800) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.faxClass = "2.0";
    job.rate = "4800";
    job.pages = 3;
    sendCase(job);
}
TEST(FaxEndToEnd, Class20Receives) {
    SKIP_WITHOUT_SIMULATOR();
    receiveCase("2.0", 3);
}
TEST(FaxEndToEnd, Class1SendsATextCoverBeforeTheLetter) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.rate = "14400";
    job.cover = "text";
    sendCase(job);
}
TEST(FaxEndToEnd, Class1PadsEveryPageLineToTheFarEndsScanTime) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.pages = 2;
    job.simExtra = {"--scan-time", "20"};
    job.minLineMs = 20;
    sendCase(job);
}

// In Class 2 and 2.0 the page's parameters go to the modem before a page of
// another resolution, and the modem sends a new DCS for it.
class FaxMixedResolution : public testing::TestWithParam<std::string> {};
TEST_P(FaxMixedResolution, StandardCoverBeforeAFineLetterArrivesInBothResolutions) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.faxClass = GetParam();
    job.fine = true;
    job.cover = "apf";
    job.standardCover = true;
    sendCase(job);
}
INSTANTIATE_TEST_SUITE_P(Classes, FaxMixedResolution, testing::Values("1", "2", "2.0"),
                         [](const testing::TestParamInfo<std::string>& p) {
                             return p.param == "2.0" ? std::string("Class20") : "Class" + p.param;
                         });

TEST(FaxEndToEnd, Class20SendsAnApfCoverAndTwoFilesInOneCall) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.faxClass = "2.0";
    job.rate = "14400";
    job.cover = "apf";
    job.secondFile = true;
    sendCase(job);
}
TEST(FaxEndToEnd, TrainingRefusedOnceEndsOneSpeedLowerWithTheSamePages) {
    SKIP_WITHOUT_SIMULATOR();
    SendJob job;
    job.rate = "14400";
    job.simExtra = {"--condition", "train-fail=1"};
    job.expectRate = "12000";
    sendCase(job);
}
TEST(FaxEndToEnd, BusyLineIsRedialledAfterTheRetryWait) {
    SKIP_WITHOUT_SIMULATOR();
    FaxCall call;
    std::string letter = writeLetter(call, "letter.txt", 1);
    call.run({"remote-receive", "--class", "1", "--condition", "busy=1", "--out",
              call.dir / "received.tif"},
             {"send", "--to", "5551234", "--class", "1", "--rate", "9600", "--attempts", "3",
              "--retry-wait", "2", letter});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_NE(call.output.find("Busy, waiting until redial..."), std::string::npos);
    EXPECT_EQ(call.logCodes(), (std::vector<int>{1, 2})) << call.output;
    EXPECT_EQ(lastLine(call.output), "Sent");
    EXPECT_EQ(reportField(call.report, "pages"), "1");
}
#endif

}  // namespace
}  // namespace px::test
