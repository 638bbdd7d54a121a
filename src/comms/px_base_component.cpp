#include "comms/px_base_component.h"

#include "comms/px_error_text.h"

namespace px {

int TPxBaseComponent::check(int result) const {
    if (result < 0 && !destroying_ && !loading_) {
        raiseError(result);
    }
    return result;
}

}  // namespace px
