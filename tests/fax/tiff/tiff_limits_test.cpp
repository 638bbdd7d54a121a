// Inputs at the format's limits: pages far longer than paper and files of
// more pages than a fax file holds. Large, so labelled slow.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fax/apf/px_apf_writer.h"
#include "fax/tiff/px_tiff_export.h"
#include "fax/tiff/px_tiff_import.h"
#include "support/resource_bound.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class TiffLimitsTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir_ / name; }
    test::TempDir dir_;
};

TEST_F(TiffLimitsTest, ExportOfALongPageStaysWithinAFixedMemoryBound) {
    // 1.5 million blank lines: 12 MB of APF, 324 MB of raster if collected.
    constexpr unsigned kLines = 1500000;
    const std::string apf = file("long.apf");
    {
        TPxApfWriter w;
        ASSERT_EQ(w.create(apf), ecOK);
        ASSERT_EQ(w.beginPage(kApfLengthWords), ecOK);
        for (unsigned i = 0; i < kLines; ++i) {
            ASSERT_EQ(w.writeRecord(kApfBlankRecord.data(), kApfBlankRecord.size()), ecOK);
        }
        ASSERT_EQ(w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size()), ecOK);
        ASSERT_EQ(w.endPage(), ecOK);
        ASSERT_EQ(w.finish(), ecOK);
    }
    const std::string tif = file("long.tif");
    EXPECT_EQ(test::withMemoryBound(size_t{96} << 20,
                                    [&] { return exportApfToTiff(apf, tif) == ecOK ? 0 : 1; }),
              0);
    TIFF* t = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint32_t rows = 0;
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &rows);
    EXPECT_EQ(rows, kLines);
    TIFFClose(t);
}

TEST_F(TiffLimitsTest, ImportOfMorePagesThanAFaxFileHoldsFailsAndLeavesNoFile) {
    const std::string tif = file("many.tif");
    TIFF* t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    const uint8_t row[216] = {};
    for (unsigned page = 0; page < 65536; ++page) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 1728);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFWriteScanline(t, const_cast<uint8_t*>(row), 0, 0);
        ASSERT_EQ(TIFFWriteDirectory(t), 1) << page;
    }
    TIFFClose(t);
    EXPECT_EQ(importTiffToApf(tif, file("many.apf"), {}), ecTooManyPages);
    EXPECT_FALSE(fs::exists(file("many.apf")));
}

}  // namespace
}  // namespace px
