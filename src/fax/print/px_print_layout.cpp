#include "fax/print/px_print_layout.h"

#include <algorithm>
#include <cmath>

#include "fax/print/px_fax_printer.h"

namespace px {

bool startsSheet(unsigned index, bool multiPage, bool landscape) {
    if (!multiPage) {
        return true;
    }
    return index % (landscape ? kPagesPerSheetLandscape : kPagesPerSheetPortrait) == 0;
}

QRect pageArea(const QRect& printable, unsigned index, bool multiPage, bool landscape) {
    QRect area = printable;
    if (multiPage) {
        const unsigned slot = index % kPagesPerSheetPortrait;
        const int halfWidth = printable.width() / 2;
        const bool right = slot % 2 == 1;
        area.setWidth(halfWidth);
        if (right) {
            area.moveLeft(printable.left() + halfWidth);
        }
        if (!landscape) {
            const int halfHeight = printable.height() / 2;
            area.setHeight(halfHeight);
            if (slot >= 2) {
                area.moveTop(printable.top() + halfHeight);
            }
        }
    }
    return area.adjusted(kAreaInsetPels, kAreaInsetPels, -kAreaInsetPels, -kAreaInsetPels);
}

QSize drawnPageSize(TFaxPrintScale scale, const QSize& area, const QSize& bitmap, int pageWidthPels,
                    int dpiX, int dpiY) {
    if (bitmap.isEmpty() || area.isEmpty()) {
        return {0, 0};
    }
    if (scale == TFaxPrintScale::psFitToPage) {
        const int fullWidth = std::max(pageWidthPels, bitmap.width());
        const double width = kFitWidthShare * area.width() * bitmap.width() / fullWidth;
        return {static_cast<int>(std::lround(width)), area.height()};
    }
    const auto width = static_cast<int>(int64_t{bitmap.width()} * dpiX / kUnscaledPelsPerInch);
    const auto height = static_cast<int64_t>(bitmap.height()) * dpiY / kUnscaledPelsPerInch;
    return {width, static_cast<int>(std::min<int64_t>(height, area.height()))};
}

}  // namespace px
