// Damaged and hostile fax files through the whole printer: every one ends in
// a printed document or a clean error of the component layer, and an error
// leaves no document behind. Run under AddressSanitizer by the test script,
// which also bounds memory; time is bounded by the test's time-out.
#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <random>

#include "common/px_exceptions.h"
#include "fax/print/px_fax_printer.h"
#include "fax/tiff/px_tiff_import.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"

namespace px {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPageCountOffset = 32;
constexpr size_t kFirstPageOffsetField = 34;

void put16(std::string& bytes, size_t at, uint16_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>(v >> 8);
}

void put32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

class PrinterMutation : public ::testing::Test {
protected:
    void SetUp() override {
        const char* data = std::getenv("PARVEX_TESTDATA");
        ccitt_ = std::string(data != nullptr ? data : "") + "/ccitt/ccitt_";
        PX_REQUIRE(fs::exists(ccitt_ + "1.tif"), "the CCITT test pages in tests/data");
    }

    // A two-page fax made from real scanned pages.
    std::string realFax() {
        const std::string& ccitt = ccitt_;
        const std::string first = dir_ / "one.apf";
        const std::string second = dir_ / "two.apf";
        EXPECT_EQ(importTiffToApf(ccitt + "1.tif", first, {}), ecOK);
        EXPECT_EQ(importTiffToApf(ccitt + "2.tif", second, {}), ecOK);
        // Page 2 appended behind page 1, the page count raised to 2.
        std::string bytes = test::readFile(first);
        const std::string other = test::readFile(second);
        bytes += other.substr(kApfFirstPageOffset);
        put16(bytes, kPageCountOffset, 2);
        return bytes;
    }

    // Prints `bytes` as a fax file; fails the test unless the result is a
    // document of the printed pages or an EPxException with nothing left.
    void printOrFailCleanly(const std::string& bytes, const std::string& what) {
        const std::string fax = dir_ / "CASE.APF";
        const std::string pdf = dir_ / "case.pdf";
        test::writeFile(fax, bytes);
        fs::remove(pdf);
        TPxFaxPrinter printer;
        printer.setOutputPdf(QString::fromStdString(pdf));
        try {
            printer.setFileName(QString::fromStdString(fax));
            printer.print();
            if (printer.pageCount() > 0) {
                EXPECT_TRUE(fs::exists(pdf)) << what;
            }
            ++printed_;
        } catch (const EPxException&) {
            EXPECT_FALSE(fs::exists(pdf)) << what << ": a failed job left a document";
            EXPECT_FALSE(printer.printing()) << what;
            ++refused_;
        } catch (const std::exception& e) {
            ADD_FAILURE() << what << ": " << e.what();
        }
    }

    std::string ccitt_;
    test::TempDir dir_;
    int printed_ = 0;
    int refused_ = 0;
};

TEST_F(PrinterMutation, TruncatedFilesPrintWhatIsThereOrFailCleanly) {
    const std::string bytes = realFax();
    ASSERT_GT(bytes.size(), 1000u);
    std::vector<size_t> cuts;
    for (size_t n = 0; n <= kApfFirstPageOffset + kApfPageHeaderSize + 8; ++n) {
        cuts.push_back(n);
    }
    for (size_t step = 1; step < 40; ++step) {
        cuts.push_back(bytes.size() * step / 40);
    }
    for (const size_t n : cuts) {
        printOrFailCleanly(bytes.substr(0, n), "cut at " + std::to_string(n));
    }
    EXPECT_GT(refused_, 0);
}

TEST_F(PrinterMutation, RandomlyChangedBytesPrintOrFailCleanly) {
    const std::string original = realFax();
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        std::string bytes = original;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            // Headers more often than image data: they steer the reader.
            const size_t at = random() % 3 == 0 ? random() % 96 : random() % bytes.size();
            bytes[at] = static_cast<char>(random() & 0xFF);
        }
        printOrFailCleanly(bytes, "round " + std::to_string(round));
    }
    EXPECT_GT(printed_, 0);
}

TEST_F(PrinterMutation, LyingHeadersPrintOrFailCleanly) {
    const std::string original = realFax();
    const size_t page1 = kApfFirstPageOffset;
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
        bool wide;  // 32-bit field
    } lies[] = {
        {"no pages", kPageCountOffset, 0, false},
        {"one page of two", kPageCountOffset, 1, false},
        {"65535 pages", kPageCountOffset, 0xFFFF, false},
        {"first page past the end", kFirstPageOffsetField, 0x7FFFFFF0, true},
        {"first page inside the header", kFirstPageOffsetField, 8, true},
        {"page length 0", page1, 0, true},
        {"page length past the end", page1, 0xFFFFFFF0, true},
        {"page length one short", page1, 100, true},
        {"flags: wide, no length words", page1 + 4, kApfWide, false},
        {"flags: all set", page1 + 4, 0xFFFF, false},
    };
    for (const auto& lie : lies) {
        std::string bytes = original;
        lie.wide ? put32(bytes, lie.at, lie.value)
                 : put16(bytes, lie.at, static_cast<uint16_t>(lie.value));
        printOrFailCleanly(bytes, lie.what);
    }
}

TEST_F(PrinterMutation, PagesOfNoLinesOrEndlessLinesStayBounded) {
    const struct {
        const char* what;
        unsigned lines;
        uint16_t flags;
    } pages[] = {
        {"0 lines", 0, kApfFine | kApfLengthWords},
        {"1 line", 1, kApfFine | kApfLengthWords},
        // Beyond the unpacker's page limit: the rest is dropped.
        {"70000 lines", 70000, kApfFine | kApfLengthWords},
        {"70000 standard lines, doubled", 70000, kApfLengthWords},
    };
    for (const auto& page : pages) {
        const std::string fax = dir_ / "LONG.APF";
        test::writeTestFax(fax, 1, page.flags, page.lines);
        printOrFailCleanly(test::readFile(fax), page.what);
    }

    // A page of nothing but end-of-line codes, two at a time with a white
    // line between, so that the page never ends on three in a row.
    std::string bytes = test::readFile(dir_ / "LONG.APF").substr(0, kApfFirstPageOffset);
    std::string image;
    const std::string eol = {'\x00', '\x08'};  // 000000000001 0000 (LSB first)
    for (int i = 0; i < 200000; ++i) {
        image += eol;
    }
    std::string header(kApfPageHeaderSize, '\0');
    put32(header, 0, static_cast<uint32_t>(image.size()));
    put16(header, 4, kApfFine);
    put16(bytes, kPageCountOffset, 1);
    printOrFailCleanly(bytes + header + image, "endless EOLs");
}

}  // namespace
}  // namespace px
