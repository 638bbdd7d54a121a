// Text input drawn with the built-in fax font.
#pragma once

#include "fax/t4/px_custom_text_reader.h"
#include "fax/t4/px_fax_font.h"

namespace px {

class TPxTextReader : public TPxCustomTextReader {
public:
    // Loads the font (8052 when the built-in resource is bad) and sets the
    // page geometry: each line holds W / glyph width − M / glyph width
    // characters.
    ErrorCode setup(TFaxFont type, bool fine, unsigned pageWidth, unsigned leftMargin);
    const TPxFaxFont& font() const { return font_; }

protected:
    ErrorCode beginLine(const std::string& text) override;
    unsigned rowsPerLine() const override { return font_.rows(); }
    unsigned drawRow(unsigned row, uint8_t* raster) override;

private:
    TPxFaxFont font_;
    size_t maxChars_ = 0;
    std::string line_;
};

}  // namespace px
