#include <QHeaderView>
#include <QLocalSocket>
#include <QProcess>
#include <QScreen>
#include <QTableView>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "app/host/status_panel.h"
#include "app/main_window/just_one.h"
#include "app/main_window/program.h"
#include "cli/settings/px_settings_cli.h"
#include "main_window_fixture.h"
#include "settings/print_handoff.h"
#include "settings/settings_file.h"
#include "support/apf_samples.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

using Lifecycle = MainWindowFixture;

TEST_F(Lifecycle, ReindexIsOfferedWhenTheMarkerTagIsMissingAndRunsOnYes) {
    configured();
    writeLogs({{"A", "Ann", "20261201"}}, {}, false);
    prompts.answers = {true};
    open();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "REINDEX");
    EXPECT_FALSE(prompts.questions[0].noDefault);
    EXPECT_TRUE(window->outgoingLog().hasMarkerTag());
    EXPECT_TRUE(window->incomingLog().hasMarkerTag());
    EXPECT_EQ(rows(TMainPage::Outgoing), 1);
    window->close();
    window.reset();

    prompts.questions.clear();
    open();
    EXPECT_TRUE(prompts.questions.empty()) << "rebuilt logs are not offered again";
    EXPECT_TRUE(preferenceWindows.empty()) << "a port was set: no quick setup";
}

TEST_F(Lifecycle, FirstRunOpensQuickSetupAndCreatesTheWorkingFolders) {
    open();
    EXPECT_TRUE(prompts.questions.empty()) << "new logs need no reindex";
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_TRUE(window->outgoingLog().hasMarkerTag());
    EXPECT_TRUE(window->incomingLog().hasMarkerTag());
    EXPECT_TRUE(window->firstRun());
    EXPECT_FALSE(window->firstActivationPending());
    EXPECT_TRUE(fs::is_directory(home / "SEND"));
    EXPECT_TRUE(fs::is_directory(home / "Receive"));
    EXPECT_TRUE(fs::exists(home / "PXOUT.DBF"));
    EXPECT_TRUE(fs::exists(home / "PXREC.DBF"));
    EXPECT_TRUE(fs::exists(home / "Covers/px0001.FCT")) << "the shipped cover templates";
    EXPECT_EQ(preferenceWindows, std::vector<std::string>{"TQuickSetupForm"});
    EXPECT_EQ(window->lastSendError(), -1);
    EXPECT_EQ(window->windowTitle(), "Parvex");
}

TEST_F(Lifecycle, PrintedJobsComeInAtFirstActivationAndWhileRunning) {
    configured();
    writeLogs({}, {});
    fs::create_directories(home / "SEND");
    writeApfPages(home / "SEND/PRN00000.APF", {drawnPage(40, {QRect(0, 0, 100, 10)})}, false);
    writeFile(home / "SEND/PRN00000.nqh", "5550100\nAda\nInvoice\n");
    open();
    EXPECT_EQ(rows(TMainPage::Outgoing), 1);
    EXPECT_FALSE(fs::exists(home / "SEND/PRN00000.nqh"));
    const auto location = readPrintDriverLocation(pxpdIniPath());
    ASSERT_TRUE(location);
    EXPECT_EQ(location->outPath, home.path() + "/SEND/");

    // While the program runs, SEND is watched: no activation needed.
    writeApfPages(home / "SEND/PRN00001.APF", {drawnPage(40, {})}, false);
    writeFile(home / "SEND/PRN00001.nqh", "5550101\nBob\nMemo\n");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (rows(TMainPage::Outgoing) < 2 && std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(rows(TMainPage::Outgoing), 2);
}

TEST_F(Lifecycle, ShippedCoversNeverReplaceTheUsersTemplates) {
    fs::create_directories(home / "Covers");
    std::ofstream(home / "Covers/PX0001.fct") << "mine";
    open();
    std::ifstream kept(home / "Covers/PX0001.fct");
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "mine");
    EXPECT_FALSE(fs::exists(home / "Covers/px0001.FCT"));
    EXPECT_TRUE(fs::exists(home / "Covers/px0002.FCT"));
}

TEST_F(Lifecycle, UnreadableLogEndsTheProgramWithItsMessage) {
    configured();
    fs::create_directories(home / "PXOUT.DBF");  // a folder where the table should be
    window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts);
    ASSERT_FALSE(prompts.informations.empty());
    EXPECT_EQ(prompts.informations[0], kOutgoingOpenFailed);
    EXPECT_FALSE(window->logsOpen());
    window->show();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible()) << "the window closed itself";
    const std::string ini = readFile(home / "PX.INI");
    EXPECT_NE(ini.find("ComPort=0"), std::string::npos) << "settings file kept";
}

TEST_F(Lifecycle, CloseSavesGridLayoutPlacementAndSettings) {
    configured();
    writeLogs({{"A", "Ann", "20261201"}}, {});
    open();
    QHeaderView* header = window->outgoingGrid()->horizontalHeader();
    const int recipient = window->outgoingModel().columnOf("RECIPIENT");
    header->moveSection(header->visualIndex(recipient), 0);
    header->resizeSection(recipient, 222);
    window->setGeometry(40, 50, 700, 500);
    window->settings().user.name = "Ann Sender";
    EXPECT_TRUE(window->close());
    window.reset();

    const std::string gco = readFile(home / "Out.gco");
    EXPECT_EQ(gco.substr(0, gco.find('\r')), "RECIPIENT");
    EXPECT_EQ(gco.find("calcFaxFile"), std::string::npos);
    const std::string gcs = readFile(home / "Out.gcs");
    EXPECT_NE(gcs.find("\r\n222\r\n"), std::string::npos) << gcs;

    const IniFile ini = IniFile::load(home / "PX.INI");
    EXPECT_EQ(ini.readString("User", "Name", ""), "Ann Sender");
    EXPECT_EQ(ini.readString("Version", "Version", ""), "2.9q");
    EXPECT_EQ(ini.readInteger("TMainScreen_Placement", "Left", -1), 40);
    EXPECT_EQ(ini.readInteger("TMainScreen_Placement", "Top", -1), 50);
    EXPECT_EQ(ini.readInteger("TMainScreen_Placement", "Right", -1), 740);
    EXPECT_EQ(ini.readInteger("TMainScreen_Placement", "Bottom", -1), 550);

    // The next start puts the column and the window back.
    open();
    header = window->outgoingGrid()->horizontalHeader();
    EXPECT_EQ(header->logicalIndex(0), window->outgoingModel().columnOf("RECIPIENT"));
    EXPECT_EQ(header->sectionSize(window->outgoingModel().columnOf("RECIPIENT")), 222);
    EXPECT_EQ(window->geometry(), QRect(40, 50, 700, 500));
}

TEST_F(Lifecycle, ColumnOrderAndWidthsComeBackExactlyWithTheFaxFileMoved) {
    configured();
    writeLogs({{"A", "Ann", "20261201", "FAX00001.APF"}}, {});
    open();
    QHeaderView* header = window->outgoingGrid()->horizontalHeader();
    const TLogModel& model = window->outgoingModel();
    header->moveSection(header->visualIndex(model.columnOf("calcFaxFile")), 0);
    header->moveSection(header->visualIndex(model.columnOf("CODES")), 4);
    for (int logical = 0; logical < header->count(); ++logical) {
        header->resizeSection(logical, 41 + 13 * logical);
    }
    const auto shown = [&] {
        std::vector<std::pair<std::string, int>> columns;
        QHeaderView* h = window->outgoingGrid()->horizontalHeader();
        for (int visual = 0; visual < h->count(); ++visual) {
            const int logical = h->logicalIndex(visual);
            columns.emplace_back(
                window->outgoingModel().columns()[static_cast<std::size_t>(logical)].field,
                h->sectionSize(logical));
        }
        return columns;
    };
    const auto before = shown();
    ASSERT_EQ(before.front().first, "calcFaxFile");
    EXPECT_TRUE(window->close());
    window.reset();

    open();
    EXPECT_EQ(shown(), before);
}

TEST_F(Lifecycle, ClosingWhileAFaxComesInAsksFirst) {
    configured();
    writeLogs({}, {});
    open();
    window->setReceiveMode(true);
    window->setFaxBeingReceived(true);
    prompts.answers = {false};
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "ALERT!");
    EXPECT_EQ(prompts.questions[0].text, kClosingWhileReceiving);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->receiveMode());

    prompts.answers = {true};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->receiveMode()) << "receive mode ends on close";
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->iconText(), "Receive");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(window->outgoingLog().table().isOpen());
}

TEST_F(Lifecycle, ShowHintsIsSavedAtOnce) {
    configured();
    open();
    ASSERT_TRUE(window->action(TCommand::ShowHints)->isChecked());
    window->action(TCommand::ShowHints)->trigger();
    EXPECT_FALSE(IniFile::load(home / "PX.INI").readBool("Hints", "On", true));
}

TEST(SingleInstance, ASecondStartEndsAtOnceAndTheFirstKeepsRunning) {
    const QByteArray bin = qgetenv("PARVEX_BIN_DIR");
    PX_REQUIRE(!bin.isEmpty(), "PARVEX_BIN_DIR (the built programs)");
    TempDir home;
    TempDir runtime;
    writeFile(home / "PX.INI", "[Modem]\nComPort=0\n");
    {
        // Logs with the marker tag, so the first instance asks nothing.
        auto env = std::make_shared<TTableEnv>();
        for (TLogKind kind : {TLogKind::Outgoing, TLogKind::Incoming}) {
            TLogTable log(kind, home.path(), env);
            ASSERT_TRUE(log.open());
            rebuildTableIndex(log, {});
        }
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PARVEX_HOME", QString::fromStdString(home.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    const QString program = QString::fromLocal8Bit(bin) + "/parvex";

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString serverName =
        TPreviousInstance::serverNameFor(QString::fromStdString(home.path() + "/"));
    bool listening = false;
    for (int i = 0; i < 200 && !listening; ++i) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        listening = socket.waitForConnected(100);
        if (!listening) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ASSERT_TRUE(listening) << "the first instance listens";

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second start ends by itself";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

// A user who never ran Parvex: no program folder, not even ~/.local.
TEST(FirstStart, AnEmptyHomeGetsItsProgramFolderAndLogsWithoutAQuestion) {
    const QByteArray bin = qgetenv("PARVEX_BIN_DIR");
    if (bin.isEmpty()) {
        GTEST_SKIP() << "PARVEX_BIN_DIR not set";
    }
    const QString program = QString::fromLocal8Bit(bin) + "/parvex";
    if (fs::exists(QString::fromLocal8Bit(bin).toStdString() + "/PX.INI")) {
        GTEST_SKIP() << "a portable PX.INI beside the program";
    }
    TempDir home;
    TempDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("PARVEX_HOME");
    env.remove("XDG_DATA_HOME");
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    // The window closes itself once it has been painted; a message box or a
    // question would keep the program from ending.
    env.insert("PARVEX_QUIT_AFTER_PAINT", "1");
    QProcess parvex;
    parvex.setProcessEnvironment(env);
    parvex.start(program, {});
    ASSERT_TRUE(parvex.waitForStarted(5000));
    const bool ended = parvex.waitForFinished(30000);
    if (!ended) {
        parvex.kill();
        parvex.waitForFinished(5000);
    }
    ASSERT_TRUE(ended) << "the program waits for an answer";
    EXPECT_EQ(parvex.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(parvex.exitCode(), 0);

    const std::string folder = home / ".local/share/parvex";
    for (const char* made :
         {"PXOUT.DBF", "PXOUT.CDX", "PXREC.DBF", "PXREC.CDX", "SEND", "Receive", "PX.INI"}) {
        EXPECT_TRUE(fs::exists(folder + "/" + made)) << made;
    }
    auto tables = std::make_shared<TTableEnv>();
    for (TLogKind kind : {TLogKind::Outgoing, TLogKind::Incoming}) {
        TLogTable log(kind, folder, tables);
        ASSERT_TRUE(log.open());
        EXPECT_TRUE(log.hasMarkerTag()) << log.schema().fileName << " would ask to reindex";
    }
}

TEST(FirstStart, AProgramFolderThatCannotBeCreatedIsNamedWithTheReason) {
    TempDir home;
    writeFile(home / ".local", "");  // a file where the folder's parent should be
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedParvexHome = qgetenv("PARVEX_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qunsetenv("PARVEX_HOME");
    TScriptedPrompts prompts;
    const std::optional<ProgramFolder> folder = openProgramFolder(prompts);
    qputenv("HOME", savedHome);
    if (!savedParvexHome.isEmpty()) {
        qputenv("PARVEX_HOME", savedParvexHome);
    }
    EXPECT_FALSE(folder);
    ASSERT_EQ(prompts.informations.size(), 1u);
    const QString message = prompts.informations[0];
    EXPECT_TRUE(message.contains(QString::fromStdString(home / ".local/share/parvex")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(std::strerror(ENOTDIR))))
        << message.toStdString();
}

// parvex-settings knows the running program by the lock its guard holds.
TEST(SingleInstance, TheSettingsCommandWarnsWhileTheProgramRuns) {
    TempDir home;
    TempDir runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    const ProgramFolder folder(home.path());
    std::ostringstream out;
    std::ostringstream err;
    {
        TPreviousInstance running(QString::fromStdString(folder.path()));
        ASSERT_FALSE(running.anotherRuns());
        EXPECT_EQ(runSettingsCli({"set", "Modem/ComPort", "1"}, folder, out, err), 0);
        EXPECT_NE(err.str().find("Parvex is running"), std::string::npos) << err.str();
    }
    err.str({});
    EXPECT_EQ(runSettingsCli({"set", "Modem/ComPort", "1"}, folder, out, err), 0);
    EXPECT_TRUE(err.str().empty()) << err.str();
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, AnActivationRequestReachesTheListeningInstance) {
    TempDir home;
    TempDir runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    TPreviousInstance firstState(QString::fromStdString(home.path()));
    ASSERT_FALSE(firstState.anotherRuns());
    TJustOne first(firstState);
    ASSERT_TRUE(first.listen());
    int activations = 0;
    QObject::connect(&first, &TJustOne::activationRequested, [&] { ++activations; });

    TPreviousInstance secondState(QString::fromStdString(home.path()));
    EXPECT_TRUE(secondState.anotherRuns());
    TJustOne second(secondState);
    std::thread client([&] { EXPECT_TRUE(second.activatePrevious(3000)); });
    for (int i = 0; i < 100 && activations == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    client.join();
    for (int i = 0; i < 20 && activations == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(activations, 1);
    qunsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

TEST_F(Lifecycle, SavedPlacementBeyondTheScreenIsMovedBackOnIt) {
    writeFile(home / "PX.INI",
              "[Modem]\nComPort=0\n[TMainScreen_Placement]\nLeft=5000\nTop=20\nRight=5600\n"
              "Bottom=420\nMaximized=0\n");
    open();
    const QRect screen = window->screen()->geometry();
    EXPECT_EQ(window->geometry().right() + 1, screen.width());
    EXPECT_EQ(window->geometry().width(), 600);
    EXPECT_EQ(window->geometry().top(), 20);
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

TEST_F(Lifecycle, ClosingBeforeTheLayoutWasLoadedKeepsTheSavedLayout) {
    configured();
    writeLogs({}, {});
    writeFile(home / "Out.gco", "RECIPIENT\r\nSUBJECT\r\n");
    window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts);
    EXPECT_TRUE(window->close());
    window.reset();
    EXPECT_EQ(readFile(home / "Out.gco"), "RECIPIENT\r\nSUBJECT\r\n");
}

}  // namespace
}  // namespace px::test
