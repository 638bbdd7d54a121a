// Import of bilevel TIFF files (any fax coding libtiff reads) into APF.
#pragma once

#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

struct TiffImportOptions {
    std::string stationId;
    // Largest page a file may claim, in lines; longer pages are cut (and
    // the cut reported in TiffImportResult).
    unsigned maxLines = 65536;
};

struct TiffImportResult {
    unsigned pages = 0;
    // Pages cut to maxLines, and the lines left out of them.
    unsigned pagesCut = 0;
    uint64_t linesDropped = 0;
};

// Converts every directory of a bilevel TIFF file into a page of an APF
// file: up to 1728 pels wide a normal page, up to 2048 a wide page, wider
// pictures are scaled down to 1728 pels; 150 lines per inch or more (or no
// resolution given) is fine resolution. Other TIFF pictures fail with
// ecBadGraphicsFormat; a file of more pages than APF holds fails with
// ecTooManyPages. A partial output file is deleted on failure.
ErrorCode importTiffToApf(const std::string& tiffPath, const std::string& apfPath,
                          const TiffImportOptions& options, std::string* message = nullptr,
                          TiffImportResult* result = nullptr);

}  // namespace px
