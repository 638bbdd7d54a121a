#include "fax/view/px_page_stretch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace px {

namespace {

constexpr uchar kWhite = 0xFF;

int scaled(int v, unsigned mult, unsigned div) {
    return static_cast<int>(static_cast<int64_t>(v) * mult / div);
}

// Row y of the page into `buf` (one spare byte), with the pels beyond the
// page's width forced white.
void loadRow(const QImage& page, int y, std::vector<uchar>& buf) {
    const int width = page.width();
    const int bytes = (width + 7) / 8;
    std::memcpy(buf.data(), page.constScanLine(y), static_cast<size_t>(bytes));
    if (width % 8 != 0) {
        buf[static_cast<size_t>(bytes - 1)] |= static_cast<uchar>(0xFFu >> (width % 8));
    }
    std::fill(buf.begin() + bytes, buf.end(), kWhite);
}

void andRow(const QImage& page, int y, std::vector<uchar>& acc, std::vector<uchar>& buf) {
    loadRow(page, y, buf);
    for (size_t i = 0; i < acc.size(); ++i) {
        acc[i] &= buf[i];
    }
}

bool blackIn(const std::vector<uchar>& row, int from, int to) {
    for (int x = from; x < to; ++x) {
        if ((row[static_cast<size_t>(x >> 3)] & (0x80u >> (x & 7))) == 0) {
            return true;
        }
    }
    return false;
}

// Copies pels [x, x + width) of `row` to the start of `out`.
void shiftCopy(const std::vector<uchar>& row, int x, int width, uchar* out) {
    const int shift = x & 7;
    const size_t first = static_cast<size_t>(x >> 3);
    const int bytes = (width + 7) / 8;
    for (int i = 0; i < bytes; ++i) {
        const size_t at = first + static_cast<size_t>(i);
        const unsigned hi = at < row.size() ? row[at] : kWhite;
        const unsigned lo = at + 1 < row.size() ? row[at + 1] : kWhite;
        out[i] = static_cast<uchar>(shift == 0 ? hi : (hi << shift) | (lo >> (8 - shift)));
    }
}

}  // namespace

int DisplayFactors::displayedWidth(int pels) const {
    return scaled(pels, horizMult, horizDiv);
}
int DisplayFactors::displayedHeight(int lines) const {
    return scaled(lines, vertMult, vertDiv);
}
int DisplayFactors::sourceX(int x) const {
    return scaled(x, horizDiv, horizMult);
}
int DisplayFactors::sourceY(int y) const {
    return scaled(y, vertDiv, vertMult);
}

QImage stretchRegion(const QImage& page, const DisplayFactors& factors, const QRect& area) {
    if (area.isEmpty()) {
        return {};
    }
    QImage out(area.size(), QImage::Format_Mono);
    if (out.isNull()) {
        return out;
    }
    out.setColorTable(page.isNull() ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                    : page.colorTable());
    std::memset(out.bits(), kWhite, static_cast<size_t>(out.sizeInBytes()));
    if (page.isNull()) {
        return out;
    }
    const int srcW = page.width();
    const int srcH = page.height();
    // Source rows are read a whole page width wide, plus room for the
    // columns an area beyond the page asks for.
    const int srcX1 = factors.sourceX(area.right() + 1) + 1;
    const size_t rowBytes = static_cast<size_t>(std::max(srcW, srcX1) + 7) / 8 + 2;
    std::vector<uchar> acc(rowBytes);
    std::vector<uchar> buf(rowBytes);

    std::vector<int> xs0(static_cast<size_t>(area.width()));
    std::vector<int> xs1(static_cast<size_t>(area.width()));
    for (int i = 0; i < area.width(); ++i) {
        const int x = area.left() + i;
        const int s0 = std::clamp(factors.sourceX(x), 0, srcW);
        const int s1 = std::clamp(std::max(factors.sourceX(x + 1), s0 + 1), 0, srcW);
        xs0[static_cast<size_t>(i)] = s0;
        xs1[static_cast<size_t>(i)] = s1;
    }

    for (int j = 0; j < area.height(); ++j) {
        const int y = area.top() + j;
        const int r0 = factors.sourceY(y);
        if (r0 < 0 || r0 >= srcH) {
            continue;
        }
        const int r1 = std::min(std::max(factors.sourceY(y + 1), r0 + 1), srcH);
        loadRow(page, r0, acc);
        for (int r = r0 + 1; r < r1; ++r) {
            andRow(page, r, acc, buf);
        }
        uchar* dst = out.scanLine(j);
        if (factors.horizMult == factors.horizDiv && area.left() >= 0) {
            shiftCopy(acc, area.left(), area.width(), dst);
            continue;
        }
        for (int i = 0; i < area.width(); ++i) {
            const int s0 = xs0[static_cast<size_t>(i)];
            const int s1 = xs1[static_cast<size_t>(i)];
            if (s0 < s1 && blackIn(acc, s0, s1)) {
                dst[i >> 3] &= static_cast<uchar>(~(0x80u >> (i & 7)));
            }
        }
    }
    return out;
}

}  // namespace px
