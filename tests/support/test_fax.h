// Fax files made for the printer and viewer tests: pages whose content tells
// them apart and shows where they landed.
//
// Page p is a full-width page with a black frame (kFramePels thick) along its
// four edges and p black squares in a row near the top, so a picture of it
// shows its extent and its number.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

namespace px::test {

constexpr unsigned kFramePels = 16;
constexpr unsigned kSquarePels = 96;
constexpr unsigned kSquareTop = 240;
constexpr unsigned kSquareStep = 160;
// A fine page about as long as a letter sheet.
constexpr unsigned kTestPageLines = 2200;

inline std::vector<uint8_t> testFaxLine(unsigned page, unsigned y, unsigned lines) {
    std::vector<uint8_t> raster(kNormalLineBytes, 0);
    if (y < kFramePels || y >= lines - kFramePels) {
        rasterSetRun(raster.data(), 0, kNormalWidthPels);
        return raster;
    }
    rasterSetRun(raster.data(), 0, kFramePels);
    rasterSetRun(raster.data(), kNormalWidthPels - kFramePels, kFramePels);
    if (y >= kSquareTop && y < kSquareTop + kSquarePels) {
        for (unsigned i = 0; i < page; ++i) {
            rasterSetRun(raster.data(), 2 * kFramePels + 64 + i * kSquareStep, kSquarePels);
        }
    }
    return raster;
}

// Writes `pages` such pages (fine, with length words unless `flags` says
// otherwise) to `path`.
inline void writeTestFax(const std::string& path, unsigned pages,
                         uint16_t flags = kApfFine | kApfLengthWords,
                         unsigned lines = kTestPageLines) {
    TPxApfWriter writer;
    if (writer.create(path) != ecOK) {
        throw std::runtime_error("cannot create " + path);
    }
    TPxT4Encoder::Record record{};
    const bool framed = (flags & kApfLengthWords) != 0;
    for (unsigned page = 1; page <= pages; ++page) {
        writer.beginPage(flags);
        for (unsigned y = 0; y < lines; ++y) {
            const std::vector<uint8_t> raster = testFaxLine(page, y, lines);
            const size_t n =
                TPxT4Encoder::codeLine(raster.data(), kNormalWidthPels, 0, false, record.data());
            framed ? writer.writeRecord(record.data(), n) : writer.writeRaw(record.data(), n);
        }
        framed ? writer.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size())
               : writer.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        writer.endPage();
    }
    if (writer.finish() != ecOK) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace px::test
