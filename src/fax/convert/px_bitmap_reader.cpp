#include "fax/convert/px_bitmap_reader.h"

#include <QPainter>
#include <algorithm>

namespace px {

unsigned TPxBitmapReader::ditherThreshold(unsigned a, unsigned b) {
    unsigned m = 0;
    for (int i = 0; i < 4; ++i) {
        m = ((a ^ b) & 1U) * 2 + m * 2 + (b & 1U);
        a >>= 1;
        b >>= 1;
    }
    return 10 * m;
}

ErrorCode TPxBitmapReader::open(const std::string&) {
    if (image_.isNull()) {
        return ecBadArgument;
    }
    row_ = 0;
    rowBytes_ = static_cast<unsigned>(image_.bytesPerLine());
    mono_ = image_.depth() == 1;
    if (mono_) {
        work_ = image_.format() == QImage::Format_Mono
                    ? image_
                    : image_.convertToFormat(QImage::Format_Mono);
        const QList<QRgb> table = work_.colorTable();
        const int dark0 = table.size() > 0 ? qGray(table[0]) : 0;
        const int dark1 = table.size() > 1 ? qGray(table[1]) : 255;
        // Index 1 is black only when its colour is the darker one.
        invert_ = dark1 >= dark0;
    } else if (image_.hasAlphaChannel()) {
        // Transparent parts count as white paper.
        work_ = QImage(image_.size(), QImage::Format_RGB32);
        work_.fill(Qt::white);
        QPainter p(&work_);
        p.drawImage(0, 0, image_);
    } else {
        work_ = image_.convertToFormat(QImage::Format_RGB32);
    }
    return work_.isNull() ? ecOutOfMemory : ecOK;
}

ErrorCode TPxBitmapReader::readLine(uint8_t* raster, unsigned& len, bool& endOfPage,
                                    bool& morePages) {
    morePages = false;
    endOfPage = row_ >= work_.height();
    len = 0;
    if (endOfPage) {
        return ecOK;
    }
    const auto width = static_cast<unsigned>(work_.width());
    const unsigned room =
        offset_ < kRasterBytes ? static_cast<unsigned>(kRasterBytes) - offset_ : 0;
    const unsigned pels = std::min(width, room * 8);
    uint8_t* out = raster + offset_;
    if (mono_) {
        const uchar* src = work_.constScanLine(row_);
        const unsigned bytes = (pels + 7) / 8;
        for (unsigned i = 0; i < bytes; ++i) {
            out[i] = invert_ ? static_cast<uint8_t>(~src[i]) : src[i];
        }
        // Bits past the picture's last pel come out white.
        if ((pels & 7U) != 0) {
            out[bytes - 1] = static_cast<uint8_t>(out[bytes - 1] & (0xFF00U >> (pels & 7U)));
        }
    } else {
        const auto* src = reinterpret_cast<const QRgb*>(work_.constScanLine(row_));
        const auto y = static_cast<unsigned>(row_);
        for (unsigned x = 0; x < pels; ++x) {
            const QRgb c = src[x];
            const auto sum = static_cast<unsigned>(qRed(c) + qGreen(c) + qBlue(c));
            if (sum < ditherThreshold(x % 32, y % 32)) {
                out[x >> 3] = static_cast<uint8_t>(out[x >> 3] | (0x80U >> (x & 7U)));
            }
        }
        if (pump_) {
            if (ErrorCode rc = pump_(); rc != ecOK) {
                return rc;
            }
        }
    }
    len = offset_ + (pels + 7) / 8;
    ++row_;
    return ecOK;
}

}  // namespace px
