// Receive mode left running: the main window answers a long series of calls
// from parvex-modemsim's far end, printing each fax on receipt, and the
// program's open descriptors, threads and resident memory are compared after
// the first calls and after the last.
//   receive_calls_bench [--calls N]   (default 100; goal: no descriptor or
//                                      thread more, memory growth < 2 MB)
// The line runs in real time, about ten seconds a call.
#include <QApplication>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/host/user_prompts.h"
#include "app/incoming/incoming_workflow.h"
#include "app/incoming/receive_mode_listener.h"
#include "app/incoming/receive_sound.h"
#include "app/main_window/main_screen.h"
#include "cli/fax/fax_pages.h"
#include "fax/print/px_fax_printer.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kWarmUpCalls = 3;
constexpr long kGoalGrowthKb = 2048;
constexpr int kSecondsPerCallAllowed = 40;

int openDescriptors() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

int threads() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// One small page with a bar and a diagonal.
px::test::Rows samplePage() {
    constexpr int kRowBytes = 216;
    px::test::Rows rows(240, std::vector<uint8_t>(kRowBytes, 0));
    for (int y = 40; y < 200; ++y) {
        for (int x = 20; x < 60; ++x) {
            rows[y][x] = 0xFF;
        }
        rows[y][y / 2] |= 0x80;
    }
    return rows;
}

class TQuietPrompts : public px::TUserPrompts {
public:
    int faxErrors = 0;
    void information(QWidget*, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&, bool) override { return false; }
    int choice(QWidget*, const QString&, const QStringList&, int) override { return -1; }
    int buttonChoice(QWidget*, const QString&, const QStringList&) override { return -1; }
    px::TFaxErrorResult faxError(QWidget*, const QString& caption, const QString& text, bool, bool,
                                 px::ErrorCode code) override {
        ++faxErrors;
        std::fprintf(stderr, "%s (%d): %s\n", qPrintable(caption), code, qPrintable(text));
        return px::TFaxErrorResult::Ok;
    }
    void beep() override {}
};

class TNoSound : public px::TReceiveSound {
public:
    void play(const QString&) override {}
};

class TCallCounter : public px::TReceiveModeListener {
public:
    std::size_t received = 0;
    void receiveModeStarted() override {}
    void faxReceived(const px::TReceivedFaxInfo&) override { ++received; }
    void receiveModeStopped() override {}
};

struct TSample {
    int fds;
    int threads;
    long rssKb;
};

TSample sample() {
    return {openDescriptors(), threads(), residentKb()};
}

int run(int calls) {
    const px::test::TempDir home;
    const std::string link = home / "ttyFAX";
    const std::string tiff = home / "sent.tif";
    if (!px::test::writeTiffPages(tiff, {samplePage()})) {
        std::fprintf(stderr, "cannot write %s\n", tiff.c_str());
        return 1;
    }
    px::test::writeFile(home / "PX.INI", "[Modem]\nComPort=0\nFaxClassReceive=1\n[Ports]\nCOM1=" +
                                             link + "\n[Receive]\nPrintOnReceipt=1\n");
    const char* bin = std::getenv("PARVEX_BIN_DIR");
    const std::string sim = std::string(bin != nullptr ? bin : "build/bin") + "/parvex-modemsim";
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::MergedChannels);
    simulator.setStandardOutputFile(QString::fromStdString(home / "sim.log"));
    simulator.start(QString::fromStdString(sim),
                    {"remote-send", "--link", QString::fromStdString(link), "--in",
                     QString::fromStdString(tiff), "--ring-after", "0.5", "--timeout",
                     QString::number(calls * kSecondsPerCallAllowed), "--calls",
                     QString::number(calls), "--id", "FAR END"});
    if (!simulator.waitForStarted(10000) ||
        !QTest::qWaitFor([&] { return fs::exists(link); }, 10000)) {
        std::fprintf(stderr, "cannot start %s\n", sim.c_str());
        return 1;
    }

    TQuietPrompts prompts;
    TNoSound sound;
    TCallCounter counter;
    int rc = 0;
    {
        px::TMainScreen window(px::ProgramFolder(home.path()), prompts);
        window.incoming().setSound(&sound);
        window.incoming().addListener(&counter);
        window.incoming().faxPrinter().setOutputPdf(QString::fromStdString(home / "printed.pdf"));
        window.receiveClick();
        if (!window.receiveMode()) {
            std::fprintf(stderr, "receive mode did not start\n");
            return 1;
        }
        const auto start = Clock::now();
        const auto waitCalls = [&](std::size_t n) {
            return QTest::qWaitFor([&] { return counter.received >= n; },
                                   static_cast<int>(n) * kSecondsPerCallAllowed * 1000);
        };
        if (!waitCalls(kWarmUpCalls)) {
            std::fprintf(stderr, "the first calls did not arrive\n");
            return 1;
        }
        const TSample first = sample();
        std::printf("after %zu calls: %d descriptors, %d threads, %ld kB resident\n",
                    counter.received, first.fds, first.threads, first.rssKb);
        std::fflush(stdout);
        const bool all = waitCalls(static_cast<std::size_t>(calls));
        QTest::qWait(200);
        const TSample last = sample();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("after %zu calls: %d descriptors, %d threads, %ld kB resident\n",
                    counter.received, last.fds, last.threads, last.rssKb);
        std::printf("calls logged: %u, fax error dialogs: %d, %.1f s a call\n",
                    window.incomingLog().table().recCount(), prompts.faxErrors,
                    seconds / static_cast<double>(std::max<std::size_t>(counter.received, 1)));
        const long growth = last.rssKb - first.rssKb;
        std::printf(
            "growth over %zu calls: %+d descriptors, %+d threads, %+ld kB "
            "(goal: +0, +0, < %ld kB)\n",
            counter.received - kWarmUpCalls, last.fds - first.fds, last.threads - first.threads,
            growth, kGoalGrowthKb);
        if (!all) {
            std::fprintf(stderr, "only %zu of %d calls arrived\n", counter.received, calls);
            rc = 1;
        }
        window.receiveClick();
        window.close();
    }
    simulator.kill();
    simulator.waitForFinished(5000);
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int calls = 100;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--calls") {
            calls = std::max(static_cast<int>(kWarmUpCalls) + 1, std::atoi(argv[i + 1]));
        }
    }
    return run(calls);
}
