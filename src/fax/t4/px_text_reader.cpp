#include "fax/t4/px_text_reader.h"

#include <algorithm>

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
    codedValid_ = false;
    if (coding_) {
        repeats_ = coder_.repeatedRows(line_, codeWidth_, codeMargin_);
    }
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
    coded_.assign(TPxT4Encoder::kMaxRecordBytes, 0);
    codedValid_ = false;
    repeats_ = coder_.repeatedRows(line_, codeWidth_, codeMargin_);
    return true;
}

size_t TPxTextReader::codeLastLine(uint8_t* record) {
    // A blank line codes as row 0 of no text: every one is the same.
    const unsigned row = lastRow_;
    const bool sameAsCoded =
        codedValid_ && (row == codedRow_ || (row != 0 && codedRow_ != 0 && row == codedRow_ + 1 &&
                                             row <= 64 && ((repeats_ >> (row - 1)) & 1U) != 0));
    if (!sameAsCoded) {
        codedLength_ = coder_.codeRow(row != 0 ? std::string_view(line_) : std::string_view(), row,
                                      codeWidth_, codeMargin_, coded_.data());
        codedValid_ = true;
    }
    codedRow_ = row;
    std::copy_n(coded_.data(), codedLength_, record);
    return codedLength_;
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
