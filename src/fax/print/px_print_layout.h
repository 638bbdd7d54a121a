// Where a fax page goes on a printed sheet and how large it is drawn, in the
// printer's device pels.
#pragma once

#include <QRect>
#include <QSize>

namespace px {

enum class TFaxPrintScale;

// Pages a sheet holds with MultiPage.
constexpr unsigned kPagesPerSheetPortrait = 4;
constexpr unsigned kPagesPerSheetLandscape = 2;
// Blank border kept inside each page's area.
constexpr int kAreaInsetPels = 2;
// Gap between a header or footer text and its rule, and between the rule and
// the page.
constexpr int kRuleGapPels = 2;
constexpr int kRuleToPagePels = 1;
// Share of the area's width a full-width page takes when fitted.
constexpr double kFitWidthShare = 0.93;
// Pels per inch a fax page is taken to have when printed without scaling.
constexpr int kUnscaledPelsPerInch = 200;

// Whether the page at `index` (0 for the first page printed) starts a sheet.
bool startsSheet(unsigned index, bool multiPage, bool landscape);

// The area of the page at `index` on its sheet: the whole printable page, or
// with MultiPage its quarter (portrait: 0 top left, 1 top right, 2 bottom
// left, 3 bottom right) or half (landscape: left, right), less the inset.
QRect pageArea(const QRect& printable, unsigned index, bool multiPage, bool landscape);

// The drawn size of a page bitmap of `bitmap` pels in `area`.
//
// Fitted, a page of the full fax width (`pageWidthPels`, 1728 or 2048) takes
// 0.93 of the area's width and the whole area's height; a bitmap cut short on
// the right (the unpacker stops at the rightmost black pel) keeps that pel
// size, so it is drawn narrower instead of being stretched.
// Unscaled, the page is drawn at 200 pels per inch, no higher than the area.
QSize drawnPageSize(TFaxPrintScale scale, const QSize& area, const QSize& bitmap, int pageWidthPels,
                    int dpiX, int dpiY);

}  // namespace px
