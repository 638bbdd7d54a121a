#include "fax/convert/px_text_ex_reader.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

namespace px {

ErrorCode TPxTextExReader::setup(const QFont& font, bool fine, unsigned pageWidth,
                                 unsigned leftMargin) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return ecBadArgument;  // fonts need the GUI application
    }
    font_ = font;
    font_.setStyleStrategy(QFont::NoAntialias);
    if (fine) {
        if (font.pointSizeF() > 0) {
            font_.setPointSizeF(font.pointSizeF() * 2);
        } else if (font.pixelSize() > 0) {
            font_.setPixelSize(font.pixelSize() * 2);
        }
    }
    fine_ = fine;
    const QFontMetrics fm(font_);
    ascent_ = fm.ascent();
    const int width = pageWidth > leftMargin ? static_cast<int>(pageWidth - leftMargin) : 0;
    const int height = fm.boundingRect(QStringLiteral("Wy")).height();
    const qsizetype bytes = qsizetype{(width + 15) / 16 * 2} * height;
    if (width == 0 || height <= 0 || bytes > kMaxSurfaceBytes) {
        return ecEnhFontTooBig;
    }
    surface_ = QImage(width, height, QImage::Format_Grayscale8);
    return surface_.isNull() ? ecOutOfMemory : ecOK;
}

ErrorCode TPxTextExReader::beginLine(const std::string& text) {
    surface_.fill(255);
    QPainter p(&surface_);
    p.setFont(font_);
    p.setPen(Qt::black);
    p.drawText(0, ascent_, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    return ecOK;
}

unsigned TPxTextExReader::drawRow(unsigned row, uint8_t* raster) {
    const uchar* src = surface_.constScanLine(static_cast<int>(row - 1));
    const auto width = static_cast<unsigned>(surface_.width());
    for (unsigned x = 0; x < width; ++x) {
        // At normal resolution the first half of the row is stretched to
        // twice its width, restoring the aspect of the taller pels.
        const unsigned sx = fine_ ? x : x / 2;
        if (src[sx] < 128) {
            raster[x >> 3] = static_cast<uint8_t>(raster[x >> 3] | (0x80U >> (x & 7U)));
        }
    }
    return (width + 7) / 8;
}

}  // namespace px
