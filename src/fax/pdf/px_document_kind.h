// What a document file holds, told by its content and not its name.
#pragma once

#include <string>

namespace px {

enum class TPageDescriptionKind { Unknown, Pdf, PostScript, Missing };

// "%PDF-" within the first kilobyte (readers allow a little junk before it),
// or "%!PS" at the start (also behind the binary header of a DOS EPS file).
TPageDescriptionKind pageDescriptionKind(const std::string& path);

// Whether the PDF's end-of-file marker "%%EOF" is within its last kilobyte,
// where every writer puts it; a file cut short has lost it.
bool pdfHasEndMarker(const std::string& path);

}  // namespace px
