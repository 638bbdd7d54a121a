#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/apf/px_fax_error.h"
#include "fax/t4/px_t4_decoder.h"
#include "support/resource_bound.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class ApfTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/px-apf-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    static std::vector<uint8_t> readAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    // One record page (a blank line) and one raw page (the same line), so
    // both forms live in one file.
    std::string writeMixedFile(const std::string& senderId) {
        const std::string path = file("mixed.apf");
        TPxApfWriter w;
        EXPECT_EQ(w.create(path), ecOK);
        EXPECT_EQ(w.beginPage(kApfLengthWords | kApfFine), ecOK);
        EXPECT_EQ(w.writeRecord(kApfBlankRecord.data(), kApfBlankRecord.size()), ecOK);
        EXPECT_EQ(w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size()), ecOK);
        EXPECT_EQ(w.endPage(), ecOK);
        EXPECT_EQ(w.beginPage(0), ecOK);
        EXPECT_EQ(w.writeRaw(kApfBlankRecord.data(), kApfBlankRecord.size()), ecOK);
        EXPECT_EQ(w.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size()), ecOK);
        EXPECT_EQ(w.endPage(), ecOK);
        apfSetSenderIdConverter(w.header(), senderId);
        EXPECT_EQ(w.finish(), ecOK);
        return path;
    }

    // Decodes page n; returns the number of lines or the error code.
    static int decodePage(const std::string& path, unsigned n) {
        TPxApfReader reader;
        if (ErrorCode rc = reader.open(path); rc != ecOK) {
            return rc;
        }
        ApfPageInfo page;
        if (ErrorCode rc = reader.findPage(n, page); rc != ecOK) {
            return rc;
        }
        TPxT4Decoder decoder;
        int lines = 0;
        auto sink = [&](const uint8_t*, unsigned) { ++lines; };
        const ErrorCode rc = reader.readPage(
            page, [&](const uint8_t* d, size_t s) { return !decoder.feed(d, s, sink); });
        decoder.finish(sink);
        return rc != ecOK ? rc : lines;
    }

    std::string dir_;
};

TEST_F(ApfTest, HeaderLayoutAndSenderConventions) {
    ApfFileHeader h;
    apfSetSenderIdConverter(h, "ABC");
    h.pageCount = 0x0102;
    auto bytes = h.pack();
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "APF10");
    EXPECT_EQ(bytes[5], 0x1A);
    EXPECT_EQ(bytes[10], 3);
    EXPECT_EQ(std::string(bytes.begin() + 11, bytes.begin() + 31), "ABC" + std::string(17, ' '));
    EXPECT_EQ(bytes[31], 0);
    EXPECT_EQ(bytes[32], 0x02);
    EXPECT_EQ(bytes[33], 0x01);
    EXPECT_EQ(bytes[34], 64);

    apfSetSenderIdReceiver(h, "ABC");
    bytes = h.pack();
    EXPECT_EQ(bytes[10], 20);
    ApfFileHeader back;
    ASSERT_TRUE(ApfFileHeader::unpack(bytes.data(), back));
    EXPECT_EQ(back.senderText(), "ABC" + std::string(17, ' '));

    bytes[5] = 0x1B;
    EXPECT_FALSE(ApfFileHeader::unpack(bytes.data(), back));

    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 13;
    t.tm_min = 45;
    t.tm_sec = 31;
    EXPECT_EQ(apfDosDateTime(t),
              (uint32_t((46 * 512 + 12 * 32 + 8)) << 16) | (13 * 2048 + 45 * 32 + 15));
    t.tm_year = 2100 - 1900;
    EXPECT_EQ(apfDosDateTime(t), 0U);
    t.tm_year = 1979 - 1900;
    EXPECT_EQ(apfDosDateTime(t), 0U);
}

TEST_F(ApfTest, WriterLayoutAndBothPageFormsReadBack) {
    const std::string path = writeMixedFile("XYZ");
    const auto bytes = readAll(path);
    // 64 + (16 + 2 + 6 + 2 + 12) + (16 + 6 + 12)
    ASSERT_EQ(bytes.size(), 64U + 38U + 34U);
    EXPECT_EQ(bytes[32], 2);
    EXPECT_EQ(bytes[64], 22);       // image length with two length words
    EXPECT_EQ(bytes[68], 5);        // flags: length words + fine
    EXPECT_EQ(bytes[64 + 38], 18);  // raw page
    EXPECT_EQ(bytes[64 + 38 + 4], 0);

    TPxApfReader reader;
    ASSERT_EQ(reader.open(path), ecOK);
    EXPECT_EQ(reader.pageCount(), 2);
    EXPECT_EQ(reader.header().senderText(), "XYZ");
    EXPECT_NE(reader.header().dateTime, 0U);
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(2, page), ecOK);
    EXPECT_EQ(page.headerOffset, 64U + 38U);
    EXPECT_FALSE(page.header.lengthWords());
    EXPECT_EQ(reader.findPage(3, page), ecFaxBadFormat);
    EXPECT_EQ(reader.findPage(0, page), ecFaxBadFormat);

    EXPECT_EQ(decodePage(path, 1), 1);
    EXPECT_EQ(decodePage(path, 2), 1);
}

TEST_F(ApfTest, IsApfAndOpenFailures) {
    const std::string good = writeMixedFile("A");
    EXPECT_TRUE(TPxApfReader::isApf(good));
    writeAll(file("short"), {'A', 'P', 'F', '1', '0'});
    writeAll(file("six"), {'A', 'P', 'F', '1', '0', 0x1A});
    writeAll(file("empty"), {});
    writeAll(file("wrong"), {'A', 'P', 'F', '1', '1', 0x1A, 0, 0});
    EXPECT_FALSE(TPxApfReader::isApf(file("short")));
    EXPECT_TRUE(TPxApfReader::isApf(file("six")));
    EXPECT_FALSE(TPxApfReader::isApf(file("wrong")));
    EXPECT_FALSE(TPxApfReader::isApf(file("missing")));
    EXPECT_FALSE(TPxApfReader::isApf(""));

    TPxApfReader reader;
    EXPECT_EQ(reader.open(""), ecFileNotFound);
    EXPECT_EQ(reader.open(file("missing")), ecFileNotFound);
    EXPECT_EQ(reader.open(file("empty")), ecFaxBadFormat);
    EXPECT_EQ(reader.open(file("six")), ecFaxBadFormat);
    EXPECT_EQ(reader.open(file("wrong")), ecFaxBadFormat);

    // Page count 0: page 1 does not exist.
    TPxApfWriter w;
    ASSERT_EQ(w.create(file("none.apf")), ecOK);
    ASSERT_EQ(w.finish(), ecOK);
    EXPECT_EQ(decodePage(file("none.apf"), 1), ecFaxBadFormat);
}

TEST_F(ApfTest, AbandonedFileIsDeletedAndBufferedWritesStayInOrder) {
    TPxApfWriter w;
    ASSERT_EQ(w.create(file("gone.apf")), ecOK);
    ASSERT_EQ(w.beginPage(kApfLengthWords), ecOK);
    w.abandon();
    EXPECT_FALSE(fs::exists(file("gone.apf")));

    // Writes below, at and across the 4096-byte buffer, with seeks between.
    TPxBufferedFile f;
    ASSERT_EQ(f.create(file("buf")), ecOK);
    std::vector<uint8_t> expect;
    std::mt19937 rng(3);
    for (size_t size : {10U, 4086U, 1U, 9000U, 4096U, 3U, 12288U}) {
        std::vector<uint8_t> chunk(size);
        for (auto& b : chunk) {
            b = static_cast<uint8_t>(rng());
        }
        ASSERT_EQ(f.write(chunk.data(), chunk.size()), ecOK);
        expect.insert(expect.end(), chunk.begin(), chunk.end());
        EXPECT_EQ(f.position(), expect.size());
    }
    const uint8_t patch[2] = {0xAB, 0xCD};
    ASSERT_EQ(f.seek(5000), ecOK);
    ASSERT_EQ(f.write(patch, 2), ecOK);
    ASSERT_EQ(f.seekEnd(), ecOK);
    ASSERT_EQ(f.write(patch, 2), ecOK);
    ASSERT_EQ(f.close(), ecOK);
    expect[5000] = 0xAB;
    expect[5001] = 0xCD;
    expect.push_back(0xAB);
    expect.push_back(0xCD);
    EXPECT_EQ(readAll(file("buf")), expect);

    EXPECT_EQ(w.create(""), ecFileNotFound);
    EXPECT_EQ(w.create(file("no/such/dir.apf")), ecFileNotFound);
}

TEST_F(ApfTest, HostileHeadersGiveErrorsOrShortPages) {
    const std::string path = writeMixedFile("H");
    const auto good = readAll(path);
    struct Case {
        const char* name;
        size_t offset;
        std::vector<uint8_t> bytes;
        int page;
        int expect;  // lines, or an error code
    };
    const Case cases[] = {
        {"page count lies upward", 32, {0xFF, 0xFF}, 3, ecFaxBadFormat},
        {"image length past the end, record page", 64, {0xFF, 0xFF, 0xFF, 0x7F}, 1, 1},
        {"length word past the page", 64 + 16, {0xFF, 0x0F}, 1, 0},
        {"raw image length past the end", 64 + 38, {0x00, 0x00, 0x00, 0x10}, 2, 1},
        {"first page offset past the end", 34, {0xFF, 0xFF, 0xFF, 0xFF}, 1, ecFaxBadFormat},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<long>(c.offset));
        writeAll(file("bad.apf"), bytes);
        EXPECT_EQ(decodePage(file("bad.apf"), static_cast<unsigned>(c.page)), c.expect) << c.name;
    }
    // A raw page that ends before its image length without three EOLs.
    auto bytes = good;
    bytes.resize(bytes.size() - 12);
    writeAll(file("cut.apf"), bytes);
    EXPECT_EQ(decodePage(file("cut.apf"), 2), ecFaxBadFormat);
}

TEST_F(ApfTest, MutatedFilesNeverCrashOrHang) {
    const std::string path = writeMixedFile("MUTANT");
    const auto good = readAll(path);
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        auto bytes = good;
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < edits; ++k) {
            const size_t at = rng() % bytes.size();
            switch (rng() % 4) {
                case 0:
                    bytes[at] = static_cast<uint8_t>(rng());
                    break;
                case 1:
                    bytes[at] ^= 0xFF;
                    break;
                case 2:
                    bytes.resize(std::max<size_t>(1, at));
                    break;
                default:
                    bytes.insert(bytes.begin() + static_cast<long>(at), 4,
                                 static_cast<uint8_t>(rng()));
                    break;
            }
        }
        writeAll(file("m.apf"), bytes);
        for (unsigned page = 1; page <= 3; ++page) {
            const int result = decodePage(file("m.apf"), page);
            EXPECT_TRUE(result >= 0 || result == ecFaxBadFormat)
                << "round " << round << " -> " << result;
        }
    }
}

// Writes `pages` pages that hold only the end-of-page record.
std::string writeEmptyPages(const std::string& path, unsigned pages, ErrorCode* last = nullptr) {
    TPxApfWriter w;
    EXPECT_EQ(w.create(path), ecOK);
    ErrorCode rc = ecOK;
    for (unsigned i = 0; i < pages && rc == ecOK; ++i) {
        rc = w.beginPage(kApfLengthWords);
        if (rc == ecOK) {
            rc = w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        }
        if (rc == ecOK) {
            rc = w.endPage();
        }
    }
    if (last != nullptr) {
        *last = rc;
    }
    EXPECT_EQ(w.finish(), ecOK);
    return path;
}

TEST_F(ApfTest, ReadingEveryPageWalksEachPageHeaderAFixedNumberOfTimes) {
    constexpr unsigned kPages = 3000;
    const std::string path = writeEmptyPages(file("many.apf"), kPages);
    TPxApfReader reader;
    ASSERT_EQ(reader.open(path), ecOK);
    ASSERT_EQ(reader.pageCount(), kPages);
    for (unsigned n = 1; n <= kPages; ++n) {
        ApfPageInfo page;
        ASSERT_EQ(reader.findPage(n, page), ecOK) << n;
        ASSERT_EQ(page.headerOffset, kApfFileHeaderSize + uint64_t{n - 1} * 30) << n;
    }
    // A walk from page 1 for every page would read 4.5 million headers.
    EXPECT_LE(reader.pageHeadersRead(), 2 * kPages);
    // Going back finds a page already walked past without walking again.
    const uint64_t before = reader.pageHeadersRead();
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(7, page), ecOK);
    EXPECT_EQ(reader.pageHeadersRead(), before + 1);
}

TEST_F(ApfTest, LineRecordsAreReadInBlocksNotTwoReadsEach) {
    const std::string path = file("long.apf");
    TPxApfWriter w;
    ASSERT_EQ(w.create(path), ecOK);
    ASSERT_EQ(w.beginPage(kApfLengthWords), ecOK);
    constexpr unsigned kLines = 20000;  // 160,000 bytes of records
    for (unsigned i = 0; i < kLines; ++i) {
        ASSERT_EQ(w.writeRecord(kApfBlankRecord.data(), kApfBlankRecord.size()), ecOK);
    }
    ASSERT_EQ(w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size()), ecOK);
    ASSERT_EQ(w.endPage(), ecOK);
    ASSERT_EQ(w.finish(), ecOK);

    TPxApfReader reader;
    ASSERT_EQ(reader.open(path), ecOK);
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(1, page), ecOK);
    const uint64_t before = reader.readCalls();
    unsigned records = 0;
    ASSERT_EQ(reader.readPage(page,
                              [&](const uint8_t* data, size_t size) {
                                  EXPECT_EQ(size, records < kLines ? 6U : 12U);
                                  EXPECT_EQ(data[0], 0x00);
                                  ++records;
                                  return true;
                              }),
              ecOK);
    EXPECT_EQ(records, kLines + 1);
    EXPECT_LE(reader.readCalls() - before, 4U);
}

TEST_F(ApfTest, PageSixtyFiveThousandFiveHundredThirtySixIsRefusedNotWrapped) {
    ErrorCode last = ecOK;
    const std::string path = writeEmptyPages(file("full.apf"), 65536, &last);
    EXPECT_EQ(last, ecTooManyPages);
    TPxApfReader reader;
    ASSERT_EQ(reader.open(path), ecOK);
    EXPECT_EQ(reader.pageCount(), 65535);
    ApfPageInfo page;
    EXPECT_EQ(reader.findPage(65535, page), ecOK);
}

TEST_F(ApfTest, HeaderWrittenShortIsErrorOneHundredSixtyAndLeavesNoFile) {
    const std::string path = file("short.apf");
    // The file header itself does not fit.
    EXPECT_EQ(test::withFileSizeLimit(40,
                                      [&] {
                                          TPxApfWriter w;
                                          return w.create(path) == ecShortHeaderWrite ? 0 : 1;
                                      }),
              0);
    EXPECT_FALSE(fs::exists(path));
    // The file header fits, the page header does not.
    EXPECT_EQ(test::withFileSizeLimit(70,
                                      [&] {
                                          TPxApfWriter w;
                                          if (w.create(path) != ecOK) {
                                              return 1;
                                          }
                                          const ErrorCode rc = w.beginPage(kApfLengthWords);
                                          w.abandon();
                                          return rc == ecShortHeaderWrite ? 0 : 2;
                                      }),
              0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(faxDocumentErrorText(ecShortHeaderWrite), "A file header could not be written whole");
}

}  // namespace
}  // namespace px
