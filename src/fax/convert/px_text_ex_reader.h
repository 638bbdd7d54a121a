// Text input drawn with a chosen system font through Qt.
#pragma once

#include <QFont>
#include <QImage>

#include "fax/t4/px_custom_text_reader.h"

namespace px {

class TPxTextExReader : public TPxCustomTextReader {
public:
    // Largest drawing surface, in bytes of a 1-bit bitmap.
    static constexpr qsizetype kMaxSurfaceBytes = 65536;

    // Prepares a surface W − M pels wide and as high as "Wy" in the font (at
    // twice its point size for fine resolution); 8055 when it would exceed
    // 65536 bytes.
    ErrorCode setup(const QFont& font, bool fine, unsigned pageWidth, unsigned leftMargin);

protected:
    ErrorCode beginLine(const std::string& text) override;
    unsigned rowsPerLine() const override { return static_cast<unsigned>(surface_.height()); }
    unsigned drawRow(unsigned row, uint8_t* raster) override;

private:
    QFont font_;
    bool fine_ = false;
    int ascent_ = 0;
    QImage surface_;
};

}  // namespace px
