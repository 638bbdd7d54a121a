// Enhanced text for the send component: its header line and text covers
// drawn in system fonts through Qt instead of the built-in fax font.
#pragma once

#include <QFont>

#include "fax/components/px_send_fax.h"

namespace px {

// The left margin and page width the transmitter draws its texts with.
constexpr unsigned kEnhTextPageWidth = 1728;
constexpr unsigned kEnhTextLeftMargin = 48;

// The Qt font of a font description (negative heights are pixel sizes,
// positive ones whole cell heights).
QFont toQFont(const TPxFontDescription& font);

// Readers drawing with TPxTextExReader; nullptr when the font cannot be set
// up (too large for the drawing surface, or no GUI application).
TPxEnhTextReaderMaker enhancedTextReaderMaker();

// Gives `fax` the enhanced text readers (used while EnhTextEnabled is on).
void useEnhancedText(TPxSendFax& fax);

}  // namespace px
