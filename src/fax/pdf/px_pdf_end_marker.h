// Whether a PDF file ends as written: what poppler would otherwise repair
// silently is refused instead.
#pragma once

#include <string>

namespace px {

// Whether the PDF's end-of-file marker "%%EOF" is within its last kilobyte,
// where every writer puts it; a file cut short has lost it.
bool pdfHasEndMarker(const std::string& path);

}  // namespace px
