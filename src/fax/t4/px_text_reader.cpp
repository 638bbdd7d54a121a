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

ErrorCode TPxTextReader::readLine(uint8_t* raster, unsigned& len, bool& endOfPage,
                                  bool& morePages) {
    lastRow_ = 0;
    return TPxCustomTextReader::readLine(raster, len, endOfPage, morePages);
}

bool TPxTextReader::codeLinesItself(unsigned width, unsigned leftMargin) {
    coder_.prepare(font_);
    codeWidth_ = width;
    codeMargin_ = leftMargin;
    coding_ = true;
    return true;
}

size_t TPxTextReader::codeLastLine(uint8_t* record) {
    return coder_.codeRow(lastRow_ != 0 ? std::string_view(line_) : std::string_view(), lastRow_,
                          codeWidth_, codeMargin_, record);
}

unsigned TPxTextReader::drawRow(unsigned row, uint8_t* raster) {
    if (coding_) {
        lastRow_ = row;
    } else {
        font_.renderTextRow(line_, row, raster, kRasterBytes);
    }
    return static_cast<unsigned>((line_.size() * font_.glyphWidth() + 7) / 8);
}

}  // namespace px
