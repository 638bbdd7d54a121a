// Error texts of the fax document layer and the way its components raise them.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

// Text of a code as the document layer reports it: its own codes, else the
// operating system's text for file errors.
std::string faxDocumentErrorText(ErrorCode code);

// Throws the exception of a negative code (EFaxBadFormat, EConvertAbort, ...,
// an EInOutError for file errors), with the code's text; returns otherwise.
void checkFaxResult(ErrorCode code);

}  // namespace px
