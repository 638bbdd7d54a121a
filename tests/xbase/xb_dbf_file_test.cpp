#include "xbase/xb_dbf_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "xb_test_util.h"
#include "xbase/xb_error.h"
#include "xbase/xb_record.h"

namespace px {
namespace {

using test::readBytes;
using test::TTempDir;
using test::writeBytes;

std::vector<char> makeRecord(const TXbDbfFile& file, const std::string& name, int pages) {
    std::vector<char> rec(static_cast<std::size_t>(file.recordLength()), ' ');
    xbWriteField(file.fields()[0], rec.data(), TXbValue::character(name));
    xbWriteField(file.fields()[1], rec.data(), TXbValue::ofDate({2026, 12, 8}));
    xbWriteField(file.fields()[2], rec.data(), TXbValue::ofLogical(pages % 2 == 1));
    xbWriteField(file.fields()[3], rec.data(), TXbValue::ofNumber(pages));
    xbWriteField(file.fields()[4], rec.data(), TXbValue::ofNumber(pages * 1.25));
    return rec;
}

TEST(DbfFile, CreatesTheDbaseThreeLayout) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    std::vector<char> bytes = readBytes(path);
    const int fields = 5;
    const int headerLength = 32 + 32 * fields + 1;
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(headerLength + 1));
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8),
              headerLength);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]), 1 + 20 + 8 + 1 + 5 + 8);
    EXPECT_EQ(bytes[headerLength - 1], 0x0D);
    EXPECT_EQ(bytes[headerLength], 0x1A);
    EXPECT_EQ(std::string(&bytes[32], 4), "NAME");
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(bytes[32 + 32 * 4 + 11], 'N');
    EXPECT_EQ(bytes[32 + 32 * 4 + 17], 2);  // decimals of PRICE

    TXbDbfFile file;
    file.open(path, false);
    const std::vector<char> rec = makeRecord(file, "Smith", 3);
    EXPECT_EQ(file.appendRecord(rec.data()), 1u);
    bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(headerLength + file.recordLength() + 1));
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(std::string(&bytes[headerLength], static_cast<std::size_t>(file.recordLength())),
              " Smith               20261208T    3    3.75");
    EXPECT_EQ(bytes.back(), 0x1A);
}

TEST(DbfFile, RecordsSurviveReopenAndInPlaceWrites) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    {
        TXbDbfFile file;
        file.open(path, false);
        for (int i = 0; i < 50; ++i) {
            file.appendRecord(makeRecord(file, "N" + std::to_string(i), i).data());
        }
        std::vector<char> rec = makeRecord(file, "changed", 99);
        rec[0] = '*';
        file.writeRecord(7, rec.data());
    }
    TXbDbfFile file;
    file.open(path, false);
    ASSERT_EQ(file.recordCount(), 50u);
    EXPECT_FALSE(file.repairedOnOpen());
    EXPECT_EQ(xbReadField(file.fields()[0], file.record(50)).text.substr(0, 3), "N49");
    EXPECT_EQ(file.record(7)[0], '*');
    EXPECT_EQ(xbReadField(file.fields()[3], file.record(7)).number, 99);
    EXPECT_THROW(file.record(51), EXbError);
    EXPECT_THROW(file.record(0), EXbError);
}

TEST(DbfFile, NumericOverflowIsRefusedAndLeavesTheRecordAlone) {
    const TXbField pages{"PAGES", 'N', 2, 0, 1};
    std::vector<char> rec(3, ' ');
    xbWriteField(pages, rec.data(), TXbValue::ofNumber(42));
    EXPECT_EQ(std::string(rec.data() + 1, 2), "42");
    EXPECT_THROW(xbWriteField(pages, rec.data(), TXbValue::ofNumber(100)), EXbError);
    EXPECT_THROW(xbWriteField(pages, rec.data(), TXbValue::character("1")), EXbError);
    EXPECT_EQ(std::string(rec.data() + 1, 2), "42");
}

// Each row damages a valid file; the reader must answer with a clean error or
// a repaired table, never a crash or a wild allocation.
TEST(DbfFile, HostileHeadersGiveCleanErrors) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    {
        TXbDbfFile file;
        file.open(path, false);
        for (int i = 0; i < 3; ++i) {
            file.appendRecord(makeRecord(file, "x", i).data());
        }
    }
    const std::vector<char> good = readBytes(path);
    struct TCase {
        const char* what;
        std::function<void(std::vector<char>&)> damage;
    };
    const std::vector<TCase> cases = {
        {"empty file", [](std::vector<char>& b) { b.clear(); }},
        {"header only", [](std::vector<char>& b) { b.resize(40); }},
        {"unknown version", [](std::vector<char>& b) { b[0] = 0x7F; }},
        {"header length beyond file", [](std::vector<char>& b) { b[8] = '\xFF', b[9] = '\x7F'; }},
        {"header length too small", [](std::vector<char>& b) { b[8] = 40, b[9] = 0; }},
        {"record length zero", [](std::vector<char>& b) { b[10] = 0, b[11] = 0; }},
        {"record length disagrees", [](std::vector<char>& b) { b[10] = 99; }},
        {"character width zero", [](std::vector<char>& b) { b[32 + 16] = 0; }},
        {"date width absurd", [](std::vector<char>& b) { b[64 + 16] = '\xFF'; }},
        {"memo field", [](std::vector<char>& b) { b[32 + 11] = 'M'; }},
        {"duplicate field name",
         [](std::vector<char>& b) { std::memcpy(&b[64], "NAME\0\0\0", 7); }},
        {"missing terminator", [](std::vector<char>& b) { b[32 + 5 * 32] = 'X'; }},
        {"garbage field name", [](std::vector<char>& b) { b[32] = '\x01'; }},
    };
    for (const TCase& c : cases) {
        std::vector<char> bytes = good;
        c.damage(bytes);
        writeBytes(path, bytes);
        TXbDbfFile file;
        try {
            file.open(path, false);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const EXbError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << c.what;
        }
    }
}

TEST(DbfFile, OversizedFileIsRefusedBeforeReading) {
    TTempDir dir;
    const std::string path = dir.file("HUGE.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    std::filesystem::resize_file(path, std::uintmax_t{3} << 30);  // sparse
    TXbDbfFile file;
    try {
        file.open(path, false);
        ADD_FAILURE() << "opened a 3 GB table";
    } catch (const EXbError& e) {
        EXPECT_EQ(e.kind(), TXbErrorKind::BadFormat);
    }
}

TEST(DbfFile, RecordCountThatLiesIsReconciledWithTheFileSize) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    {
        TXbDbfFile file;
        file.open(path, false);
        for (int i = 0; i < 4; ++i) {
            file.appendRecord(makeRecord(file, "r" + std::to_string(i), i).data());
        }
    }
    std::vector<char> bytes = readBytes(path);
    struct TCase {
        std::uint32_t claimed;
        std::uint32_t expected;
    };
    for (const TCase c : {TCase{0xFFFFFFFFu, 4}, TCase{1000, 4}, TCase{2, 4}, TCase{0, 4}}) {
        std::memcpy(&bytes[4], &c.claimed, 4);
        writeBytes(path, bytes);
        TXbDbfFile file;
        file.open(path, false);
        EXPECT_EQ(file.recordCount(), c.expected) << c.claimed;
        EXPECT_TRUE(file.repairedOnOpen());
        file.close();
        file.open(path, false);
        EXPECT_FALSE(file.repairedOnOpen()) << "the repair is written back";
    }
    // Trailing bytes that are not records stay outside the table.
    bytes = readBytes(path);
    const std::uint32_t two = 2;
    std::memcpy(&bytes[4], &two, 4);
    const std::size_t third = bytes.size() - 1 - 2 * 43;  // record 3 of 4
    bytes[third] = '\x55';
    writeBytes(path, bytes);
    TXbDbfFile file;
    file.open(path, false);
    EXPECT_EQ(file.recordCount(), 2u);
}

// An append is cut short at every byte: whatever reaches the disk, the table
// opens with all earlier records intact, plus the new one only when whole.
TEST(DbfFile, AppendInterruptedAtEveryByteKeepsCommittedRecords) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    std::vector<std::vector<char>> committed;
    {
        TXbDbfFile file;
        file.open(path, false);
        for (int i = 0; i < 3; ++i) {
            committed.push_back(makeRecord(file, "kept" + std::to_string(i), i));
            file.appendRecord(committed.back().data());
        }
    }
    const std::vector<char> before = readBytes(path);
    std::vector<char> fresh;
    {
        TXbDbfFile file;
        file.open(path, false);
        fresh = makeRecord(file, "new", 7);
        file.appendRecord(fresh.data());
    }
    const std::vector<char> after = readBytes(path);
    ASSERT_GT(after.size(), before.size());
    // The write order is record then header; a torn state has the new bytes
    // up to some offset with either header.
    for (std::size_t cut = before.size() - 1; cut <= after.size(); ++cut) {
        for (const bool headerWritten : {false, true}) {
            std::vector<char> image(after.begin(),
                                    after.begin() + static_cast<std::ptrdiff_t>(cut));
            if (!headerWritten) {
                std::memcpy(&image[1], &before[1], 7);
            }
            writeBytes(path, image);
            TXbDbfFile file;
            ASSERT_NO_THROW(file.open(path, false)) << cut;
            ASSERT_GE(file.recordCount(), 3u) << cut;
            ASSERT_LE(file.recordCount(), 4u) << cut;
            for (std::uint32_t r = 1; r <= 3; ++r) {
                EXPECT_EQ(0, std::memcmp(file.record(r), committed[r - 1].data(),
                                         committed[r - 1].size()))
                    << "cut " << cut << " record " << r;
            }
            if (file.recordCount() == 4) {
                EXPECT_EQ(0, std::memcmp(file.record(4), fresh.data(), fresh.size())) << cut;
            }
            // The repaired table takes further appends.
            file.appendRecord(fresh.data());
            file.close();
            file.open(path, false);
            EXPECT_EQ(0, std::memcmp(file.record(file.recordCount()), fresh.data(), fresh.size()));
        }
    }
}

// A writer process is killed at a random moment; every record it reported as
// written is there afterwards.
TEST(DbfFile, KilledWriterLosesNothingCommitted) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    for (int round = 0; round < 5; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            TXbDbfFile file;
            file.open(path, false);
            for (int i = 0;; ++i) {
                const std::uint32_t n =
                    file.appendRecord(makeRecord(file, "w" + std::to_string(i), i % 1000).data());
                if (::write(fds[1], &n, sizeof n) != sizeof n) {
                    ::_exit(1);
                }
            }
        }
        ::close(fds[1]);
        std::uint32_t last = 0;
        std::uint32_t n = 0;
        for (int seen = 0; seen < 200 + round * 150 && ::read(fds[0], &n, sizeof n) == sizeof n;
             ++seen) {
            last = n;
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(fds[0]);
        TXbDbfFile file;
        ASSERT_NO_THROW(file.open(path, false));
        EXPECT_GE(file.recordCount(), last);
        for (std::uint32_t r = 1; r <= file.recordCount(); ++r) {
            const char flag = file.record(r)[0];
            ASSERT_TRUE(flag == ' ' || flag == '*') << r;
        }
    }
}

TEST(DbfFile, ExclusiveOpenKeepsOthersOut) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    TXbDbfFile shared;
    shared.open(path, false);
    TXbDbfFile other;
    EXPECT_NO_THROW(other.open(path, false));
    other.close();
    try {
        other.open(path, true);
        ADD_FAILURE() << "exclusive open while shared";
    } catch (const EXbError& e) {
        EXPECT_EQ(e.kind(), TXbErrorKind::Locked);
    }
    shared.close();
    EXPECT_NO_THROW(other.open(path, true));
}

TEST(DbfFile, PackRewriteKeepsChosenRecordsAndReportsProgress) {
    TTempDir dir;
    const std::string path = dir.file("T.DBF");
    TXbDbfFile::create(path, test::sampleFields());
    TXbDbfFile file;
    file.open(path, false);
    for (int i = 0; i < 1000; ++i) {
        file.appendRecord(makeRecord(file, "p" + std::to_string(i), i).data());
    }
    std::vector<std::uint32_t> keep;
    for (std::uint32_t r = 2; r <= 1000; r += 2) {
        keep.push_back(r);
    }
    std::vector<int> reports;
    file.rewrite(keep, [&](int p) { reports.push_back(p); });
    ASSERT_EQ(file.recordCount(), 500u);
    EXPECT_EQ(xbReadField(file.fields()[0], file.record(1)).text.substr(0, 2), "p1");
    EXPECT_EQ(xbReadField(file.fields()[0], file.record(500)).text.substr(0, 4), "p999");
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 100);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    file.close();
    file.open(path, false);
    EXPECT_EQ(file.recordCount(), 500u);
}

}  // namespace
}  // namespace px
