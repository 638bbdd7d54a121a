// APF files for the tests and benchmarks of the viewer: pages drawn in code,
// the CCITT test documents as received faxes, and long faxes made of them.
// Users link px_apf, px_t4 and px_tiff.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/tiff/px_tiff_import.h"

namespace px::test {

// A page 1728 pels wide and `height` lines high, white with black blocks.
inline QImage drawnPage(int height, const std::vector<QRect>& blocks) {
    QImage img(1728, height, QImage::Format_Grayscale8);
    img.fill(Qt::white);
    QPainter p(&img);
    for (const QRect& r : blocks) {
        p.fillRect(r, Qt::black);
    }
    return img;
}

// Writes one page per image (converter form, with length words). A pel is
// black where the image is dark; images narrower than the page are padded
// white, wider ones cut.
inline void writeApfPages(const std::string& path, const std::vector<QImage>& pages, bool fine) {
    TPxApfWriter w;
    if (w.create(path) != ecOK) {
        throw std::runtime_error("cannot create " + path);
    }
    TPxT4Encoder::Record rec{};
    constexpr unsigned kWidth = 1728;
    for (const QImage& page : pages) {
        w.beginPage(static_cast<uint16_t>(kApfLengthWords | (fine ? kApfFine : 0)));
        const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
        for (int y = 0; y < gray.height(); ++y) {
            std::vector<uint8_t> raster(kWidth / 8, 0);
            const uchar* row = gray.constScanLine(y);
            for (int x = 0; x < std::min<int>(gray.width(), kWidth); ++x) {
                if (row[x] < 128) {
                    raster[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80u >> (x % 8));
                }
            }
            const size_t n = TPxT4Encoder::codeLine(raster.data(), kWidth, 0, false, rec.data());
            w.writeRecord(rec.data(), n);
        }
        w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        w.endPage();
    }
    if (w.finish() != ecOK) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string testDataDir() {
    const char* env = std::getenv("PARVEX_TESTDATA");
#ifdef PARVEX_DEFAULT_TESTDATA
    return env != nullptr ? env : PARVEX_DEFAULT_TESTDATA;
#else
    return env != nullptr ? env : "";
#endif
}

// CCITT test document n (1..8) as a one-page fine-resolution APF; empty when
// the test data is missing.
inline std::string ccittApf(const std::string& dir, int n) {
    const std::string tiff = testDataDir() + "/ccitt/ccitt_" + std::to_string(n) + ".tif";
    const std::string apf = dir + "/ccitt_" + std::to_string(n) + ".apf";
    if (importTiffToApf(tiff, apf, TiffImportOptions{}) != ecOK) {
        return {};
    }
    return apf;
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A fax of `count` pages: the pages of the one-page files `pages`, in turn.
inline void repeatPages(const std::vector<std::string>& pages, const std::string& out,
                        unsigned count) {
    std::vector<std::vector<uint8_t>> sources;
    for (const std::string& p : pages) {
        sources.push_back(readBytes(p));
    }
    std::vector<uint8_t> dst(sources.at(0).begin(), sources.at(0).begin() + kApfFileHeaderSize);
    dst[32] = static_cast<uint8_t>(count & 0xFF);
    dst[33] = static_cast<uint8_t>(count >> 8);
    for (unsigned i = 0; i < count; ++i) {
        const std::vector<uint8_t>& src = sources[i % sources.size()];
        dst.insert(dst.end(), src.begin() + kApfFileHeaderSize, src.end());
    }
    writeBytes(out, dst);
}

}  // namespace px::test
