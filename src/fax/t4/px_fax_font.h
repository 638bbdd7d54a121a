// The built-in fax font: fixed-pitch 12×8 (small) and 20×16 (standard) glyphs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/px_errors.h"

namespace px {

enum class TFaxFont { ffStandard, ffSmall };

// The resource holds the small font in bytes 0..4095 and the standard font in
// bytes 4096..16383, 256 glyphs each indexed by character code. A glyph row
// holds the leftmost pel in the most significant bit of its first byte.
class TPxFaxFont {
public:
    static constexpr size_t kResourceSize = 16384;
    static constexpr size_t kSmallBytesPerGlyph = 16;
    static constexpr size_t kStandardBytesPerGlyph = 48;

    // Loads one of the two fonts from resource bytes, `bytesPerGlyph` 16 or 48,
    // with every row doubled for fine resolution. ecFontFileNotFound when the
    // resource is missing, of the wrong size, or has blank printable glyphs.
    ErrorCode load(const uint8_t* resource, size_t size, size_t bytesPerGlyph, bool doubleRows);
    // The same from the resource built into the program.
    ErrorCode loadBuiltIn(size_t bytesPerGlyph, bool doubleRows);
    static ErrorCode loadBuiltIn(TFaxFont type, bool fine, TPxFaxFont& font);

    bool loaded() const { return !glyphs_.empty(); }
    unsigned glyphWidth() const { return width_; }
    unsigned rows() const { return rows_; }
    unsigned bytesPerRow() const { return bytesPerRow_; }
    const uint8_t* glyphRow(uint8_t code, unsigned row) const {
        return glyphs_.data() + (size_t{code} * rows_ + row) * bytesPerRow_;
    }

    // Draws row `row` (1..rows) of every character of `text`, glyph after
    // glyph from pel 0, into `raster` (`rasterBytes` long; pels beyond it are
    // dropped). Rows beyond the font height draw nothing.
    void renderTextRow(std::string_view text, unsigned row, uint8_t* raster,
                       size_t rasterBytes) const;

private:
    std::vector<uint8_t> glyphs_;
    // Each glyph row again, its pels left-aligned in 32 bits and masked to
    // the glyph width: rows are drawn from these, a shift and an or apiece.
    std::vector<uint32_t> rowBits_;
    unsigned width_ = 0;
    unsigned rows_ = 0;
    unsigned bytesPerRow_ = 0;
};

}  // namespace px
