#include "fax/t4/px_t4_raster.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace px {

unsigned rasterFindChange(const uint8_t* raster, unsigned pos, unsigned limit, bool black) {
    const uint8_t flip = black ? 0xFF : 0x00;
    const unsigned bytes = (limit + 7) / 8;
    while (pos < limit) {
        const unsigned byte = pos >> 3;
        const auto diff = static_cast<uint8_t>((raster[byte] ^ flip) & (0xFFU >> (pos & 7U)));
        if (diff != 0) {
            return std::min(limit, byte * 8 + static_cast<unsigned>(std::countl_zero(diff)));
        }
        pos = (byte + 1) * 8;
        // Whole words of one colour are skipped eight bytes at a time.
        const uint64_t flipWord = black ? ~uint64_t{0} : 0;
        while ((pos >> 3) + 8 <= bytes) {
            uint64_t word = 0;
            std::memcpy(&word, raster + (pos >> 3), 8);
            if constexpr (std::endian::native == std::endian::little) {
                word = __builtin_bswap64(word);
            }
            word ^= flipWord;
            if (word != 0) {
                return std::min(limit, pos + static_cast<unsigned>(std::countl_zero(word)));
            }
            pos += 64;
        }
    }
    return limit;
}

bool rasterIsWhite(const uint8_t* raster, size_t bytes) {
    return std::all_of(raster, raster + bytes, [](uint8_t b) { return b == 0; });
}

}  // namespace px
