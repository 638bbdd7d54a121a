// Plain text to an APF file with the built-in fax font, for documents given
// to parvex-fax as text.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

ErrorCode textToApf(const std::string& textPath, const std::string& apfPath, bool fine);

}  // namespace px
