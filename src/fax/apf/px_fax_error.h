// Error texts of the fax document layer and the way its components raise them.
#pragma once

#include <stdexcept>
#include <string>

#include "common/px_errors.h"

namespace px {

// Text of a code as the document layer reports it: its own codes, else the
// operating system's text for file errors.
std::string faxDocumentErrorText(ErrorCode code);

// Raised by the converter and unpacker components for a negative result.
class EPxFaxDocumentError : public std::runtime_error {
public:
    explicit EPxFaxDocumentError(ErrorCode code);
    ErrorCode code() const { return code_; }

private:
    ErrorCode code_;
};

// Throws for a negative code; returns otherwise.
void checkFaxResult(ErrorCode code);

}  // namespace px
