// The receipt command: what the user's program gets as its arguments (hostile
// sender IDs included), that Parvex does not wait for it, and what a program
// that cannot start leaves in the status panel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "app/desktop/receipt_command.h"
#include "settings/px_settings.h"
#include "support/temp_dir.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

constexpr int kStartTimeoutMs = 10000;

// A program that writes its argument count and arguments, NUL-separated, to
// `record`; with `gate` it then waits until that file exists before writing
// `record + ".done"`.
std::string writeRecorder(const TempDir& dir, const std::string& gate = "") {
    const std::string program = dir / "record-args";
    const std::string record = dir / "args";
    std::string script = "#!/bin/sh\nprintf '%s\\0' \"$#\" \"$@\" > '" + record + ".tmp'\nmv '" +
                         record + ".tmp' '" + record + "'\n";
    if (!gate.empty()) {
        script += "i=0\nwhile [ ! -e '" + gate +
                  "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n";
        script += ": > '" + record + ".done'\n";
    }
    writeFile(program, script);
    fs::permissions(program, fs::perms::owner_all);
    return program;
}

// The arguments the recorder saw, after the count.
std::vector<QString> recordedArgs(const std::string& record) {
    QFile file(QString::fromStdString(record));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> parts = file.readAll().split('\0');
    parts.removeLast();  // after the last separator
    std::vector<QString> args;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        args.push_back(QString::fromUtf8(parts[i]));
    }
    EXPECT_EQ(parts.value(0).toInt(), static_cast<int>(args.size()));
    return args;
}

struct CommandRig {
    TempDir dir;
    ReceiveSettings settings;
    std::vector<QString> reports;
    TReceiptCommand command{settings, [this](const QString& text) { reports.push_back(text); }};

    CommandRig() { fs::create_directory(dir / "Receive"); }

    TReceivedFaxInfo fax(const QString& id, int pages = 3) const {
        return {QString::fromStdString(dir / "Receive/R0000001.APF"), id, pages};
    }
    bool waitForFile(const std::string& path) const {
        return QTest::qWaitFor([&] { return fs::exists(path); }, kStartTimeoutMs);
    }
};

TEST(ReceiptCommand, HostileStationIdsArriveUnchangedAsOneArgument) {
    const QString hostile[] = {
        QString(20, '"'),
        "''''''''''''''''''''",
        "%n%n%s%x%n%n%n%n%n%n",
        "../../../../etc/pass",
        "$(touch PWNED)`id`;&",
        "; rm -rf ~ #|>x <y *",
        "-rf --help",
        QString::fromUtf8("\x01\x1b[31m\t\n\r\x7f\xc2\x85"
                          "ABC"),
        QString::fromUtf8("Müller ☎ 東京 Ünïcødé"),
        "  +1 555 0100       ",
        "",
    };
    for (const QString& id : hostile) {
        CommandRig rig;
        rig.settings.command = writeRecorder(rig.dir);
        const TReceivedFaxInfo fax = rig.fax(id, 7);
        rig.command.faxReceived(fax);
        ASSERT_TRUE(rig.waitForFile(rig.dir / "args")) << id.toStdString();
        const std::vector<QString> args = recordedArgs(rig.dir / "args");
        ASSERT_EQ(args.size(), 3u) << id.toStdString();
        EXPECT_EQ(args[0], fax.path);
        EXPECT_EQ(args[1], id) << id.toStdString();
        EXPECT_EQ(args[2], "7");
        EXPECT_TRUE(rig.reports.empty());
        EXPECT_FALSE(fs::exists(rig.dir / "Receive/PWNED"));
        EXPECT_FALSE(fs::exists(rig.dir / "PWNED"));
    }
}

TEST(ReceiptCommand, ANulInTheIdIsDroppedRatherThanEndingTheArgument) {
    const QString id = QString("AB") + QChar(0) + "CD";
    EXPECT_EQ(TReceiptCommand::arguments({"/r/F.APF", id, 1}),
              QStringList({"/r/F.APF", "ABCD", "1"}));
}

TEST(ReceiptCommand, ParvexGoesOnWhileTheProgramRuns) {
    CommandRig rig;
    const std::string gate = rig.dir / "gate";
    rig.settings.command = writeRecorder(rig.dir, gate);
    rig.command.faxReceived(rig.fax("X"));
    // The program is held at its gate; had Parvex waited for it, it would be done.
    EXPECT_FALSE(fs::exists(rig.dir / "args.done"));
    ASSERT_TRUE(rig.waitForFile(rig.dir / "args"));
    writeFile(gate, "");
    EXPECT_TRUE(rig.waitForFile(rig.dir / "args.done"));
}

TEST(ReceiptCommand, AProgramThatCannotStartIsReportedAndTheNextFaxStillRuns) {
    CommandRig rig;
    rig.settings.command = rig.dir / "no-such-program";
    rig.command.faxReceived(rig.fax("A"));
    rig.settings.command = "parvex-no-such-program-on-the-path";
    rig.command.faxReceived(rig.fax("B"));
    const std::string plain = rig.dir / "not-executable";
    writeFile(plain, "#!/bin/sh\n");
    rig.settings.command = plain;
    rig.command.faxReceived(rig.fax("C"));
    rig.settings.command = rig.dir.path();
    rig.command.faxReceived(rig.fax("D"));
    ASSERT_EQ(rig.reports.size(), 4u);
    EXPECT_EQ(
        rig.reports[0],
        receiptCommandFailure(QString::fromStdString(rig.dir / "no-such-program"), "not found"));
    EXPECT_TRUE(rig.reports[1].endsWith("parvex-no-such-program-on-the-path (not found)"));
    EXPECT_TRUE(rig.reports[2].endsWith("not-executable (not executable)"));
    EXPECT_TRUE(rig.reports[3].endsWith("(not executable)"));

    rig.settings.command = writeRecorder(rig.dir);
    rig.command.faxReceived(rig.fax("E"));
    EXPECT_TRUE(rig.waitForFile(rig.dir / "args"));
    EXPECT_EQ(rig.reports.size(), 4u);
}

TEST(ReceiptCommand, NoCommandSetStartsNothing) {
    CommandRig rig;
    rig.settings.command = "   ";
    rig.command.faxReceived(rig.fax("A"));
    EXPECT_TRUE(rig.reports.empty());
}

TEST(ReceiptCommand, AHomeFolderTildeIsExpandedAndNothingElse) {
    EXPECT_EQ(TReceiptCommand::programPath("~/bin/mail-fax"), QDir::homePath() + "/bin/mail-fax");
    EXPECT_EQ(TReceiptCommand::programPath(" /opt/fax/$HOME "), "/opt/fax/$HOME");
    EXPECT_EQ(TReceiptCommand::programPath("~ann/x"), "~ann/x");
}

}  // namespace
}  // namespace px::test
