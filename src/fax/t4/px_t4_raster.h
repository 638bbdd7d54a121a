// Raster line constants and helpers shared by the T.4 coder and its users.
//
// A raster line holds the pels of one scan line, most significant bit of the
// first byte leftmost, a 1 bit black.
#pragma once

#include <cstddef>
#include <cstdint>

namespace px {

constexpr unsigned kNormalWidthPels = 1728;
constexpr unsigned kWideWidthPels = 2048;
constexpr unsigned kNormalLineBytes = kNormalWidthPels / 8;
constexpr unsigned kWideLineBytes = kWideWidthPels / 8;

// Sets `count` pels from pel `first` to black.
inline void rasterSetRun(uint8_t* raster, unsigned first, unsigned count) {
    if (count == 0) {
        return;
    }
    const unsigned end = first + count;
    const unsigned b0 = first >> 3;
    const unsigned b1 = end >> 3;
    const auto head = static_cast<uint8_t>(0xFFU >> (first & 7U));
    const auto tail = static_cast<uint8_t>(~(0xFFU >> (end & 7U)));
    if (b0 == b1) {
        raster[b0] |= static_cast<uint8_t>(head & tail);
        return;
    }
    raster[b0] |= head;
    for (unsigned b = b0 + 1; b < b1; ++b) {
        raster[b] = 0xFF;
    }
    if ((end & 7U) != 0) {
        raster[b1] |= tail;
    }
}

// First pel at or after `pos` and before `limit` whose colour differs from
// `black`; `limit` when there is none. Reads ceil(limit / 8) raster bytes.
unsigned rasterFindChange(const uint8_t* raster, unsigned pos, unsigned limit, bool black);

// True when the raster holds no black pel in its first `bytes` bytes.
bool rasterIsWhite(const uint8_t* raster, size_t bytes);

}  // namespace px
