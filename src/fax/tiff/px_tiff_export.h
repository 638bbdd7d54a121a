// Export of APF fax files as multi-page TIFF Class F.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

// Writes every page of `apfPath` to `tiffPath`: Group 3 one-dimensional
// coding with byte-aligned EOLs, least significant bit first, 204 dpi across
// and 98 or 196 lines per inch, one directory per page with its page number.
// A partial file is deleted on failure.
ErrorCode exportApfToTiff(const std::string& apfPath, const std::string& tiffPath,
                          std::string* message = nullptr);

}  // namespace px
