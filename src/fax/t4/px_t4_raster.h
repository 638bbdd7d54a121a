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
void rasterSetRun(uint8_t* raster, unsigned first, unsigned count);

// First pel at or after `pos` and before `limit` whose colour differs from
// `black`; `limit` when there is none. Reads ceil(limit / 8) raster bytes.
unsigned rasterFindChange(const uint8_t* raster, unsigned pos, unsigned limit, bool black);

// True when the raster holds no black pel in its first `bytes` bytes.
bool rasterIsWhite(const uint8_t* raster, size_t bytes);

}  // namespace px
