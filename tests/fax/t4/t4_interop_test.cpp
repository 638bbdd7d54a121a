// Cross-checks of the codec against libtiff's and netpbm's fax coders.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/prerequisite.h"
#include "t4_test_support.h"

namespace px {
namespace {

using test::Page;
using test::PageKind;
using test::Raster;

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/px-t4-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void setG3Fields(TIFF* tif, unsigned width, size_t lines) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(lines));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(lines));
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
}

// Decodes our coded stream with libtiff's Group 3 decoder.
Page libtiffDecode(const std::string& path, const std::vector<uint8_t>& coded, unsigned width,
                   size_t lines) {
    TIFF* out = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(out, nullptr);
    setG3Fields(out, width, lines);
    TIFFWriteRawStrip(out, 0, const_cast<uint8_t*>(coded.data()),
                      static_cast<tmsize_t>(coded.size()));
    TIFFClose(out);

    Page page;
    TIFF* in = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(in, nullptr);
    Raster row(static_cast<size_t>(TIFFScanlineSize(in)));
    for (uint32_t y = 0; y < lines; ++y) {
        if (TIFFReadScanline(in, row.data(), y, 0) < 0) {
            break;
        }
        page.push_back(row);
    }
    TIFFClose(in);
    return page;
}

// Encodes a page with libtiff's Group 3 encoder and returns the raw strip.
std::vector<uint8_t> libtiffEncode(const std::string& path, const Page& page, unsigned width) {
    TIFF* out = TIFFOpen(path.c_str(), "w");
    setG3Fields(out, width, page.size());
    for (size_t y = 0; y < page.size(); ++y) {
        TIFFWriteScanline(out, const_cast<uint8_t*>(page[y].data()), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(out);
    TIFF* in = TIFFOpen(path.c_str(), "r");
    std::vector<uint8_t> raw(static_cast<size_t>(TIFFRawStripSize(in, 0)));
    TIFFReadRawStrip(in, 0, raw.data(), static_cast<tmsize_t>(raw.size()));
    TIFFClose(in);
    return raw;
}

TEST(T4Interop, LibtiffDecodesEveryPageKindWeEncode) {
    TempDir dir;
    for (unsigned width : {1728U, 2048U}) {
        for (PageKind kind : {PageKind::Text, PageKind::Dither, PageKind::White, PageKind::Black,
                              PageKind::Alternating, PageKind::Random}) {
            Page page = test::makePage(kind, width, 64, 3);
            if (kind == PageKind::Alternating) {
                // libtiff's one-dimensional decoder keeps room for `width`
                // runs; alternating pels that start black need one more
                // (the leading white run of 0) and overflow it. Those lines
                // are checked against g3topbm below.
                for (Raster& r : page) {
                    std::fill(r.begin(), r.end(), 0x55);
                }
            }
            const Page theirs = libtiffDecode(dir.file("ours.tif"), test::codePage(page, width),
                                              width, page.size());
            ASSERT_EQ(test::pageDiff(theirs, page), "")
                << "width " << width << " kind " << static_cast<int>(kind);
        }
    }
}

TEST(T4Interop, LibtiffDecodesRunsLongerThan2560) {
    TempDir dir;
    const unsigned width = 6400;
    std::vector<uint8_t> coded(64, 0);
    size_t bit = 4;
    // EOL, white 3000, black 2900, white 500, then the RTC.
    auto eol = [&] {
        bit += 11;
        coded[bit / 8] = static_cast<uint8_t>(coded[bit / 8] | (1U << (bit % 8)));
        ++bit;
    };
    eol();
    TPxT4Encoder::codeRun(T4Colour::White, 3000, coded.data(), bit);
    TPxT4Encoder::codeRun(T4Colour::Black, 2900, coded.data(), bit);
    TPxT4Encoder::codeRun(T4Colour::White, 500, coded.data(), bit);
    for (int i = 0; i < 6; ++i) {
        eol();
    }
    const Page theirs = libtiffDecode(dir.file("long.tif"), coded, width, 1);
    ASSERT_EQ(theirs.size(), 1U);
    Raster expect(width / 8, 0);
    rasterSetRun(expect.data(), 3000, 2900);
    EXPECT_EQ(theirs[0], expect);
}

TEST(T4Interop, WeDecodeLibtiffsEncoderExactly) {
    TempDir dir;
    for (unsigned width : {1728U, 2048U}) {
        for (PageKind kind :
             {PageKind::Text, PageKind::Dither, PageKind::Black, PageKind::Random}) {
            const Page page = test::makePage(kind, width, 50, 9);
            // A TIFF strip carries no end-of-page signal; on the line a page
            // ends with RTC (six EOLs), which delivers the last line.
            auto coded = libtiffEncode(dir.file("theirs.tif"), page, width);
            coded.insert(coded.end(), kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
            const Page ours = test::decodeAll(coded);
            ASSERT_EQ(test::pageDiff(ours, page), "")
                << "width " << width << " kind " << static_cast<int>(kind);
        }
    }
}

bool haveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

void writePbm(const std::string& path, const Page& page, unsigned width) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n" << width << " " << page.size() << "\n";
    for (const Raster& r : page) {
        out.write(reinterpret_cast<const char*>(r.data()), static_cast<std::streamsize>(r.size()));
    }
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(T4Interop, NetpbmBothWays) {
    PX_REQUIRE(haveProgram("pbmtog3") && haveProgram("g3topbm"), "netpbm (pbmtog3, g3topbm)");
    TempDir dir;
    Page page = test::makePage(PageKind::Text, 1728, 80, 5);
    const Page alternating = test::makePage(PageKind::Alternating, 1728, 20);
    page.insert(page.end(), alternating.begin(), alternating.end());
    writePbm(dir.file("in.pbm"), page, 1728);
    const std::string toG3 =
        "pbmtog3 -reversebits " + dir.file("in.pbm") + " > " + dir.file("out.g3") + " 2>/dev/null";
    ASSERT_EQ(std::system(toG3.c_str()), 0);
    EXPECT_EQ(test::pageDiff(test::decodeAll(readFile(dir.file("out.g3"))), page), "");

    // Our stream through g3topbm gives back the same bitmap.
    const auto coded = test::codePage(page, 1728);
    std::ofstream(dir.file("ours.g3"), std::ios::binary)
        .write(reinterpret_cast<const char*>(coded.data()),
               static_cast<std::streamsize>(coded.size()));
    const std::string fromG3 = "g3topbm -reversebits " + dir.file("ours.g3") + " > " +
                               dir.file("back.pbm") + " 2>/dev/null";
    ASSERT_EQ(std::system(fromG3.c_str()), 0);
    const auto pbm = readFile(dir.file("back.pbm"));
    const std::string header = "P4\n1728 100\n";
    ASSERT_GE(pbm.size(), header.size() + 216 * page.size());
    ASSERT_EQ(std::string(pbm.begin(), pbm.begin() + static_cast<long>(header.size())), header);
    for (size_t y = 0; y < page.size(); ++y) {
        const auto* row = pbm.data() + header.size() + y * 216;
        EXPECT_EQ(Raster(row, row + 216), page[y]) << "line " << y;
    }
}

}  // namespace
}  // namespace px
