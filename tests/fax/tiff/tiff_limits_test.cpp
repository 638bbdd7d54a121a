// Inputs at the format's limits: pages far longer than paper and files of
// more pages than a fax file holds. Large, so labelled slow.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "fax/apf/px_apf_writer.h"
#include "fax/tiff/px_tiff_export.h"
#include "fax/tiff/px_tiff_import.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class TiffLimitsTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir_ / name; }
    test::TempDir dir_;
};

// Runs `body` in a child process that may map at most `extra` bytes more
// than it has when it starts; returns the child's exit status.
int withMemoryBound(size_t extra, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + extra;
        const rlimit lim{limit, limit};
        ::setrlimit(RLIMIT_AS, &lim);
        try {
            ::_exit(body());
        } catch (...) {
            ::_exit(3);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(TiffLimitsTest, ExportOfALongPageStaysWithinAFixedMemoryBound) {
    if (kAddressSanitizer) {
        GTEST_SKIP() << "the sanitizer's shadow memory defeats an address-space bound";
    }
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
    EXPECT_EQ(withMemoryBound(size_t{96} << 20,
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
