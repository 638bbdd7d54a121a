#include "fax/view/px_page_rotation.h"

#include <cstdint>
#include <cstring>

namespace px {

namespace {

constexpr uchar kAllWhite = 0xFF;

inline void setBlack(uchar* row, int x) {
    row[x >> 3] &= static_cast<uchar>(~(0x80u >> (x & 7)));
}

QImage whiteLike(const QImage& page, int width, int height) {
    QImage out(width, height, QImage::Format_Mono);
    if (out.isNull()) {
        return out;
    }
    out.setColorTable(page.colorTable());
    out.setDotsPerMeterX(page.dotsPerMeterY());
    out.setDotsPerMeterY(page.dotsPerMeterX());
    std::memset(out.bits(), kAllWhite, static_cast<size_t>(out.sizeInBytes()));
    return out;
}

// Calls visit(x, y) for every black pel of the page; whole white bytes are
// skipped, as a fax page is mostly white.
template <class Visit>
void forEachBlack(const QImage& page, Visit visit) {
    const int width = page.width();
    const int bytes = (width + 7) / 8;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int b = 0; b < bytes; ++b) {
            const uchar v = row[b];
            if (v == kAllWhite) {
                continue;
            }
            for (int bit = 0; bit < 8; ++bit) {
                const int x = b * 8 + bit;
                if (x < width && (v & (0x80u >> bit)) == 0) {
                    visit(x, y);
                }
            }
        }
    }
}

int roundUpToByte(int pels) {
    return (pels + 7) / 8 * 8;
}

}  // namespace

QImage rotatePage(const QImage& page, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    if (turns == 0 || page.isNull()) {
        return page;
    }
    const QImage src =
        page.format() == QImage::Format_Mono ? page : page.convertToFormat(QImage::Format_Mono);
    const int w = src.width();
    const int h = src.height();
    if (turns == 2) {
        QImage out = whiteLike(src, w, h);
        if (out.isNull()) {
            return out;
        }
        out.setDotsPerMeterX(src.dotsPerMeterX());
        out.setDotsPerMeterY(src.dotsPerMeterY());
        forEachBlack(src, [&](int x, int y) { setBlack(out.scanLine(h - 1 - y), w - 1 - x); });
        return out;
    }
    QImage out = whiteLike(src, h, roundUpToByte(w));
    if (out.isNull()) {
        return out;
    }
    if (turns == 1) {
        // Source row y becomes column h - 1 - y, top to bottom.
        forEachBlack(src, [&](int x, int y) { setBlack(out.scanLine(x), h - 1 - y); });
    } else {
        // Source row y becomes column y, bottom to top.
        forEachBlack(src, [&](int x, int y) { setBlack(out.scanLine(w - 1 - x), y); });
    }
    return out;
}

}  // namespace px
