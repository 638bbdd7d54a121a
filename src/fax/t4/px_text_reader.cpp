#include "fax/t4/px_text_reader.h"

namespace px {

ErrorCode TPxTextReader::setup(TFaxFont type, bool fine, unsigned pageWidth, unsigned leftMargin) {
    if (ErrorCode rc = TPxFaxFont::loadBuiltIn(type, fine, font_); rc != ecOK) {
        return rc;
    }
    const unsigned w = font_.glyphWidth();
    maxChars_ = pageWidth / w >= leftMargin / w ? pageWidth / w - leftMargin / w : 0;
    return ecOK;
}

ErrorCode TPxTextReader::beginLine(const std::string& text) {
    line_ = text.substr(0, maxChars_);
    return ecOK;
}

unsigned TPxTextReader::drawRow(unsigned row, uint8_t* raster) {
    font_.renderTextRow(line_, row, raster, kRasterBytes);
    return static_cast<unsigned>((line_.size() * font_.glyphWidth() + 7) / 8);
}

}  // namespace px
