// Helpers that build rasters and coded pages for the codec tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"

namespace px::test {

using Raster = std::vector<uint8_t>;
using Page = std::vector<Raster>;

// The coded stream of a page as the converter lays it out, without the
// length words: one record per line, then the end-of-page record.
inline std::vector<uint8_t> codePage(const Page& page, unsigned width, unsigned margin = 0) {
    std::vector<uint8_t> out;
    TPxT4Encoder::Record record{};
    for (const Raster& line : page) {
        const size_t n = TPxT4Encoder::codeLine(line.data(), width, margin, false, record.data());
        out.insert(out.end(), record.begin(), record.begin() + static_cast<long>(n));
    }
    out.insert(out.end(), kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    return out;
}

// Describes the first difference of two pages, empty when they are equal.
inline std::string pageDiff(const Page& a, const Page& b) {
    if (a.size() != b.size()) {
        return "line counts " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    }
    for (size_t y = 0; y < a.size(); ++y) {
        if (a[y] != b[y]) {
            return "line " + std::to_string(y) + " differs";
        }
    }
    return {};
}

inline Page decodeAll(const std::vector<uint8_t>& data, TPxT4Decoder* decoderOut = nullptr) {
    Page lines;
    TPxT4Decoder local;
    TPxT4Decoder& decoder = decoderOut != nullptr ? *decoderOut : local;
    decoder.reset();
    auto sink = [&](const uint8_t* raster, unsigned bytes) {
        lines.emplace_back(raster, raster + bytes);
    };
    if (!decoder.feed(data.data(), data.size(), sink)) {
        decoder.finish(sink);
    }
    return lines;
}

// Pages of every kind the encoder must get right.
enum class PageKind { Text, Dither, White, Black, Alternating, Random };

inline Page makePage(PageKind kind, unsigned width, unsigned lines, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    Page page(lines, Raster(width / 8, 0));
    for (unsigned y = 0; y < lines; ++y) {
        Raster& r = page[y];
        for (unsigned b = 0; b < r.size(); ++b) {
            switch (kind) {
                case PageKind::Text:
                    // Glyph-like blocks: short strokes in bands of 20 lines.
                    if ((y % 20) < 14 && b > 6 && b < r.size() - 6) {
                        r[b] = static_cast<uint8_t>((rng() % 3 == 0) ? rng() : 0);
                    }
                    break;
                case PageKind::Dither:
                    r[b] = static_cast<uint8_t>(((y & 1) != 0 ? 0x55 : 0xAA) ^
                                                (rng() % 8 == 0 ? rng() : 0));
                    break;
                case PageKind::White:
                    break;
                case PageKind::Black:
                    r[b] = 0xFF;
                    break;
                case PageKind::Alternating:
                    r[b] = (y & 1) != 0 ? 0x55 : 0xAA;
                    break;
                case PageKind::Random:
                    r[b] = static_cast<uint8_t>(rng());
                    break;
            }
        }
    }
    return page;
}

}  // namespace px::test
