#include "tiff_pages.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace px {

namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

// libtiff only speaks to files: MH data passes through a temporary one.
class TempFile {
public:
    TempFile() {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/pxmhXXXXXX";
        int fd = mkstemp(path_.data());
        if (fd < 0) {
            throw std::runtime_error("cannot create a temporary file in " + path_);
        }
        ::close(fd);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TiffFile openTiff(const std::string& path, const char* mode) {
    TiffFile t(TIFFOpen(path.c_str(), mode));
    if (!t) {
        throw std::runtime_error("cannot open TIFF file " + path);
    }
    return t;
}

void setFaxTags(TIFF* t, int width, int height, bool fine, int page, int pages) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(t, TIFFTAG_FAXMODE, FAXMODE_CLASSIC);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, fine ? 196.0f : 98.0f);
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(t, TIFFTAG_PAGENUMBER, page, pages);
}

bool bitAt(const std::vector<uint8_t>& data, std::size_t bit) {
    return (data[bit / 8] >> (bit % 8)) & 1;
}

// Rows in MH data: stretches between EOLs that hold at least one code. An EOL
// is 11 or more zero bits and a one; no run of codes has 11 zeros in a row.
int countMhRows(const std::vector<uint8_t>& data) {
    int rows = 0;
    int zeros = 0;
    bool inRow = false;
    for (std::size_t bit = 0; bit < data.size() * 8; ++bit) {
        if (!bitAt(data, bit)) {
            ++zeros;
            continue;
        }
        if (zeros >= 11) {
            if (inRow) {
                ++rows;
            }
            inRow = false;
        } else {
            inRow = true;
        }
        zeros = 0;
    }
    return inRow ? rows + 1 : rows;
}

}  // namespace

void reverseBits(std::vector<uint8_t>& data) {
    for (auto& b : data) {
        b = static_cast<uint8_t>(
            ((b * 0x0802LU & 0x22110LU) | (b * 0x8020LU & 0x88440LU)) * 0x10101LU >> 16);
    }
}

std::vector<FaxPage> readTiffPages(const std::string& path) {
    TiffFile t = openTiff(path, "r");
    std::vector<FaxPage> pages;
    do {
        uint32_t width = 0;
        uint32_t height = 0;
        uint16_t bits = 1;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        float yres = 196.0f;
        uint16_t unit = RESUNIT_INCH;
        TIFFGetField(t.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(t.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(t.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetFieldDefaulted(t.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFGetField(t.get(), TIFFTAG_YRESOLUTION, &yres);
        if (bits != 1 || width == 0 || width > 8192 || height > 100000) {
            throw std::runtime_error(path + ": not a bilevel fax page");
        }
        if (unit == RESUNIT_CENTIMETER) {
            yres *= 2.54f;
        }
        FaxPage page;
        page.width = static_cast<int>(width);
        page.height = static_cast<int>(height);
        page.fine = yres > 150.0f;
        page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * height, 0);
        for (uint32_t row = 0; row < height; ++row) {
            uint8_t* dst = page.bits.data() + static_cast<std::size_t>(row) * page.rowBytes();
            if (TIFFReadScanline(t.get(), dst, row, 0) < 0) {
                throw std::runtime_error(path + ": row " + std::to_string(row) +
                                         " does not decode");
            }
            if (photometric == PHOTOMETRIC_MINISBLACK) {
                for (int i = 0; i < page.rowBytes(); ++i) {
                    dst[i] = static_cast<uint8_t>(~dst[i]);
                }
            }
        }
        // Padding bits past the width carry no picture.
        if (page.width % 8 != 0) {
            auto mask = static_cast<uint8_t>(0xFF << (8 - page.width % 8));
            for (int row = 0; row < page.height; ++row) {
                page.bits[static_cast<std::size_t>(row + 1) * page.rowBytes() - 1] &= mask;
            }
        }
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(t.get()));
    return pages;
}

void writeTiffPages(const std::string& path, const std::vector<FaxPage>& pages) {
    TiffFile t = openTiff(path, "w");
    int n = 0;
    for (const FaxPage& page : pages) {
        setFaxTags(t.get(), page.width, page.height, page.fine, n++,
                   static_cast<int>(pages.size()));
        std::vector<uint8_t> row(static_cast<std::size_t>(page.rowBytes()));
        for (int r = 0; r < page.height; ++r) {
            std::copy_n(page.bits.begin() + static_cast<std::ptrdiff_t>(r) * page.rowBytes(),
                        page.rowBytes(), row.begin());
            if (TIFFWriteScanline(t.get(), row.data(), static_cast<uint32_t>(r), 0) < 0) {
                throw std::runtime_error("cannot write TIFF file " + path);
            }
        }
        if (!TIFFWriteDirectory(t.get())) {
            throw std::runtime_error("cannot write TIFF file " + path);
        }
    }
}

std::vector<uint8_t> encodeMh(const FaxPage& page) {
    TempFile temp;
    writeTiffPages(temp.path(), {page});
    TiffFile t = openTiff(temp.path(), "r");
    tmsize_t size = TIFFRawStripSize(t.get(), 0);
    std::vector<uint8_t> data(static_cast<std::size_t>(std::max<tmsize_t>(size, 0)));
    if (size > 0 && TIFFReadRawStrip(t.get(), 0, data.data(), size) != size) {
        throw std::runtime_error("cannot read back the encoded page");
    }
    return data;
}

FaxPage decodeMh(const std::vector<uint8_t>& data, int width, bool fine, int* badRows) {
    FaxPage page;
    page.width = width;
    page.fine = fine;
    page.height = countMhRows(data);
    if (badRows != nullptr) {
        *badRows = 0;
    }
    page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * page.height, 0);
    if (page.height == 0) {
        return page;
    }
    TempFile temp;
    {
        TiffFile t = openTiff(temp.path(), "w");
        setFaxTags(t.get(), width, page.height, fine, 0, 1);
        if (TIFFWriteRawStrip(t.get(), 0, const_cast<uint8_t*>(data.data()),
                              static_cast<tmsize_t>(data.size())) < 0) {
            throw std::runtime_error("cannot stage the page for decoding");
        }
    }
    TiffFile t = openTiff(temp.path(), "r");
    for (int row = 0; row < page.height; ++row) {
        uint8_t* dst = page.bits.data() + static_cast<std::size_t>(row) * page.rowBytes();
        if (TIFFReadScanline(t.get(), dst, static_cast<uint32_t>(row), 0) < 0) {
            std::fill(dst, dst + page.rowBytes(), 0);
            if (badRows != nullptr) {
                ++*badRows;
            }
        }
    }
    return page;
}

}  // namespace px
