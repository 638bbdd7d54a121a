// Texts of the error table "PX_ERROR_STRINGS_ENGLISH" and the conversion of
// negative results into exceptions.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

// The text of a row of the error table; empty when the row does not exist.
std::string errorTextRow(int row);
// The text for an error code, looked up by its absolute value.
std::string errorText(ErrorCode code);

// Raises the exception of a negative code (common/px_exceptions.h) with the
// table text as its message.
[[noreturn]] void raiseError(ErrorCode code);
// Passes 0 and positive results through; raises for negative ones.
int checkResult(int result);

}  // namespace px
