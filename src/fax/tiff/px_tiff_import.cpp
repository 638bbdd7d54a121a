#include "fax/tiff/px_tiff_import.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_file.h"

namespace px {
namespace {

bool isFine(TIFF* t) {
    float yres = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres) == 0 || yres <= 0) {
        return true;
    }
    TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unit);
    const float perInch = unit == RESUNIT_CENTIMETER ? yres * 2.54F : yres;
    return perInch >= 150.0F;
}

}  // namespace

ErrorCode importTiffToApf(const std::string& tiffPath, const std::string& apfPath,
                          const TiffImportOptions& options, std::string* message,
                          TiffImportResult* result) {
    TiffImportResult local;
    TiffImportResult& report = result != nullptr ? *result : local;
    report = TiffImportResult{};
    TPxTiffFile tiff;
    if (!tiff.open(tiffPath, "r")) {
        if (message != nullptr) {
            *message = tiff.lastError();
        }
        return ::access(tiffPath.c_str(), R_OK) == 0 ? ecBadGraphicsFormat : ecFileNotFound;
    }
    TIFF* t = tiff.get();
    TPxApfWriter writer;
    if (ErrorCode rc = writer.create(apfPath); rc != ecOK) {
        return rc;
    }
    auto fail = [&](ErrorCode rc) {
        if (message != nullptr) {
            *message = tiff.lastError();
        }
        writer.abandon();
        return rc;
    };
    std::vector<uint8_t> scan;
    std::vector<uint8_t> raster(kWideLineBytes, 0);
    TPxT4Encoder::Record record{};
    do {
        uint32_t width = 0;
        uint32_t height = 0;
        uint16_t bits = 1;
        uint16_t samples = 1;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
        if (bits != 1 || samples != 1 || width == 0 || TIFFIsTiled(t) != 0 ||
            (photometric != PHOTOMETRIC_MINISWHITE && photometric != PHOTOMETRIC_MINISBLACK)) {
            return fail(ecBadGraphicsFormat);
        }
        const unsigned pageWidth =
            width > kNormalWidthPels && width <= kWideWidthPels ? kWideWidthPels : kNormalWidthPels;
        const bool fine = isFine(t);
        const auto flags = static_cast<uint16_t>(kApfLengthWords | (fine ? kApfFine : 0) |
                                                 (pageWidth == kWideWidthPels ? kApfWide : 0));
        if (ErrorCode rc = writer.beginPage(flags); rc != ecOK) {
            return fail(rc);
        }
        scan.assign(static_cast<size_t>(TIFFScanlineSize(t)), 0);
        const uint32_t rows = std::min<uint32_t>(height, options.maxLines);
        if (rows < height) {
            ++report.pagesCut;
            report.linesDropped += height - rows;
        }
        for (uint32_t y = 0; y < rows; ++y) {
            if (TIFFReadScanline(t, scan.data(), y, 0) < 0) {
                return fail(ecBadGraphicsFormat);
            }
            std::fill(raster.begin(), raster.end(), 0);
            if (width <= pageWidth) {
                std::copy_n(scan.begin(), std::min<size_t>(scan.size(), pageWidth / 8),
                            raster.begin());
                if ((width & 7U) != 0) {
                    raster[width / 8] =
                        static_cast<uint8_t>(raster[width / 8] & (0xFF00U >> (width & 7U)));
                }
            } else {
                // Wider than a wide page: scale across to 1728 pels.
                for (unsigned x = 0; x < pageWidth; ++x) {
                    const size_t sx = size_t{x} * width / pageWidth;
                    if ((scan[sx / 8] & (0x80U >> (sx % 8))) != 0) {
                        rasterSetRun(raster.data(), x, 1);
                    }
                }
            }
            if (photometric == PHOTOMETRIC_MINISBLACK) {
                for (unsigned i = 0; i < pageWidth / 8; ++i) {
                    raster[i] = static_cast<uint8_t>(~raster[i]);
                }
                if (width < pageWidth) {
                    // Paper right of a narrow picture stays white.
                    for (unsigned x = width; x < pageWidth; ++x) {
                        raster[x / 8] = static_cast<uint8_t>(raster[x / 8] & ~(0x80U >> (x % 8)));
                    }
                }
            }
            const size_t n =
                TPxT4Encoder::codeLine(raster.data(), pageWidth, 0, false, record.data());
            if (ErrorCode rc = writer.writeRecord(record.data(), n); rc != ecOK) {
                return fail(rc);
            }
        }
        if (ErrorCode rc =
                writer.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            rc != ecOK) {
            return fail(rc);
        }
        if (ErrorCode rc = writer.endPage(); rc != ecOK) {
            return fail(rc);
        }
        report.pages = writer.pageCount();
    } while (TIFFReadDirectory(t) != 0);
    apfSetSenderIdConverter(writer.header(), options.stationId);
    if (ErrorCode rc = writer.finish(); rc != ecOK) {
        return fail(rc);
    }
    return ecOK;
}

}  // namespace px
