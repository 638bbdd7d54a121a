// Fonts of the cover objects on this system: the Windows family names the
// templates use, resolved to installed families through fontconfig.
#pragma once

#include <QFont>
#include <QString>

#include "cover/objects/cover_types.h"

namespace px {

// The installed family that draws `family`: the metric-compatible Liberation
// fonts for Arial, Times New Roman and Courier New, Symbola for WingDings, the
// family itself when installed, else the nearest installed one.
QString resolveFontFamily(const QString& family);

// A font `pixelHeight` pixels high (character height), no anti-aliasing, so
// it draws the same on one-bit pages and on the screen.
QFont coverFont(const QString& family, int pixelHeight, bool bold, bool italic, bool underline,
                bool strikeOut = false);
// An object's font at a zoom: the point size is truncated after zooming and
// drawn at the design screen's 96 pixels per inch.
QFont coverFont(const TCoverFont& font, float zoom);
// Pixel height of a point size at the design screen's resolution (size × 96 ÷ 72, rounded).
int screenPixelHeight(int points);

// The text an object draws for its caption in `family` (WingDings codes become
// their Unicode pictures).
QString drawnText(const QString& caption, const QString& family);

// The symbol selector's column count for a font size.
int symbolSelectorColumns(int fontSize);
// Cover pages are black and white: an edited font keeps white or black, any
// other colour becomes black.
TCoverColor blackOrWhite(TCoverColor color);

}  // namespace px
