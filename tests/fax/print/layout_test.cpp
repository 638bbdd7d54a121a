#include <gtest/gtest.h>

#include <QDateTime>

#include "fax/print/px_fax_printer.h"
#include "fax/print/px_print_layout.h"

namespace px {
namespace {

TEST(MarginCodes, EachCodeRunsToTheNextBlankAndIsReplacedOrRemoved) {
    const TMarginValues values{"/fax/RECV0001.APF", 5, 2,
                               QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9))};
    const struct {
        const char* caption;
        const char* expected;
    } cases[] = {
        {"Page: $P of $N", "Page: 2 of 5"},
        {"Page: $p of $n", "Page: 2 of 5"},
        {"FILE: $F", "FILE: /fax/RECV0001.APF"},
        {"a $X b", "a  b"},
        // A code runs to the next blank: "$Page$N" is one code, a $P.
        {"$Page$N end", "2 end"},
        {"$", ""},
        {"cost $ 5", "cost  5"},
        {"$P$N", "2"},
        {"no codes", "no codes"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expandMarginCodes(c.caption, values), QString(c.expected)) << c.caption;
    }
    const QString dated = expandMarginCodes("$D $T", values);
    EXPECT_FALSE(dated.contains('$'));
    EXPECT_GT(dated.size(), 6);
}

TEST(SheetLayout, QuartersInPortraitHalvesInLandscapeLessTheInset) {
    const QRect printable(0, 0, 1000, 1400);
    const struct {
        unsigned index;
        bool multi;
        bool landscape;
        QRect expected;
    } cases[] = {
        {0, false, false, QRect(2, 2, 996, 1396)},
        {0, true, false, QRect(2, 2, 496, 696)},      // top left
        {1, true, false, QRect(502, 2, 496, 696)},    // top right
        {2, true, false, QRect(2, 702, 496, 696)},    // bottom left
        {3, true, false, QRect(502, 702, 496, 696)},  // bottom right
        {4, true, false, QRect(2, 2, 496, 696)},      // next sheet, top left
        {0, true, true, QRect(2, 2, 496, 1396)},      // left
        {1, true, true, QRect(502, 2, 496, 1396)},    // right
        {2, true, true, QRect(2, 2, 496, 1396)},      // next sheet, left
        {3, true, true, QRect(502, 2, 496, 1396)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pageArea(printable, c.index, c.multi, c.landscape), c.expected)
            << "index " << c.index << " multi " << c.multi << " landscape " << c.landscape;
    }
}

TEST(PageSize, FittedPagesTakeTheAreaUnscaledOnesTwoHundredPelsAnInch) {
    const QSize area(1000, 1400);
    const struct {
        TFaxPrintScale scale;
        QSize bitmap;
        int pageWidth;
        int dpi;
        QSize expected;
    } cases[] = {
        // A full-width page: 0.93 of the width, the whole height.
        {TFaxPrintScale::psFitToPage, {1728, 2200}, 1728, 600, {930, 1400}},
        {TFaxPrintScale::psFitToPage, {1728, 500}, 1728, 600, {930, 1400}},
        // Cut short on the right: the same pel size, so narrower, not stretched.
        {TFaxPrintScale::psFitToPage, {864, 2200}, 1728, 600, {465, 1400}},
        // A wide page across 0.93 of the width, never taller than the area.
        {TFaxPrintScale::psFitToPage, {2048, 2600}, 2048, 600, {930, 1400}},
        {TFaxPrintScale::psFitToPage, {1024, 2600}, 2048, 600, {465, 1400}},
        // No page.
        {TFaxPrintScale::psFitToPage, {0, 0}, 1728, 600, {0, 0}},
        // Unscaled: 200 pels an inch, cut to the area's height.
        {TFaxPrintScale::psNone, {400, 600}, 1728, 600, {1200, 1400}},
        {TFaxPrintScale::psNone, {400, 200}, 1728, 600, {1200, 600}},
        {TFaxPrintScale::psNone, {400, 200}, 1728, 300, {600, 300}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(drawnPageSize(c.scale, area, c.bitmap, c.pageWidth, c.dpi, c.dpi), c.expected)
            << c.bitmap.width() << "x" << c.bitmap.height() << " at " << c.dpi;
    }
}

}  // namespace
}  // namespace px
