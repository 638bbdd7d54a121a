#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_class_f_writer.h"
#include "fax/tiff/px_tiff_export.h"
#include "fax/tiff/px_tiff_import.h"
#include "support/prerequisite.h"

namespace px {
namespace {

namespace fs = std::filesystem;
using Raster = std::vector<uint8_t>;
using Page = std::vector<Raster>;

class TiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/px-tiff-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

std::vector<Page> apfPages(const std::string& path, std::vector<uint16_t>* flags = nullptr) {
    std::vector<Page> pages;
    TPxApfReader reader;
    EXPECT_EQ(reader.open(path), ecOK);
    for (unsigned n = 1; n <= reader.pageCount(); ++n) {
        ApfPageInfo info;
        EXPECT_EQ(reader.findPage(n, info), ecOK);
        if (flags != nullptr)
            flags->push_back(info.header.flags);
        Page page;
        TPxT4Decoder decoder;
        decoder.setAcceptedWidths(!info.header.wide(), info.header.wide());
        auto sink = [&](const uint8_t* r, unsigned b) { page.emplace_back(r, r + b); };
        reader.readPage(info,
                        [&](const uint8_t* d, size_t s) { return !decoder.feed(d, s, sink); });
        decoder.finish(sink);
        pages.push_back(page);
    }
    return pages;
}

std::vector<Page> tiffPages(const std::string& path, unsigned pageWidth = 0) {
    std::vector<Page> pages;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(t, nullptr);
    if (t == nullptr)
        return pages;
    do {
        uint32_t w = 0, h = 0;
        uint16_t photometric = 0;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
        Page page;
        Raster scan(static_cast<size_t>(TIFFScanlineSize(t)));
        for (uint32_t y = 0; y < h; ++y) {
            TIFFReadScanline(t, scan.data(), y, 0);
            Raster r(pageWidth != 0 ? pageWidth / 8 : scan.size(), 0);
            for (size_t i = 0; i < std::min(r.size(), scan.size()); ++i) {
                r[i] = photometric == PHOTOMETRIC_MINISBLACK ? static_cast<uint8_t>(~scan[i])
                                                             : scan[i];
            }
            page.push_back(r);
        }
        pages.push_back(page);
    } while (TIFFReadDirectory(t));
    TIFFClose(t);
    return pages;
}

void writeApf(const std::string& path, const std::vector<std::pair<uint16_t, Page>>& pages) {
    TPxApfWriter w;
    ASSERT_EQ(w.create(path), ecOK);
    TPxT4Encoder::Record rec{};
    for (const auto& [flags, page] : pages) {
        ASSERT_EQ(w.beginPage(flags), ecOK);
        const unsigned width = (flags & kApfWide) != 0 ? 2048 : 1728;
        for (const Raster& r : page) {
            w.writeRecord(rec.data(),
                          TPxT4Encoder::codeLine(r.data(), width, 0, false, rec.data()));
        }
        w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        ASSERT_EQ(w.endPage(), ecOK);
    }
    ASSERT_EQ(w.finish(), ecOK);
}

Page randomPage(unsigned width, unsigned lines, uint32_t seed) {
    std::mt19937 rng(seed);
    Page page(lines, Raster(width / 8, 0));
    for (Raster& r : page) {
        for (int k = 0; k < 6; ++k)
            rasterSetRun(r.data(), rng() % (width - 100), 1 + rng() % 90);
    }
    return page;
}

TEST_F(TiffTest, ExportIsClassFAndDecodesToThePages) {
    const Page p1 = randomPage(1728, 30, 1);
    const Page p2 = randomPage(2048, 20, 2);
    writeApf(file("in.apf"), {{kApfLengthWords, p1}, {kApfFine | kApfWide, p2}});
    ASSERT_EQ(exportApfToTiff(file("in.apf"), file("out.tif")), ecOK);

    TIFF* t = TIFFOpen(file("out.tif").c_str(), "r");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 2);
    uint16_t compression = 0, fill = 0, page = 0, pages = 0, photometric = 9;
    uint32_t options = 0;
    float yres = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(t, TIFFTAG_FILLORDER, &fill);
    TIFFGetField(t, TIFFTAG_GROUP3OPTIONS, &options);
    TIFFGetField(t, TIFFTAG_PAGENUMBER, &page, &pages);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX3);
    EXPECT_EQ(fill, FILLORDER_LSB2MSB);
    EXPECT_EQ(options & GROUP3OPT_2DENCODING, 0U);
    EXPECT_EQ(page, 0);
    EXPECT_EQ(pages, 2);
    EXPECT_FLOAT_EQ(yres, 98.0F);
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISWHITE);
    TIFFReadDirectory(t);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres);
    EXPECT_FLOAT_EQ(yres, 196.0F);
    TIFFClose(t);

    const auto back = tiffPages(file("out.tif"));
    ASSERT_EQ(back.size(), 2U);
    EXPECT_EQ(back[0], p1);
    EXPECT_EQ(back[1], p2);

    EXPECT_EQ(exportApfToTiff(file("missing.apf"), file("x.tif")), ecFileNotFound);
    EXPECT_EQ(exportApfToTiff(file("in.apf"), file("no/dir/x.tif")), ecFileNotFound);
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(TiffTest, ClassFWriterLaysTheFileOutAsLibtiffDoes) {
    // Pages whose strips end on odd and even offsets, a page longer than a
    // SHORT can count, both widths and resolutions; each strip handed over
    // in pieces, from one byte to more than the writer gathers before a
    // write, so that gathered and direct writes meet in one strip.
    struct PageData {
        TiffFaxPage page;
        std::vector<uint8_t> strip;
    };
    std::mt19937 rng(5);
    std::vector<PageData> pages;
    const uint32_t lengths[] = {48, 16, 70000, 1};
    const size_t stripSizes[] = {601, 205, 700001, 2};
    for (unsigned n = 0; n < 4; ++n) {
        PageData p;
        p.page.width = n % 2 == 0 ? 1728 : 2048;
        p.page.length = lengths[n];
        p.page.fine = n % 3 == 1;
        p.page.group3Options = GROUP3OPT_FILLBITS;
        p.page.number = static_cast<uint16_t>(n);
        p.page.count = 4;
        p.strip.resize(stripSizes[n]);
        for (uint8_t& b : p.strip) {
            b = static_cast<uint8_t>(rng());
        }
        pages.push_back(std::move(p));
    }

    TPxTiffClassFWriter writer;
    ASSERT_TRUE(writer.create(file("ours.tif")));
    const size_t pieces[] = {1000, 1, 300000, 77, 200000};
    for (const PageData& p : pages) {
        size_t piece = 0;
        for (size_t at = 0; at < p.strip.size(); piece = (piece + 1) % std::size(pieces)) {
            const size_t size = std::min(pieces[piece], p.strip.size() - at);
            ASSERT_TRUE(writer.appendStrip(p.strip.data() + at, size));
            at += size;
        }
        ASSERT_TRUE(writer.finishPage(p.page));
    }
    ASSERT_TRUE(writer.close()) << writer.lastError();

    TIFF* t = TIFFOpen(file("libtiff.tif").c_str(), "w");
    ASSERT_NE(t, nullptr);
    for (const PageData& p : pages) {
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.page.width);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0F);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, p.page.fine ? 196.0F : 98.0F);
        TIFFSetField(t, TIFFTAG_PAGENUMBER, p.page.number, p.page.count);
        TIFFSetField(t, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Parvex");
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFFFU);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t{1});
        for (size_t at = 0; at < p.strip.size(); at += 1000) {
            ASSERT_GE(TIFFWriteRawStrip(
                          t, 0, const_cast<uint8_t*>(p.strip.data() + at),
                          static_cast<tmsize_t>(std::min<size_t>(1000, p.strip.size() - at))),
                      0);
        }
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.page.length);
        ASSERT_EQ(TIFFWriteDirectory(t), 1);
    }
    TIFFClose(t);
    EXPECT_EQ(fileBytes(file("ours.tif")), fileBytes(file("libtiff.tif")));
}

TEST_F(TiffTest, ClassFWriterFailsInWordsAndNeverPastFourGibibytes) {
    TPxTiffClassFWriter writer;
    EXPECT_FALSE(writer.create(file("no/dir/x.tif")));
    EXPECT_NE(writer.lastError().find(file("no/dir/x.tif")), std::string::npos);
    EXPECT_NE(writer.lastError().find("No such file or directory"), std::string::npos);

    // A strip that would carry offsets past 32 bits is refused before a
    // byte of it is read.
    TPxTiffClassFWriter big;
    ASSERT_TRUE(big.create(file("big.tif")));
    const uint8_t byte = 0;
    EXPECT_FALSE(big.appendStrip(&byte, size_t{1} << 32));
    EXPECT_NE(big.lastError().find("4 GiB"), std::string::npos);
    EXPECT_FALSE(big.finishPage(TiffFaxPage{}));
    EXPECT_FALSE(big.close());
    EXPECT_EQ(fs::file_size(file("big.tif")), 8U);
}

// Each page's strip as libtiff hands it over raw.
std::vector<std::vector<uint8_t>> tiffStrips(const std::string& path) {
    std::vector<std::vector<uint8_t>> strips;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(t, nullptr);
    if (t == nullptr)
        return strips;
    do {
        std::vector<uint8_t> strip(static_cast<size_t>(TIFFRawStripSize(t, 0)));
        TIFFReadRawStrip(t, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
        strips.push_back(std::move(strip));
    } while (TIFFReadDirectory(t));
    TIFFClose(t);
    return strips;
}

TEST_F(TiffTest, RepeatedAndDamagedRecordsExportAsEachDecodedAlone) {
    // Records that repeat (rows twice, runs of blank lines), with damage in
    // some: flipped bits, cut records, two lines in one record, a record of
    // EOLs, records not starting with an EOL. Each page's strip must be the
    // lines a plain decode of the page gives, each coded again.
    std::mt19937 rng(29);
    for (int round = 0; round < 40; ++round) {
        const bool wide = round % 4 == 3;
        const unsigned width = wide ? 2048 : 1728;
        TPxApfWriter w;
        ASSERT_EQ(w.create(file("r.apf")), ecOK);
        const unsigned pageCount = 1 + round % 3;
        for (unsigned p = 0; p < pageCount; ++p) {
            ASSERT_EQ(w.beginPage(static_cast<uint16_t>(kApfLengthWords | (wide ? kApfWide : 0))),
                      ecOK);
            const Page lines = randomPage(width, 12, static_cast<uint32_t>(round * 7 + p));
            TPxT4Encoder::Record rec{};
            std::vector<uint8_t> last;
            for (size_t y = 0; y < lines.size() * 3; ++y) {
                // Each line two or three times; now and then a blank line.
                const Raster& line = rng() % 5 == 0 ? Raster(width / 8, 0) : lines[y / 3];
                const size_t n = TPxT4Encoder::codeLine(line.data(), width, 0, false, rec.data());
                std::vector<uint8_t> record(rec.begin(), rec.begin() + static_cast<long>(n));
                switch (rng() % 12) {
                    case 0:
                        record[rng() % record.size()] ^= static_cast<uint8_t>(1U << (rng() % 8));
                        break;
                    case 1:
                        record.resize(1 + rng() % record.size());
                        break;
                    case 2:
                        record.insert(record.end(), last.begin(), last.end());
                        break;
                    case 3:
                        record.erase(record.begin(), record.begin() + 2);
                        break;
                    case 4:
                        record = {0x00, 0x80, 0x00, 0x08};
                        break;
                    default:
                        break;
                }
                last = record;
                for (int k = 0; k < 1 + static_cast<int>(rng() % 3); ++k) {
                    w.writeRecord(record.data(), record.size());
                }
            }
            if (rng() % 2 == 0) {
                w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            }
            ASSERT_EQ(w.endPage(), ecOK);
        }
        ASSERT_EQ(w.finish(), ecOK);

        std::vector<std::vector<uint8_t>> expected;
        TPxT4Encoder::Record rec{};
        for (const Page& page : apfPages(file("r.apf"))) {
            std::vector<uint8_t> strip;
            for (const Raster& line : page) {
                const size_t n = TPxT4Encoder::codeLine(line.data(), width, 0, false, rec.data());
                strip.insert(strip.end(), rec.begin(), rec.begin() + static_cast<long>(n));
            }
            if (page.empty()) {
                const Raster white(width / 8, 0);
                const size_t n = TPxT4Encoder::codeLine(white.data(), width, 0, false, rec.data());
                strip.insert(strip.end(), rec.begin(), rec.begin() + static_cast<long>(n));
            }
            expected.push_back(std::move(strip));
        }
        ASSERT_EQ(exportApfToTiff(file("r.apf"), file("r.tif")), ecOK);
        const auto strips = tiffStrips(file("r.tif"));
        ASSERT_EQ(strips.size(), expected.size()) << "round " << round;
        for (size_t p = 0; p < strips.size(); ++p) {
            ASSERT_TRUE(strips[p] == expected[p]) << "round " << round << " page " << p;
        }
    }
}

TEST_F(TiffTest, ImportsTheCcittPagesExactly) {
    const char* data = std::getenv("PARVEX_TESTDATA");
    PX_REQUIRE(data != nullptr && fs::exists(std::string(data) + "/ccitt/ccitt_1.tif"),
               "the CCITT test pages in tests/data (PARVEX_TESTDATA)");
    for (int n = 1; n <= 8; ++n) {
        const std::string src = std::string(data) + "/ccitt/ccitt_" + std::to_string(n) + ".tif";
        TiffImportOptions options;
        options.stationId = "CCITT";
        ASSERT_EQ(importTiffToApf(src, file("c.apf"), options), ecOK) << src;
        std::vector<uint16_t> flags;
        const auto ours = apfPages(file("c.apf"), &flags);
        const auto theirs = tiffPages(src, 1728);
        ASSERT_EQ(ours.size(), 1U);
        EXPECT_EQ(flags[0], kApfLengthWords | kApfFine) << src;
        ASSERT_EQ(ours[0].size(), theirs[0].size()) << src;
        EXPECT_TRUE(ours[0] == theirs[0]) << src;
    }
}

TEST_F(TiffTest, ImportsEveryBilevelCoding) {
    const Page page = randomPage(1728, 40, 7);
    struct Coding {
        uint16_t compression;
        uint32_t g3options;
        uint16_t photometric;
    };
    for (Coding c : {Coding{COMPRESSION_CCITTFAX3, 0, PHOTOMETRIC_MINISWHITE},
                     Coding{COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, PHOTOMETRIC_MINISWHITE},
                     Coding{COMPRESSION_CCITTFAX4, 0, PHOTOMETRIC_MINISWHITE},
                     Coding{COMPRESSION_NONE, 0, PHOTOMETRIC_MINISBLACK}}) {
        TIFF* t = TIFFOpen(file("in.tif").c_str(), "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 1728);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 40);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_COMPRESSION, c.compression);
        if (c.compression == COMPRESSION_CCITTFAX3)
            TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, c.g3options);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.photometric);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0F);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 98.0F);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        for (uint32_t y = 0; y < 40; ++y) {
            Raster r = page[y];
            if (c.photometric == PHOTOMETRIC_MINISBLACK) {
                for (auto& b : r)
                    b = static_cast<uint8_t>(~b);
            }
            TIFFWriteScanline(t, r.data(), y, 0);
        }
        TIFFClose(t);
        ASSERT_EQ(importTiffToApf(file("in.tif"), file("out.apf"), {}), ecOK) << c.compression;
        std::vector<uint16_t> flags;
        const auto ours = apfPages(file("out.apf"), &flags);
        ASSERT_EQ(ours.size(), 1U);
        EXPECT_EQ(flags[0], kApfLengthWords) << c.compression;  // 98 lpi: standard
        EXPECT_TRUE(ours[0] == page) << c.compression;
    }
}

TEST_F(TiffTest, ImportRefusesWhatIsNotAFaxPage) {
    TIFF* t = TIFFOpen(file("grey.tif").c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    uint8_t row[8] = {};
    TIFFWriteScanline(t, row, 0, 0);
    TIFFClose(t);
    EXPECT_EQ(importTiffToApf(file("grey.tif"), file("g.apf"), {}), ecBadGraphicsFormat);
    EXPECT_FALSE(fs::exists(file("g.apf")));
    std::ofstream(file("junk.tif")) << "II*\0junk";
    EXPECT_EQ(importTiffToApf(file("junk.tif"), file("j.apf"), {}), ecBadGraphicsFormat);
    EXPECT_EQ(importTiffToApf(file("none.tif"), file("n.apf"), {}), ecFileNotFound);
}

TEST_F(TiffTest, ImportReportsThePageLinesItCuts) {
    const std::string tif = file("tall.tif");
    TIFF* t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 1728);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 70000);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 70000);
    const uint8_t row[216] = {};
    for (uint32_t y = 0; y < 70000; ++y) {
        TIFFWriteScanline(t, const_cast<uint8_t*>(row), y, 0);
    }
    TIFFClose(t);
    TiffImportResult result;
    ASSERT_EQ(importTiffToApf(tif, file("tall.apf"), {}, nullptr, &result), ecOK);
    EXPECT_EQ(result.pages, 1U);
    EXPECT_EQ(result.pagesCut, 1U);
    EXPECT_EQ(result.linesDropped, 70000U - 65536U);
}

}  // namespace
}  // namespace px
