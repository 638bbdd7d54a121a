#include "fax_pages.h"

#include <tiffio.h>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_decoder.h"

namespace px::test {

std::vector<Rows> apfPages(const std::string& path) {
    std::vector<Rows> pages;
    TPxApfReader reader;
    if (reader.open(path) != ecOK) {
        return pages;
    }
    for (unsigned n = 1; n <= reader.pageCount(); ++n) {
        ApfPageInfo page;
        if (reader.findPage(n, page) != ecOK) {
            break;
        }
        Rows rows;
        TPxT4Decoder decoder;
        auto sink = [&](const uint8_t* raster, unsigned bytes) {
            rows.emplace_back(raster, raster + std::min(bytes, 216u));
        };
        reader.readPage(page, [&](const uint8_t* data, size_t size) {
            decoder.feed(data, size, sink);
            return true;
        });
        decoder.finish(sink);
        pages.push_back(std::move(rows));
    }
    return pages;
}

std::vector<bool> tiffPagesFine(const std::string& path) {
    std::vector<bool> fine;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) {
        return fine;
    }
    do {
        float yres = 0;
        uint16_t unit = RESUNIT_INCH;
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
        TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
        // Fine is about 196 lines an inch (7.7 a mm), standard half that.
        const float perInch = unit == RESUNIT_CENTIMETER ? yres * 2.54F : yres;
        fine.push_back(perInch > 150);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return fine;
}

std::vector<Rows> tiffPages(const std::string& path) {
    std::vector<Rows> pages;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) {
        return pages;
    }
    do {
        uint32_t height = 0;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
        std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
        Rows rows;
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
                break;
            }
            std::vector<uint8_t> row(line.begin(),
                                     line.begin() + std::min<size_t>(216, line.size()));
            if (photometric == PHOTOMETRIC_MINISBLACK) {
                for (auto& b : row) {
                    b = static_cast<uint8_t>(~b);
                }
            }
            rows.push_back(std::move(row));
        }
        pages.push_back(std::move(rows));
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

bool writeTiffPages(const std::string& path, const std::vector<Rows>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) {
        return false;
    }
    bool ok = true;
    for (size_t p = 0; p < pages.size() && ok; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 1728);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(pages[p].size()));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, 196.0f);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(pages[p].size()));
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(p),
                     static_cast<uint16_t>(pages.size()));
        for (uint32_t y = 0; y < pages[p].size() && ok; ++y) {
            std::vector<uint8_t> row = pages[p][y];
            ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
        }
        ok = ok && TIFFWriteDirectory(tif) != 0;
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace px::test
