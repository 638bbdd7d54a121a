// The "Configuration Information" window: the report shown read-only from
// its first line, Copy to Clipboard, Save As..., OK; gathering on a test host.
#include "app/report/configuration_info.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "app/host/fake_host.h"
#include "app/report/configuration_gatherer.h"
#include "app/report/configuration_lines.h"
#include "app/report/configuration_report.h"
#include "app/report/sample_facts.h"
#include "support/accessibility.h"

namespace px {
namespace {

struct Message {
    QString caption;
    QString text;
};

std::vector<std::string> sampleLines() {
    std::vector<std::string> lines = {"8 December 2026", "", "[Product]", "Program:     \tParvex"};
    for (int i = 0; i < 200; ++i) {
        lines.push_back("Line " + std::to_string(i));
    }
    return lines;
}

struct Rig {
    QTemporaryDir folder;
    std::vector<Message> messages;
    QString chosen;
    QString suggested;
    TConfigurationInfo window{sampleLines(), folder.path()};
    Rig() {
        window.setMessenger([this](const QString& caption, const QString& text) {
            messages.push_back({caption, text});
        });
        window.setFileChooser([this](const QString& s) {
            suggested = s;
            return chosen;
        });
        window.show();
        QCoreApplication::processEvents();
    }
};

TEST(ConfigurationInfo, ShowsTheReportReadOnlyFromItsFirstLine) {
    Rig rig;
    EXPECT_EQ(rig.window.windowTitle(), "Configuration Information");
    EXPECT_TRUE(rig.window.reportView()->isReadOnly());
    EXPECT_EQ(rig.window.reportView()->toPlainText().toStdString(),
              configurationReportText(sampleLines()));
    EXPECT_EQ(rig.window.reportView()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(rig.window.reportView()->textCursor().position(), 0);
    EXPECT_EQ(rig.window.copyButton()->text(), "Copy to Clipboard");
    EXPECT_EQ(rig.window.saveButton()->text(), "Save As...");
    EXPECT_EQ(rig.window.okButton()->text(), "OK");
    EXPECT_EQ(test::unnamedControls(&rig.window), "");
}

TEST(ConfigurationInfo, CopyPutsTheWholeReportOnTheClipboard) {
    Rig rig;
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(rig.window.copyButton(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString(configurationReportText(sampleLines())));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].caption, "Configuration Information");
    EXPECT_EQ(rig.messages[0].text, "Information copied to Windows clipboard");
}

TEST(ConfigurationInfo, SaveAsWritesTheReportAndSaysWhere) {
    Rig rig;
    // Cancelled: nothing written, nothing said.
    QTest::mouseClick(rig.window.saveButton(), Qt::LeftButton);
    EXPECT_EQ(rig.suggested, rig.folder.path() + "/ConfigInfo.txt");
    EXPECT_TRUE(rig.messages.empty());

    rig.chosen = rig.folder.path() + "/report";  // the default extension is added
    QTest::mouseClick(rig.window.saveButton(), Qt::LeftButton);
    const std::string saved = test::readFile((rig.folder.path() + "/report.TXT").toStdString());
    EXPECT_EQ(saved, configurationReportText(sampleLines()));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].caption, "Configuration Information");
    EXPECT_EQ(rig.messages[0].text,
              "Information was saved as: " + rig.folder.path() + "/report.TXT");

    // A folder that does not exist: a clear message, not a success.
    rig.chosen = rig.folder.path() + "/missing/ConfigInfo.txt";
    QTest::mouseClick(rig.window.saveButton(), Qt::LeftButton);
    ASSERT_EQ(rig.messages.size(), 2u);
    EXPECT_TRUE(
        rig.messages[1].text.startsWith("The information could not be saved as: " + rig.chosen))
        << rig.messages[1].text.toStdString();
}

TEST(ConfigurationInfo, OkCloses) {
    Rig rig;
    ASSERT_TRUE(rig.window.isVisible());
    QTest::mouseClick(rig.window.okButton(), Qt::LeftButton);
    EXPECT_FALSE(rig.window.isVisible());
    EXPECT_EQ(rig.window.result(), QDialog::Accepted);
}

TEST(ConfigurationInfo, GatheringTellsTheProgramsOwnFacts) {
    test::TFakeHost host;
    host.record.modem.comPort = -1;
    const TConfigurationFacts facts = gatherConfigurationFacts(host);
    EXPECT_EQ(facts.settingsPath, host.programFolder.settingsPath());
    EXPECT_EQ(facts.programFolder, host.programFolder.path());
    EXPECT_EQ(facts.modem.outcome, TModemIdentity::Outcome::NotConfigured);
    EXPECT_EQ(facts.qtVersion, qVersion());
    EXPECT_FALSE(facts.date.empty());
    EXPECT_FALSE(facts.kernel.empty());
    EXPECT_GT(facts.cpuCount, 0);
    EXPECT_TRUE(facts.memory);
    for (const TSerialHolder& h : facts.serialHolders) {
        EXPECT_EQ(QString::fromStdString(h.program).toUpper().indexOf("PARVEX"), -1);
    }
}

TEST(ConfigurationInfo, HelpMenuCommandShowsTheGatheredReport) {
    test::TFakeHost host;
    host.record.modem.comPort = -1;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<TConfigurationInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        shown = window->reportText();
        window->okButton()->click();
    });
    TConfigurationReport(host).show();
    EXPECT_TRUE(
        shown.contains(QString::fromStdString("[" + host.programFolder.settingsPath() + "]")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("ATI:                  \tnot asked: no port has been chosen yet"));
}

// With $PARVEX_SCREENSHOT_DIR set the picture goes there for the
// documentation, else into a scratch folder.
TEST(ConfigurationInfo, Screenshot) {
    Settings s;
    s.modem.comPort = 2;
    s.resetting.string = "AT&F";
    s.resetting.afterString = "ATZ";
    TConfigurationFacts f = test::sampleFacts();
    f.qtVersion = qVersion();
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString dir = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    TConfigurationInfo window(configurationReportLines(f, s), "/home/ada/.local/share/parvex/");
    window.show();
    QCoreApplication::processEvents();
    const QPixmap shot = window.grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(dir + "/configuration-report.png"));
}

}  // namespace
}  // namespace px
