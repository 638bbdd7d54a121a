// Receive mode in the main window while the line simulator's far-end fax
// machine calls: what a good call leaves behind, and that faults, refused
// calls and a vanished modem leave the program in a defined state.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../../cli/fax/fax_pages.h"
#include "app/host/scripted_prompts.h"
#include "app/host/status_panel.h"
#include "app/incoming/incoming_workflow.h"
#include "app/incoming/receive_sound.h"
#include "app/incoming/starting_fax_form.h"
#include "app/main_window/main_screen.h"
#include "comms/px_error_text.h"
#include "fax/print/px_fax_printer.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "ui/printstatus/px_fax_printer_status.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRowBytes = 216;
constexpr int kPageRows = 240;
constexpr int kCallSeconds = 120;

std::string binDir() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return dir != nullptr ? dir : "bin";
}

// Small pages that tell each other apart: a bar whose place moves from page
// to page, and a diagonal.
std::vector<Rows> testPages(int count) {
    std::vector<Rows> pages;
    for (int p = 0; p < count; ++p) {
        Rows rows(kPageRows, std::vector<uint8_t>(kRowBytes, 0));
        for (int y = 40; y < 200; ++y) {
            for (int x = 20 + 50 * p; x < 60 + 50 * p; ++x) {
                rows[y][x] = 0xFF;
            }
            rows[y][y / 2] |= 0x80;
        }
        if (p == 1) {
            // Stripes that take a few seconds on the line: a far end can
            // hang up in the middle of this page.
            for (int y = 210; y < 235; ++y) {
                for (int x = 0; x < kRowBytes; x += 2) {
                    rows[y][x] = 0xFF;
                }
            }
        }
        pages.push_back(rows);
    }
    return pages;
}

class TSoundRecorder : public TReceiveSound {
public:
    std::vector<QString> played;
    void play(const QString& path) override { played.push_back(path); }
};

class TListenerRecorder : public TReceiveModeListener {
public:
    int started = 0;
    int stopped = 0;
    std::vector<TReceivedFaxInfo> faxes;
    void receiveModeStarted() override { ++started; }
    void faxReceived(const TReceivedFaxInfo& fax) override { faxes.push_back(fax); }
    void receiveModeStopped() override { ++stopped; }
};

class ReceiveModeCall : public ::testing::Test {
protected:
    TempDir home;
    TScriptedPrompts prompts;
    TSoundRecorder sound;
    TListenerRecorder listener;
    std::unique_ptr<TMainScreen> window;
    QProcess simulator;
    std::string link = home / "ttyFAX";
    std::string tiff = home / "sent.tif";
    std::string wav = home / "fax.wav";
    std::string pdf = home / "printed.pdf";
    std::vector<Rows> sent = testPages(3);

    void SetUp() override {
        PX_REQUIRE(fs::exists(binDir() + "/parvex-modemsim"), "parvex-modemsim");
        ASSERT_TRUE(writeTiffPages(tiff, sent));
        writeFile(wav, "RIFF");
    }

    void TearDown() override {
        if (window) {
            window->close();
            window.reset();
        }
        if (simulator.state() != QProcess::NotRunning) {
            simulator.kill();
            simulator.waitForFinished(5000);
        }
    }

    void writeSettings(const std::string& extra = "") {
        writeFile(home / "PX.INI", "[Modem]\nComPort=0\nFaxClassReceive=1\n[Ports]\nCOM1=" + link +
                                       "\n[Receive]\nWav=" + wav + "\n" + extra);
    }

    void startSimulator(const std::vector<std::string>& extra, int calls = 1,
                        const std::string& id = "FAR END") {
        QStringList args = {"remote-send",
                            "--link",
                            QString::fromStdString(link),
                            "--in",
                            QString::fromStdString(tiff),
                            "--ring-after",
                            "1",
                            "--timeout",
                            "300",
                            "--calls",
                            QString::number(calls),
                            "--id",
                            QString::fromStdString(id)};
        for (const std::string& e : extra) {
            args << QString::fromStdString(e);
        }
        simulator.setProcessChannelMode(QProcess::MergedChannels);
        simulator.setStandardOutputFile(QString::fromStdString(home / "sim.log"));
        simulator.start(QString::fromStdString(binDir() + "/parvex-modemsim"), args);
        ASSERT_TRUE(simulator.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(link); }, 10000)) << simLog();
    }

    std::string simLog() const { return readFile(home / "sim.log"); }

    void openWindow() {
        window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts);
        window->incoming().setSound(&sound);
        window->incoming().addListener(&listener);
        window->incoming().faxPrinter().setOutputPdf(QString::fromStdString(pdf));
    }

    void startReceiving() {
        window->receiveClick();
        ASSERT_TRUE(window->receiveMode()) << messages();
    }

    std::string messages() const {
        std::string all;
        for (const auto& e : prompts.faxErrors) {
            all += e.caption.toStdString() + ": " + e.text.toStdString() + "\n";
        }
        return all + simLog();
    }

    TXbTable& received() { return window->incomingLog().table(); }

    std::vector<std::string> receivedFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(window->folder().receiveFolder())) {
            files.push_back(entry.path().filename().string());
        }
        return files;
    }

    bool waitFor(const std::function<bool()>& done, int seconds = kCallSeconds) {
        return QTest::qWaitFor(done, seconds * 1000);
    }

    void expectPagesAsSent(const std::string& file) {
        const auto got = apfPages(file);
        ASSERT_EQ(got.size(), sent.size());
        for (std::size_t p = 0; p < sent.size(); ++p) {
            ASSERT_EQ(got[p].size(), sent[p].size()) << "page " << p + 1;
            for (std::size_t y = 0; y < sent[p].size(); ++y) {
                ASSERT_EQ(got[p][y], sent[p][y]) << "page " << p + 1 << " row " << y;
            }
        }
    }
};

std::string pdfPageCount(const std::string& pdf) {
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(pdf)});
    info.waitForFinished(20000);
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n')) {
        if (line.startsWith("Pages:")) {
            return line.mid(6).trimmed().toStdString();
        }
    }
    return {};
}

TEST_F(ReceiveModeCall, AGoodCallIsLoggedPlayedPrintedAndToldAboutThenStopRestoresTheCaptions) {
    PX_REQUIRE(!QStandardPaths::findExecutable("pdfinfo").isEmpty(), "pdfinfo (poppler-utils)");
    // Receive mode starts with the window; the named printer is not installed,
    // so the fax goes where the printer points already (here a PDF file).
    writeSettings("AtStartup=1\nPrintOnReceipt=1\nPrintOnReceiptPrinter=No Such Printer\n");
    startSimulator({});
    openWindow();
    // The printer's status window is up while the fax prints, and nobody
    // has to close it.
    QStringList statusSeen;
    window->incoming().faxPrinter().setOnNextPage([&](TPxCustomFaxPrinter&, unsigned, unsigned) {
        const auto* display = window->incoming().printStatus().display();
        if (display != nullptr && display->isVisible()) {
            statusSeen << display->windowTitle();
        }
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->firstActivationPending(); }, 10000));
    ASSERT_TRUE(window->receiveMode()) << messages();
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->iconText(), "STOP");
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->text(), "Stop &Receiving Faxes");
    EXPECT_EQ(listener.started, 1);

    ASSERT_TRUE(waitFor([&] { return !listener.faxes.empty(); })) << messages();
    ASSERT_EQ(received().recCount(), 1u);
    received().goTo(1);
    EXPECT_EQ(received().text("FROM"), "FAR END");
    EXPECT_EQ(received().value("PAGES").number, 3.0);
    const std::string file = received().text("FAXFILE");
    EXPECT_EQ(receivedFiles(), std::vector<std::string>{file});
    expectPagesAsSent(window->folder().receiveFolder() + file);
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0].toStdString(), wav);
    EXPECT_EQ(listener.faxes[0].stationId, "FAR END");
    EXPECT_EQ(listener.faxes[0].pages, 3);
    EXPECT_EQ(QFileInfo(listener.faxes[0].path).fileName().toStdString(), file);
    EXPECT_EQ(pdfPageCount(pdf), "3");
    EXPECT_EQ(statusSeen, QStringList({"Print Status", "Print Status", "Print Status"}));
    ASSERT_NE(window->incoming().printStatus().display(), nullptr);
    EXPECT_FALSE(window->incoming().printStatus().display()->isVisible());
    EXPECT_TRUE(prompts.faxErrors.empty()) << messages();
    EXPECT_TRUE(window->receiveMode());

    window->receiveClick();
    EXPECT_FALSE(window->receiveMode());
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->text(), "&Receive Faxes");
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->iconText(), "Receive");
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->toolTip(), "Start receiving faxes");
    EXPECT_FALSE(window->statusPanel().isVisible());
    EXPECT_EQ(listener.stopped, 1);
}

struct TFault {
    const char* name;
    std::vector<std::string> simulator;
    bool refuse;
    ErrorCode error;  // 0: whatever the engine names
};

class ReceiveModeFault : public ReceiveModeCall, public ::testing::WithParamInterface<TFault> {};

TEST_P(ReceiveModeFault, EndsWithTheFailureMessageAndNoRecordThenTheNextCallIsReceived) {
    const TFault& fault = GetParam();
    writeSettings();
    std::vector<std::string> sim = fault.simulator;
    sim.insert(sim.end(), {"--faulty-calls", "1"});
    startSimulator(sim, 2);
    openWindow();
    int offered = 0;
    if (fault.refuse) {
        window->incoming().setCallScreen([&] { return ++offered > 1; });
    }
    startReceiving();

    ASSERT_TRUE(waitFor([&] { return !prompts.faxErrors.empty(); })) << messages();
    const auto& failure = prompts.faxErrors[0];
    EXPECT_EQ(failure.caption, "Failed To Receive Incoming Fax");
    EXPECT_TRUE(failure.autoClose);
    EXPECT_FALSE(failure.withContinue);
    EXPECT_TRUE(failure.text.startsWith(
        "Parvex failed to receive an incoming fax.\n\nThe error message was:   "))
        << failure.text.toStdString();
    if (fault.error != 0) {
        EXPECT_TRUE(failure.text.endsWith(QString::fromStdString(errorText(fault.error))))
            << failure.text.toStdString();
        EXPECT_EQ(failure.errorCode, fault.error);
    }
    EXPECT_EQ(received().recCount(), 0u);
    EXPECT_TRUE(receivedFiles().empty());
    EXPECT_FALSE(window->faxBeingReceived());
    EXPECT_TRUE(window->receiveMode());

    ASSERT_TRUE(waitFor([&] { return !listener.faxes.empty(); })) << messages();
    ASSERT_EQ(received().recCount(), 1u);
    received().goTo(1);
    expectPagesAsSent(window->folder().receiveFolder() + received().text("FAXFILE"));
    EXPECT_EQ(receivedFiles().size(), 1u);
    EXPECT_EQ(prompts.faxErrors.size(), 1u) << messages();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReceiveModeFault,
    ::testing::Values(TFault{"HangupMidPage", {"--condition", "hangup-in-page=2"}, false, 0},
                      TFault{"Refused", {}, true, ecFileRejected}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ReceiveModeCall, AVanishedModemEndsReceiveModeWithAMessage) {
    writeSettings();
    startSimulator({"--condition", "vanish=2"});
    openWindow();
    startReceiving();
    ASSERT_TRUE(waitFor([&] { return !window->receiveMode(); }, 60)) << messages();
    ASSERT_TRUE(waitFor([&] { return !prompts.faxErrors.empty(); }, 5)) << messages();
    EXPECT_EQ(prompts.faxErrors.back().caption, "Receive Mode Ended");
    EXPECT_TRUE(prompts.faxErrors.back().text.contains("(COM1) is gone"))
        << prompts.faxErrors.back().text.toStdString();
    EXPECT_TRUE(prompts.faxErrors.back().autoClose);
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->text(), "&Receive Faxes");
    EXPECT_TRUE(receivedFiles().empty());
    EXPECT_EQ(listener.stopped, 1);
}

TEST_F(ReceiveModeCall, AStationIdIsStoredAndPassedOnAsPlainText) {
    // Quotes, a format code, a path, markup, a control character and a
    // letter outside ASCII: 20 bytes the far end may send.
    const std::string hostile = "\"%n../<b>x</b>\x07\xC3\xA9'$(";
    ASSERT_EQ(hostile.size(), 20u);
    writeSettings();
    startSimulator({}, 1, hostile);
    openWindow();
    startReceiving();
    ASSERT_TRUE(waitFor([&] { return !listener.faxes.empty(); })) << messages();
    // The engine keeps the printable characters of an ID, a blank for each other byte.
    std::string printable = hostile;
    for (char& c : printable) {
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127) {
            c = ' ';
        }
    }
    received().goTo(1);
    EXPECT_EQ(received().text("FROM"), printable);
    EXPECT_EQ(listener.faxes[0].stationId, QString::fromStdString(printable));
    EXPECT_EQ(window->statusPanel().textFormat(), Qt::PlainText);
}

TEST_F(ReceiveModeCall, AFaxWithoutStationIdIsLoggedWithAnEmptySender) {
    writeSettings();
    startSimulator({}, 1, "");
    openWindow();
    startReceiving();
    QStringList lines;
    ASSERT_TRUE(waitFor([&] {
        lines << window->statusPanel().text();
        return !listener.faxes.empty();
    })) << messages();
    received().goTo(1);
    EXPECT_EQ(received().text("FROM"), "");
    EXPECT_EQ(listener.faxes[0].pages, 3);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(" from: ")) << line.toStdString();
    }
}

int openDescriptors() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

int threads() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

// Calls in a row, each logged and printed while receive mode keeps waiting,
// and the program holds no more descriptors or threads after the last call
// than after the first. The long series, with memory, is a benchmark
// (receive_calls_bench).
TEST_F(ReceiveModeCall, CallsInARowArePrintedAndLeakNoDescriptorOrThread) {
    constexpr int kCalls = 3;
    sent = testPages(1);
    ASSERT_TRUE(writeTiffPages(tiff, sent));
    writeSettings("PrintOnReceipt=1\n");
    startSimulator({"--ring-after", "0.5"}, kCalls);
    openWindow();
    int printed = 0;
    window->incoming().faxPrinter().setOnFaxPrintLog([&](TPxCustomFaxPrinter&, TFaxPLCode code) {
        printed += code == TFaxPLCode::lcFinish ? 1 : 0;
    });
    startReceiving();
    ASSERT_TRUE(waitFor([&] { return !listener.faxes.empty(); })) << messages();
    QTest::qWait(200);
    const int fds = openDescriptors();
    const int tasks = threads();
    ASSERT_TRUE(waitFor([&] { return listener.faxes.size() >= static_cast<std::size_t>(kCalls); },
                        60 * kCalls))
        << messages();
    QTest::qWait(200);
    EXPECT_EQ(received().recCount(), static_cast<std::uint32_t>(kCalls));
    EXPECT_EQ(receivedFiles().size(), static_cast<std::size_t>(kCalls));
    EXPECT_EQ(printed, kCalls);
    EXPECT_TRUE(prompts.faxErrors.empty()) << messages();
    EXPECT_LE(openDescriptors(), fds);
    EXPECT_LE(threads(), tasks);
}

// Receive mode waiting for a call, with its notice over the window; with
// $PARVEX_SCREENSHOT_DIR set the picture goes there for the documentation.
TEST_F(ReceiveModeCall, Screenshot) {
    writeSettings();
    startSimulator({"--ring-after", "120"});
    openWindow();
    window->resize(900, 440);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->firstActivationPending(); }, 10000));
    startReceiving();
    TStartingFaxForm& notice = window->incoming().notice();
    ASSERT_TRUE(notice.isVisible());
    QApplication::processEvents();
    QPixmap shot = window->grab();
    const QPixmap over = notice.grab();
    {
        // The notice as the desktop shows it: its own frame and caption over the window.
        QPainter painter(&shot);
        const int caption = 24;
        const QRect frame((shot.width() - over.width()) / 2 - 2,
                          (shot.height() - over.height() - caption) / 2 - 2, over.width() + 4,
                          over.height() + caption + 4);
        painter.fillRect(frame, QColor(60, 60, 70));
        painter.setPen(Qt::white);
        painter.drawText(frame.adjusted(8, 0, 0, 0).topLeft() + QPoint(0, 17),
                         notice.windowTitle());
        painter.drawPixmap(frame.left() + 2, frame.top() + caption + 2, over);
    }
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : home.path();
    EXPECT_TRUE(shot.save(QString::fromStdString(dir + "/receive-mode.png")));
}

}  // namespace
}  // namespace px::test
