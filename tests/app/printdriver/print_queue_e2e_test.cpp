// The print queue "Parvex Fax" end to end: a scheduler of the test's own, the
// queue installed into it by scripts/install-print-queue.sh, and the intake
// watching SEND as in the running program. A PDF printed with lp becomes an
// outgoing fax whose page reads back through OCR.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <filesystem>
#include <functional>

#include "app/host/fake_host.h"
#include "app/printdriver/print_driver_intake.h"
#include "cli/print/private_cupsd.h"
#include "fax/unpack/px_fax_unpacker.h"
#include "support/prerequisite.h"
#include "support/shell_command.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kQueue = "Parvex_Fax";
constexpr const char* kHeadline = "INVOICE 4711";

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class PrintQueueEndToEnd : public ::testing::Test {
protected:
    TempDir homes;
    std::string user = ::getpwuid(::geteuid())->pw_name;
    std::string backend = env("PARVEX_BIN_DIR") + "/parvex-cups-backend";
    std::string script = env("PARVEX_SOURCE_DIR") + "/scripts/install-print-queue.sh";

    // Waits with the event loop running, as the program does.
    static bool waitFor(const std::function<bool()>& done, int ms) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            ::usleep(10000);
        }
        return done();
    }

    static std::vector<std::vector<std::string>> rows(TFakeHost& host) {
        std::vector<std::vector<std::string>> out;
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.setOrder(0);
        for (t.first(); !t.eof(); t.next()) {
            out.push_back(
                {t.text("PHONE"), t.text("RECIPIENT"), t.text("SUBJECT"), t.text("FAXDOC")});
        }
        return out;
    }

    static void writeInvoicePdf(const std::string& path) {
        QPdfWriter writer(QString::fromStdString(path));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        QPainter painter(&writer);
        QFont font("DejaVu Sans");
        font.setPointSize(28);
        painter.setFont(font);
        painter.drawText(QRect(200, 300, 2200, 400), Qt::AlignLeft, kHeadline);
    }

    std::string runBackend(const std::string& arguments, int* status) {
        return runCommand(shellQuote(backend) + " " + arguments + " 2>&1", status);
    }
};

TEST_F(PrintQueueEndToEnd, PrintedPdfBecomesAnOutgoingFax) {
    PX_REQUIRE(PrivateCupsd::available(), "cupsd (cups-daemon)");
    PX_REQUIRE(haveProgram("lp") && haveProgram("lpadmin"), "lp, lpadmin (cups-client)");
    PX_REQUIRE(haveProgram("tesseract"), "tesseract (tesseract-ocr)");
    ASSERT_TRUE(fs::exists(backend)) << backend;

    PrivateCupsd cupsd("", "SetEnv PARVEX_PRINT_HOMES " + homes.path() + "\n");
    ASSERT_TRUE(cupsd.waitUntilReady(std::chrono::seconds(10))) << cupsd.errorLog();
    ::setenv("CUPS_SERVER", cupsd.socket().c_str(), 1);

    // The program's side: PXPD.INI in the user's configuration, SEND watched.
    TFakeHost host;
    const std::string configHome = env("XDG_CONFIG_HOME");
    ::setenv("XDG_CONFIG_HOME", (homes.path() + "/" + user + "/.config").c_str(), 1);
    TPrintDriverIntake intake(host);
    intake.writeSettingsFile();
    intake.watchSendFolder();

    // A job for a user whose Parvex is not set up yet fails with a clear message.
    int status = -1;
    std::string output = runBackend("1 nobody-here t 1 ''", &status);
    EXPECT_EQ(status, 5) << output;
    EXPECT_NE(output.find("ERROR: unknown user"), std::string::npos) << output;
    output = runBackend("", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.rfind("direct parvex:/fax", 0), 0U) << output;

    const std::string ppds = homes.path() + "/ppd";
    output = runCommand(shellQuote(script) + " --backend " + shellQuote(backend) +
                            " --backend-dir " + shellQuote(cupsd.backendFolder()) + " --ppd-dir " +
                            shellQuote(ppds) + " 2>&1",
                        &status);
    ASSERT_EQ(status, 0) << output;

    const std::string pdf = homes.path() + "/doc.pdf";
    writeInvoicePdf(pdf);
    output = runCommand("lp -d " + std::string(kQueue) + " -o fax-number=5550100 -t Invoice " +
                            shellQuote(pdf) + " 2>&1",
                        &status);
    ASSERT_EQ(status, 0) << output;
    ASSERT_TRUE(waitFor([&] { return rows(host).size() == 1; }, 5000)) << cupsd.errorLog();
    auto got = rows(host);
    EXPECT_EQ(got[0][0], "5550100");
    EXPECT_EQ(got[0][1], "");
    EXPECT_EQ(got[0][2], "Invoice");
    const std::string fax = host.programFolder.sendFolder() + got[0][3];
    ASSERT_TRUE(fs::exists(fax)) << got[0][3];

    TPxFaxUnpacker unpacker;
    unpacker.setInFileName(QString::fromStdString(fax));
    const QImage page = unpacker.unpackPage(1);
    ASSERT_FALSE(page.isNull());
    const std::string picture = homes.path() + "/page.png";
    ASSERT_TRUE(page.save(QString::fromStdString(picture), "PNG"));
    const std::string text = runCommand("tesseract " + shellQuote(picture) + " - 2>/dev/null");
    EXPECT_NE(text.find(kHeadline), std::string::npos) << text;

    // Hostile titles and recipients are stored as text, cut to the fields.
    // The scheduler takes titles of up to 255 bytes, so the longest one goes
    // to the backend as the scheduler would pass it.
    const std::string title = "\"Q\" '../../etc/x' $(reboot) " + std::string(200, 'y');
    output = runCommand("lp -d " + std::string(kQueue) + " -o " +
                            shellQuote("fax-recipient=O\\'Neil\\ \\\"Q\\\"\\ ../x") + " -t " +
                            shellQuote(title) + " " + shellQuote(pdf) + " 2>&1",
                        &status);
    ASSERT_EQ(status, 0) << output;
    ASSERT_TRUE(waitFor([&] { return rows(host).size() == 2; }, 5000)) << cupsd.errorLog();
    const std::string longTitle = "'; rm -rf ~ # ../" + std::string(500, 'z');
    output =
        runCommand("PARVEX_PRINT_HOMES=" + shellQuote(homes.path()) + " " + shellQuote(backend) +
                       " 99 " + shellQuote(user) + " " + shellQuote(longTitle) + " 1 " +
                       shellQuote("fax-number='555 0100' fax-recipient=\"A \\\"B\\\"\"") + " " +
                       shellQuote(pdf) + " 2>&1",
                   &status);
    ASSERT_EQ(status, 0) << output;
    ASSERT_TRUE(waitFor([&] { return rows(host).size() == 3; }, 5000));
    got = rows(host);
    EXPECT_EQ(got[1][0], "");
    EXPECT_EQ(got[1][1], "O'Neil \"Q\" ../x");
    EXPECT_EQ(got[1][2], title.substr(0, 50));
    EXPECT_EQ(got[2][0], "555 0100");
    EXPECT_EQ(got[2][1], "A \"B\"");
    EXPECT_EQ(got[2][2], longTitle.substr(0, 50));
    // Nothing but the three jobs' fax files is left in SEND.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(host.programFolder.sendFolder())) {
        EXPECT_EQ(entry.path().extension(), ".APF") << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 3);

    // Without PXPD.INI the job fails with a clear message in the job log.
    fs::remove(homes.path() + "/" + user + "/.config/parvex/PXPD.INI");
    output = runCommand("lp -d " + std::string(kQueue) + " " + shellQuote(pdf) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(waitFor(
        [&] { return cupsd.errorLog().find("Parvex is not set up for user") != std::string::npos; },
        10000))
        << cupsd.errorLog();
    EXPECT_EQ(rows(host).size(), 3U);

    output = runCommand(shellQuote(script) + " --remove --backend-dir " +
                            shellQuote(cupsd.backendFolder()) + " --ppd-dir " + shellQuote(ppds) +
                            " 2>&1",
                        &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_FALSE(fs::exists(cupsd.backendFolder() + "/parvex"));
    runCommand("lpstat -p " + std::string(kQueue) + " >/dev/null 2>&1", &status);
    EXPECT_NE(status, 0);
    ::unsetenv("CUPS_SERVER");
    ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
}

// The backend run by hand as CUPS runs it: as root it acts as the job's user,
// so files land owned by that user and a SEND folder that is not theirs is
// refused; PostScript arrives on standard input.
TEST_F(PrintQueueEndToEnd, BackendActsAsTheJobsUser) {
    PX_REQUIRE(haveProgram("gs"), "gs (ghostscript)");
    ASSERT_TRUE(fs::exists(backend)) << backend;
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    fs::permissions(homes.path(), fs::perms::owner_all | fs::perms::others_exec);
    const std::string home = homes.path() + "/nobody";
    const std::string send = home + "/SEND/";
    fs::create_directories(home + "/.config/parvex");
    fs::create_directories(send);
    writeFile(home + "/.config/parvex/PXPD.INI",
              "[Location]\nPXOutPath=" + send + "\nPXExecutable=/usr/bin/parvex\n");
    const std::string ps = homes.path() + "/doc.ps";
    writeFile(ps,
              "%!PS\n/Helvetica findfont 40 scalefont setfont 72 700 moveto (PS 42) show\n"
              "showpage\n");
    fs::permissions(ps, fs::perms::owner_read);  // only root reads the spool file
    const std::string run = "PARVEX_PRINT_HOMES=" + shellQuote(homes.path()) + " " +
                            shellQuote(backend) + " 7 nobody Memo 1 fax-number=1 ";

    // SEND still root's: refused, nothing written.
    int status = -1;
    std::string output = runCommand(run + shellQuote(ps) + " 2>&1", &status);
    EXPECT_EQ(status, 5) << output;
    EXPECT_NE(output.find("ERROR: the SEND folder"), std::string::npos) << output;
    EXPECT_TRUE(fs::is_empty(send));

    for (const std::string& path : {home, home + "/.config", home + "/.config/parvex", send}) {
        ASSERT_EQ(::chown(path.c_str(), uid, gid), 0);
    }
    output = runCommand(run + " < " + shellQuote(ps) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << output;
    struct stat fax {};
    struct stat note {};
    ASSERT_EQ(::stat((send + "PRN00000.APF").c_str(), &fax), 0) << output;
    ASSERT_EQ(::stat((send + "PRN00000.nqh").c_str(), &note), 0);
    EXPECT_EQ(fax.st_uid, uid);
    EXPECT_EQ(note.st_uid, uid);
    EXPECT_EQ(fax.st_mode & 0777, 0600U);
    EXPECT_EQ(readFile(send + "PRN00000.nqh"), "1\n\nMemo\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(send)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace px::test
