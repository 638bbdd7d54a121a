// The print-driver intake on a host of its own: jobs dropped into SEND as
// NAME.APF + NAME.nqh become outgoing faxes; incomplete, linked or misnamed
// jobs stay where they are; hostile hand-off texts are stored as text.
#include "app/printdriver/print_driver_intake.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <functional>

#include "app/host/fake_host.h"
#include "fax/apf/px_apf_format.h"
#include "settings/ini_file.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

// A converted fax file of `pages` empty pages; `finished` false leaves it as
// a writer does half-way: page count 0, the last page's length still 0.
std::string apfBytes(int pages, bool finished = true) {
    ApfFileHeader header;
    header.pageCount = static_cast<std::uint16_t>(finished ? pages : 0);
    const auto head = header.pack();
    std::string bytes(head.begin(), head.end());
    for (int i = 0; i < pages; ++i) {
        ApfPageHeader page;
        page.flags = kApfLengthWords;
        const bool last = i == pages - 1;
        page.imageLength = finished || !last ? 2 + kApfEndOfPageRecord.size() : 0;
        const auto packed = page.pack();
        bytes.append(packed.begin(), packed.end());
        bytes += std::string("\x0C\x00", 2);
        bytes.append(kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    }
    return bytes;
}

struct Row {
    std::string phone, recipient, subject, faxDoc, faxCover;
};

class PrintDriverIntakeTest : public ::testing::Test {
protected:
    TFakeHost host;
    TPrintDriverIntake intake{host};
    std::string send = host.programFolder.sendFolder();

    void drop(const std::string& base, const std::string& handOff, int pages = 1) {
        writeFile(send + base + ".APF", apfBytes(pages));
        writeFile(send + base + ".nqh", handOff);
    }

    std::vector<Row> rows() {
        std::vector<Row> out;
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.setOrder(0);
        for (t.first(); !t.eof(); t.next()) {
            out.push_back({t.text("PHONE"), t.text("RECIPIENT"), t.text("SUBJECT"),
                           t.text("FAXDOC"), t.text("FAXCOVER")});
        }
        return out;
    }

    bool waitFor(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            ::usleep(10000);
        }
        return done();
    }
};

TEST_F(PrintDriverIntakeTest, PairsBecomeRecordsWithOneReopenAndTheFaxFileStays) {
    drop("JOB1", "5550100\nAda Lovelace\nInvoice\n");
    drop("job2", "5550199\r\nCharles Babbage\r\nEngines\r\n", 2);
    writeFile(send + "LONE.APF", apfBytes(1));    // no hand-off: not taken in
    writeFile(send + "ORPHAN.NQH", "1\n2\n3\n");  // no fax file: stays

    EXPECT_TRUE(intake.processWaitingFiles());
    EXPECT_EQ(host.reopens, 1);
    auto got = rows();
    ASSERT_EQ(got.size(), 2U);
    std::sort(got.begin(), got.end(), [](const Row& a, const Row& b) { return a.phone < b.phone; });
    EXPECT_EQ(got[0].phone, "5550100");
    EXPECT_EQ(got[0].recipient, "Ada Lovelace");
    EXPECT_EQ(got[0].subject, "Invoice");
    EXPECT_EQ(got[0].faxDoc, "JOB1.APF");
    EXPECT_EQ(got[0].faxCover, "");
    EXPECT_EQ(got[1].subject, "Engines");
    EXPECT_EQ(got[1].faxDoc, "job2.APF");

    EXPECT_FALSE(fs::exists(send + "JOB1.nqh"));
    EXPECT_FALSE(fs::exists(send + "job2.nqh"));
    EXPECT_TRUE(fs::exists(send + "JOB1.APF"));
    EXPECT_TRUE(fs::exists(send + "LONE.APF"));
    EXPECT_TRUE(fs::exists(send + "ORPHAN.NQH"));

    // Nothing new: no record, no reopen; the orphan is looked at again.
    EXPECT_FALSE(intake.processWaitingFiles());
    EXPECT_EQ(host.reopens, 1);
    EXPECT_TRUE(fs::exists(send + "ORPHAN.NQH"));
    writeFile(send + "ORPHAN.apf", apfBytes(1));
    EXPECT_TRUE(intake.processWaitingFiles());
    EXPECT_EQ(rows().size(), 3U);
}

TEST_F(PrintDriverIntakeTest, ShortHandOffLeavesTheMissingFieldsEmpty) {
    drop("A", "5550100");
    drop("B", "");
    EXPECT_TRUE(intake.processWaitingFiles());
    auto got = rows();
    ASSERT_EQ(got.size(), 2U);
    for (const Row& row : got) {
        EXPECT_EQ(row.recipient, "");
        EXPECT_EQ(row.subject, "");
    }
}

TEST_F(PrintDriverIntakeTest, HalfWrittenFaxFileWaitsForALaterLook) {
    writeFile(send + "HALF.APF", apfBytes(2, false));
    writeFile(send + "HALF.nqh", "1\n2\n3\n");
    writeFile(send + "SHORT.APF", apfBytes(1).substr(0, 70));  // cut inside a page
    writeFile(send + "SHORT.nqh", "1\n2\n3\n");
    writeFile(send + "EMPTY.APF", "");
    writeFile(send + "EMPTY.nqh", "1\n2\n3\n");
    EXPECT_FALSE(intake.processWaitingFiles());
    EXPECT_TRUE(intake.waitingForFiles());
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(fs::exists(send + "HALF.nqh"));

    writeFile(send + "HALF.APF", apfBytes(2));
    EXPECT_TRUE(intake.processWaitingFiles());
    ASSERT_EQ(rows().size(), 1U);
    EXPECT_EQ(rows()[0].faxDoc, "HALF.APF");
}

TEST_F(PrintDriverIntakeTest, LinksAndPathsOutOfSendAreRefused) {
    TempDir elsewhere;
    writeFile(elsewhere / "secret.APF", apfBytes(1));
    writeFile(elsewhere / "x.nqh", "1\n2\n3\n");
    writeFile(elsewhere / "x.APF", apfBytes(1));
    fs::create_symlink(elsewhere / "secret.APF", send + "LINKED.APF");
    writeFile(send + "LINKED.nqh", "1\n2\n3\n");
    writeFile(send + "LINKNQH.APF", apfBytes(1));
    fs::create_symlink(elsewhere / "x.nqh", send + "LINKNQH.nqh");

    EXPECT_FALSE(intake.processWaitingFiles());
    EXPECT_EQ(
        intake.processOnePrintFile("../" + fs::path(elsewhere.path()).filename().string() + "/x"),
        TIntakeResult::Refused);
    EXPECT_EQ(intake.processOnePrintFile(".."), TIntakeResult::Refused);
    EXPECT_EQ(intake.processOnePrintFile("a\\b"), TIntakeResult::Refused);
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(fs::exists(elsewhere / "x.nqh"));
    EXPECT_TRUE(fs::is_symlink(send + "LINKNQH.nqh"));
    EXPECT_TRUE(fs::exists(send + "LINKED.nqh"));
}

TEST_F(PrintDriverIntakeTest, HostileTextsAreStoredAsTextCutToTheFields) {
    const std::string longText(500, 'x');
    drop("EVIL", "\"5550100\" ../x\n'); DROP TABLE -- ../../etc/passwd\n\"Q\" .and. " + longText +
                     "\n4th line ignored\n");
    EXPECT_TRUE(intake.processWaitingFiles());
    auto got = rows();
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].phone, std::string("\"5550100\" ../x"));
    EXPECT_EQ(got[0].recipient, std::string("'); DROP TABLE -- ../../etc/passwd").substr(0, 35));
    EXPECT_EQ(got[0].subject, ("\"Q\" .and. " + longText).substr(0, 50));
    EXPECT_EQ(got[0].faxDoc, "EVIL.APF");
}

TEST_F(PrintDriverIntakeTest, LongFaxFileNamesGetASendNameThatFitsTheLog) {
    drop("a-very-long-print-job-name", "1\n2\n3\n");
    EXPECT_TRUE(intake.processWaitingFiles());
    auto got = rows();
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].faxDoc, "PRN00000.APF");
    EXPECT_TRUE(fs::exists(send + "PRN00000.APF"));
    EXPECT_FALSE(fs::exists(send + "a-very-long-print-job-name.APF"));
}

TEST_F(PrintDriverIntakeTest, SettingsFileNamesSendAndTheProgram) {
    TempDir config;
    const std::string before = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    intake.writeSettingsFile();
    const IniFile ini = IniFile::load(config / "parvex/PXPD.INI");
    EXPECT_EQ(ini.readString("Location", "PXOutPath", ""), send);
    EXPECT_EQ(ini.readString("Location", "PXExecutable", ""), currentExecutablePath());
    ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
}

TEST_F(PrintDriverIntakeTest, WatchedSendFolderTakesJobsInWithoutActivation) {
    intake.watchSendFolder();
    // The way the print queue writes: fax file first, hand-off renamed in last.
    writeFile(send + "W.APF", apfBytes(1));
    writeFile(send + ".W.tmp", "5550100\nAda\nWatched\n");
    fs::rename(send + ".W.tmp", send + "W.nqh");
    ASSERT_TRUE(waitFor([&] { return host.refreshes > 0; }));
    ASSERT_EQ(rows().size(), 1U);
    EXPECT_EQ(rows()[0].subject, "Watched");

    // A fax file finished after its hand-off arrived is taken in once it is complete.
    writeFile(send + "LATE.APF", apfBytes(1, false));
    writeFile(send + "LATE.nqh", "1\n2\nLate\n");
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < 400) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(rows().size(), 1U);
    {
        // Rewritten in place, as a writer finishing its header does: SEND
        // itself does not change.
        const int fd = ::open((send + "LATE.APF").c_str(), O_WRONLY | O_TRUNC);
        const std::string done = apfBytes(1);
        ASSERT_EQ(::write(fd, done.data(), done.size()), static_cast<ssize_t>(done.size()));
        ::close(fd);
    }
    EXPECT_TRUE(waitFor([&] { return rows().size() == 2; }));
}

TEST(ApfCompleteness, CountedPagesMustFillTheFile) {
    TempDir dir;
    const auto check = [&](const std::string& bytes) {
        writeFile(dir / "f.apf", bytes);
        const int fd = ::open((dir / "f.apf").c_str(), O_RDONLY);
        const bool complete = isCompleteApf(fd);
        ::close(fd);
        return complete;
    };
    EXPECT_TRUE(check(apfBytes(1)));
    EXPECT_TRUE(check(apfBytes(3)));
    EXPECT_FALSE(check(apfBytes(3, false)));
    EXPECT_FALSE(check(apfBytes(2) + "trailing"));
    EXPECT_FALSE(check(apfBytes(2).substr(0, apfBytes(2).size() - 1)));
    EXPECT_FALSE(check("APF10"));
    std::string wrong = apfBytes(1);
    wrong[0] = 'X';
    EXPECT_FALSE(check(wrong));
}

}  // namespace
}  // namespace px::test
