#include "fax/tiff/px_tiff_export.h"

#include <unistd.h>

#include <cerrno>

#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_file.h"
#include "fax/unpack/px_page_unpacker.h"

namespace px {
namespace {

// Coded bytes gathered before they are appended to the page's strip: few
// write calls, and memory bounded however long the page.
constexpr size_t kChunkBytes = 256 * 1024;
// One strip per page, as fax programs reading TIFF Class F expect.
constexpr uint32_t kOneStrip = 0xFFFFFFFF;

}  // namespace

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
    TPxT4Encoder::Record record{};
    std::vector<uint8_t> stripData;
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
        // The page goes out as it is decoded, coded again by our own coder
        // (the byte-aligned EOL form the TIFF asks for) and appended to the
        // page's one strip about kChunkBytes at a time: memory stays bounded
        // however long the page, and libtiff only files the data.
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kOneStrip);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t{1});  // until the end is known
        uint32_t row = 0;
        bool writeFailed = false;
        auto flushChunk = [&] {
            if (!writeFailed && !stripData.empty() &&
                TIFFWriteRawStrip(t, 0, stripData.data(), static_cast<tmsize_t>(stripData.size())) <
                    0) {
                writeFailed = true;
            }
            stripData.clear();
        };
        auto writeLine = [&](const uint8_t* data) {
            const size_t bytes = TPxT4Encoder::codeLine(data, width, 0, false, record.data());
            stripData.insert(stripData.end(), record.begin(),
                             record.begin() + static_cast<long>(bytes));
            ++row;
            if (stripData.size() >= kChunkBytes) {
                flushChunk();
            }
        };
        const ErrorCode rc = unpacker.unpack(
            reader, apfPath, n, false, [&](const uint8_t* data, unsigned) { writeLine(data); });
        if (rc != ecOK) {
            return fail(rc);
        }
        if (row == 0) {
            writeLine(whiteLine.data());  // a page needs at least one line
        }
        flushChunk();
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, row);
        if (writeFailed || TIFFWriteDirectory(t) == 0) {
            return fail(-EIO);
        }
    }
    tiff.close();
    return ecOK;
}

}  // namespace px
