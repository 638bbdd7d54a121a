// The render list (.FCT): one flat record per object, positions in fax pixels.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "cover/objects/cover_page_model.h"

namespace px {

enum class TRenderKind : int {
    rkText = 0,
    rkSymbol = 1,
    rkShape = 2,
    rkLine = 3,
    rkImportance = 4,
    rkField = 5,
    rkMessage = 6
};

// The fax page's vertical resolution the positions are converted to.
inline constexpr int kRenderPixelsPerInch = 196;

struct TRenderRecord {
    int kind = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string caption;  // Windows-1252 bytes
    std::string fontName;
    int fontSize = -1;  // points × 2
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int shape = -1;
    int fill = -1;
    int penWidth = -1;  // × 2
    int lineStyle = -1;
    int rounding = -1;
    int fieldType = -1;

    bool operator==(const TRenderRecord&) const = default;
};

// Screen pixels at 96 per inch to fax pixels: trunc(px ÷ 96 × 196).
int toFaxPixels(int screenPixels);

TRenderRecord renderRecordOf(const TGGraphicControl& object);
void writeRenderRecord(std::string& out, const TRenderRecord& record);
// The render list of the page's objects in drawing order.
std::string renderListOf(const TCoverPageModel& page);
void writeRenderList(const TCoverPageModel& page, const QString& path);

// Reads records one by one, handing each complete one to `draw` before the
// next is read; stops at the end or at the first record that cannot be read,
// or when `draw` returns false. Left, top, width, height, font size and pen
// width are divided by `divisor`. Returns the number of records handed over.
int readRenderList(std::string_view bytes, int divisor,
                   const std::function<bool(const TRenderRecord&)>& draw);

}  // namespace px
