// Writers of a collected page as PCX, one-page DCX and BMP files.
#pragma once

#include <string>

#include "fax/unpack/px_page_bitmap.h"

namespace px {

ErrorCode writePagePcx(const std::string& path, const TPxPageBitmap& page);
ErrorCode writePageDcx(const std::string& path, const TPxPageBitmap& page);
// Fails with ecBmpTooBig for 32768 lines or more.
ErrorCode writePageBmp(const std::string& path, const TPxPageBitmap& page);

}  // namespace px
