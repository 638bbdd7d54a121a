// `parvex-convert info`: what an APF file says of itself and of each page,
// and how many lines each page decodes to.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

// Prints the report on standard output. Returns the error that kept the file
// from opening (nothing printed then), else ecOK with `status` set to the
// exit status: 0, or 1 when a page could not be found.
ErrorCode printApfInfo(const std::string& path, int& status);

}  // namespace px
