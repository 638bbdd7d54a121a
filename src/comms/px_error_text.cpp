#include "comms/px_error_text.h"

#include <cstdlib>

#include "common/px_exceptions.h"
#include "comms/px_string_manager.h"

namespace px {

namespace {

const TPxStringManager& errorTable() {
    static const TPxStringManager table =
        TPxStringManager::fromResource("PX_ERROR_STRINGS_ENGLISH");
    return table;
}

}  // namespace

std::string errorTextRow(int row) {
    return errorTable().find(row);
}

std::string errorText(ErrorCode code) {
    return errorTextRow(std::abs(code));
}

void raiseError(ErrorCode code) {
    throwPxException(code, errorText(code));
}

int checkResult(int result) {
    if (result < 0) {
        raiseError(result);
    }
    return result;
}

}  // namespace px
