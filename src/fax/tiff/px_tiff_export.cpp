#include "fax/tiff/px_tiff_export.h"

#include <unistd.h>

#include <cerrno>

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
    const std::vector<uint8_t> whiteLine(kWideLineBytes, 0);
    for (unsigned n = 1; n <= pages; ++n) {
        ApfPageInfo page;
        if (ErrorCode rc = reader.findPage(n, page); rc != ecOK) {
            return fail(rc);
        }
        const unsigned width = page.header.wide() ? kWideWidthPels : kNormalWidthPels;
        TIFF* t = tiff.get();
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
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
        TIFFSetField(t, TIFFTAG_YRESOLUTION, page.header.fine() ? 196.0F : 98.0F);
        TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(n - 1),
                     static_cast<uint16_t>(pages));
        TIFFSetField(t, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Parvex");
        // The page goes out line by line as it is decoded, in one strip that
        // grows with it: memory stays that of one line, however long the page.
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t{0xFFFFFFFF});
        uint32_t row = 0;
        bool writeFailed = false;
        auto writeLine = [&](const uint8_t* data) {
            if (!writeFailed && TIFFWriteScanline(t, const_cast<uint8_t*>(data), row, 0) < 0) {
                writeFailed = true;
            }
            ++row;
        };
        const ErrorCode rc = unpacker.unpack(
            reader, apfPath, n, false, [&](const uint8_t* data, unsigned) { writeLine(data); });
        if (rc != ecOK) {
            return fail(rc);
        }
        if (row == 0) {
            writeLine(whiteLine.data());  // a page needs at least one line
        }
        if (writeFailed || TIFFWriteDirectory(t) == 0) {
            return fail(-EIO);
        }
    }
    tiff.close();
    return ecOK;
}

}  // namespace px
