// The part of a page bitmap that a display shows at given factors, as a new
// monochrome bitmap (1 = white, the page's colour table).
#pragma once

#include <QImage>
#include <QRect>

namespace px {

// Display factors: a displayed page is width * horizMult / horizDiv by
// height * vertMult / vertDiv pels (integer division).
struct DisplayFactors {
    unsigned horizMult = 1;
    unsigned horizDiv = 1;
    unsigned vertMult = 1;
    unsigned vertDiv = 1;

    bool identity() const { return horizMult == horizDiv && vertMult == vertDiv; }
    int displayedWidth(int pels) const;
    int displayedHeight(int lines) const;
    // The first source pel (line) under displayed pel x (line y).
    int sourceX(int x) const;
    int sourceY(int y) const;
    bool operator==(const DisplayFactors&) const = default;
};

// Renders `area`, in displayed pels, of `page` shown at `factors`. A
// displayed pel is black when any source pel under it is black, so that thin
// strokes survive a reduction; pels beyond the page are white. A null image
// when the bitmap cannot be allocated or the area is empty.
QImage stretchRegion(const QImage& page, const DisplayFactors& factors, const QRect& area);

}  // namespace px
