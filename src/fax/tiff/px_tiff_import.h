// Import of bilevel TIFF files (any fax coding libtiff reads) into APF.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

struct TiffImportOptions {
    std::string stationId;
    // Largest page a file may claim, in lines; longer pages are cut.
    unsigned maxLines = 65536;
};

// Converts every directory of a bilevel TIFF file into a page of an APF
// file: up to 1728 pels wide a normal page, up to 2048 a wide page, wider
// pictures are scaled down to 1728 pels; 150 lines per inch or more (or no
// resolution given) is fine resolution. Other TIFF pictures fail with
// ecBadGraphicsFormat. A partial output file is deleted on failure.
ErrorCode importTiffToApf(const std::string& tiffPath, const std::string& apfPath,
                          const TiffImportOptions& options, std::string* message = nullptr);

}  // namespace px
