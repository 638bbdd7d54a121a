// Text files built to exhaust the text reader: endless lines, lines of form
// feeds, binary data. The reader must hold a bounded amount and read each
// byte once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fax/t4/px_text_line_reader.h"
#include "fax/t4/px_text_reader.h"
#include "support/resource_bound.h"
#include "support/temp_dir.h"

namespace px {
namespace {

struct Paging {
    unsigned pages = 0;
    unsigned rows = 0;
};

Paging readAll(TPxTextReader& reader, const std::string& path) {
    Paging out;
    EXPECT_EQ(reader.open(path), ecOK);
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (;;) {
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        EXPECT_EQ(reader.readLine(raster.data(), len, endOfPage, more), ecOK);
        if (endOfPage) {
            ++out.pages;
            if (!more) {
                break;
            }
        } else {
            ++out.rows;
        }
    }
    reader.close();
    return out;
}

TEST(TextInputLimits, FormFeedsOnOneLineAreEachAPageWithoutCopyingTheRestOfTheLine) {
    test::TempDir dir;
    const std::string path = dir / "feeds.txt";
    constexpr unsigned kFeeds = 200000;
    test::writeFile(path, "top" + std::string(kFeeds, '\f') + "end\r\nlast\f\r\n");
    TPxTextReader reader;
    ASSERT_EQ(reader.setup(TFaxFont::ffSmall, false, 1728, 50), ecOK);
    reader.setLinesPerPage(0);
    const Paging paging = readAll(reader, path);
    // "top", kFeeds - 1 pages of one blank raster line, "end" and "last".
    EXPECT_EQ(paging.pages, kFeeds + 1);
    EXPECT_EQ(paging.rows, 8 * 3 + kFeeds - 1);
    // Copying the rest of the line after each form feed held it whole.
    EXPECT_LE(reader.largestTextHeld(), 16U);
}

TEST(TextInputLimits, AFormFeedEndingItsLineAddsNoLine) {
    test::TempDir dir;
    const std::string path = dir / "ff.txt";
    test::writeFile(path, "one\f\ntwo\f\r\nthree\fx\n\f");
    TPxTextReader reader;
    ASSERT_EQ(reader.setup(TFaxFont::ffSmall, false, 1728, 50), ecOK);
    const Paging paging = readAll(reader, path);
    // Pages: one | two | three | x; the last form feed only ends the page.
    EXPECT_EQ(paging.pages, 4U);
    EXPECT_EQ(paging.rows, 8U * 4U);
}

TEST(TextInputLimits, ALineWithoutBreakIsKeptOnlyAsFarAsItCanBeDrawn) {
    test::TempDir dir;
    const std::string path = dir / "endless.txt";
    // 400 MB of one line, as a sparse file: nothing is written to disk.
    constexpr off_t kSize = off_t{400} << 20;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kSize), 0);
    ::close(fd);
    const int status = test::withMemoryBound(size_t{64} << 20, [&] {
        TPxTextLineReader lines;
        if (lines.open(path) != ecOK) {
            return 1;
        }
        std::string line;
        if (!lines.readLine(line) || line.size() != TPxTextLineReader::kMaxKept) {
            return 2;
        }
        if (lines.bytesSkipped() != uint64_t{kSize} - TPxTextLineReader::kMaxKept) {
            return 4;
        }
        return lines.readLine(line) ? 5 : 0;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace px
