#include "fax/tiff/px_tiff_export.h"

#include <unistd.h>

#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_file.h"
#include "fax/unpack/px_page_unpacker.h"

namespace px {

ErrorCode exportApfToTiff(const std::string& apfPath, const std::string& tiffPath,
                          std::string* message) {
    TPxApfReader reader;
    if (ErrorCode rc = reader.open(apfPath); rc != ecOK) {
        return rc;
    }
    const unsigned pages = reader.pageCount();
    if (pages == 0) {
        return ecFaxBadFormat;
    }
    TPxTiffFile tiff;
    if (!tiff.open(tiffPath, "w")) {
        if (message != nullptr) {
            *message = tiff.lastError();
        }
        return ecFileNotFound;
    }
    auto fail = [&](ErrorCode rc) {
        if (message != nullptr) {
            *message = tiff.lastError();
        }
        tiff.close();
        ::unlink(tiffPath.c_str());
        return rc;
    };
    TPxPageUnpacker unpacker;
    UnpackSettings settings;
    settings.autoScale = TAutoScaleMode::asNone;
    unpacker.setSettings(settings);
    for (unsigned n = 1; n <= pages; ++n) {
        std::vector<uint8_t> lines;
        ErrorCode rc = unpacker.unpack(apfPath, n, false, [&](const uint8_t* data, unsigned bytes) {
            lines.insert(lines.end(), data, data + bytes);
        });
        if (rc != ecOK) {
            return fail(rc);
        }
        const ApfPageHeader& page = unpacker.pageHeader();
        const unsigned width = page.wide() ? kWideWidthPels : kNormalWidthPels;
        const unsigned lineBytes = width / 8;
        if (lines.empty()) {
            lines.assign(lineBytes, 0);  // a page needs at least one line
        }
        const auto rows = static_cast<uint32_t>(lines.size() / lineBytes);
        TIFF* t = tiff.get();
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, rows);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rows);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0F);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, page.fine() ? 196.0F : 98.0F);
        TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(n - 1),
                     static_cast<uint16_t>(pages));
        TIFFSetField(t, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Parvex");
        for (uint32_t y = 0; y < rows; ++y) {
            if (TIFFWriteScanline(t, lines.data() + size_t{y} * lineBytes, y, 0) < 0) {
                return fail(ecDiskFull);
            }
        }
        if (TIFFWriteDirectory(t) == 0) {
            return fail(ecDiskFull);
        }
    }
    tiff.close();
    return ecOK;
}

}  // namespace px
