// Fax pages as bitmaps, read from and written to TIFF files with libtiff, and
// one-dimensional (MH) page data as it crosses a fax modem's DTE interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace px {

struct FaxPage {
    int width = 1728;
    int height = 0;
    bool fine = true;
    // Rows of (width + 7) / 8 bytes, most significant bit leftmost, 1 = black.
    std::vector<uint8_t> bits;

    int rowBytes() const { return (width + 7) / 8; }
    bool operator==(const FaxPage& other) const = default;
};

// Reads every page of a bilevel TIFF file. Throws std::runtime_error with the
// file name when it cannot be read.
std::vector<FaxPage> readTiffPages(const std::string& path);
// Writes the pages as a T.4 one-dimensional TIFF (class F). Throws on failure.
void writeTiffPages(const std::string& path, const std::vector<FaxPage>& pages);

// MH page data with an EOL before each row and RTC at the end, first bit in
// the least significant bit of each octet (the line order of T.4).
std::vector<uint8_t> encodeMh(const FaxPage& page);
// Decodes MH page data in the same bit order. Rows that do not decode are
// counted in `badRows` and left white; the page ends at RTC or the data's end.
FaxPage decodeMh(const std::vector<uint8_t>& data, int width, bool fine, int* badRows);

// Reverses the bit order of every octet (Class 2 receive data order).
void reverseBits(std::vector<uint8_t>& data);

}  // namespace px
