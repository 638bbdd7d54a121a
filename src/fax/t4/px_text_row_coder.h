// Codes rows of text in the fax font straight into line records, without
// drawing them. Each glyph row is known in advance as its first run, the
// codes of the runs inside it and its last run; only the runs at glyph
// boundaries join with their neighbours, so a row costs a few steps per
// character instead of drawing, scanning and coding every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_t4_encoder.h"

namespace px {

class TPxTextRowCoder {
public:
    void prepare(const TPxFaxFont& font);

    // The record TPxT4Encoder::codeLine makes (single width) of the raster
    // that TPxFaxFont::renderTextRow draws for `text` and `row` (1-based).
    size_t codeRow(std::string_view text, unsigned row, unsigned width, unsigned leftMargin,
                   uint8_t* record) const;

    // The rows (bit r − 1 for row r) that draw the same pels as the row
    // above them for `text` within `width` − `leftMargin` image pels: their
    // record is the record of the row above. Row 1 never; rows past the
    // 64th are never reported.
    uint64_t repeatedRows(std::string_view text, unsigned width, unsigned leftMargin) const;

private:
    struct GlyphRow {
        uint32_t pels = 0;   // the row, leftmost pel in bit 31
        uint32_t inner = 0;  // first code of the inner runs in codes_
        uint8_t innerCount = 0;
        uint8_t firstColour = 0;  // 0 white, 1 black
        uint8_t firstLength = 0;
        uint8_t lastColour = 0;
        uint8_t lastLength = 0;
        bool single = false;  // one run across the glyph
    };

    std::vector<GlyphRow> rows_;  // glyph c, row r at c * rowsPerGlyph_ + r
    std::vector<T4LsbCode> codes_;
    std::vector<uint64_t> repeats_;  // per glyph, as repeatedRows
    unsigned rowsPerGlyph_ = 0;
    unsigned glyphWidth_ = 0;
};

}  // namespace px
