// Text input drawn with the built-in fax font.
#pragma once

#include <cstdint>
#include <vector>

#include "fax/t4/px_custom_text_reader.h"
#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_text_row_coder.h"

namespace px {

class TPxTextReader : public TPxCustomTextReader {
public:
    // Loads the font (8052 when the built-in resource is bad) and sets the
    // page geometry: each line holds W / glyph width − M / glyph width
    // characters.
    ErrorCode setup(TFaxFont type, bool fine, unsigned pageWidth, unsigned leftMargin);
    const TPxFaxFont& font() const { return font_; }

    ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage, bool& morePages) override;
    bool codeLinesItself(unsigned width, unsigned leftMargin) override;
    size_t codeLastLine(uint8_t* record) override;

protected:
    ErrorCode beginLine(const std::string& text) override;
    unsigned rowsPerLine() const override { return font_.rows(); }
    unsigned drawRow(unsigned row, uint8_t* raster) override;

private:
    TPxFaxFont font_;
    size_t maxChars_ = 0;
    std::string line_;
    // Coding rows straight from the font, once asked to.
    TPxTextRowCoder coder_;
    bool coding_ = false;
    unsigned codeWidth_ = 0;
    unsigned codeMargin_ = 0;
    unsigned lastRow_ = 0;  // row of line_ the last read gave; 0: a blank line
    // The record last coded, of row codedRow_ of line_ (0: none, or of a
    // blank line); a row that repeats it is copied, not coded again.
    std::vector<uint8_t> coded_;
    unsigned codedRow_ = 0;
    size_t codedLength_ = 0;
    bool codedValid_ = false;
    uint64_t repeats_ = 0;  // rows of line_ that repeat the row above
};

}  // namespace px
