#include "comms/px_triggers.h"

#include <cctype>

namespace px {

bool TPxDataTrigger::feed(uint8_t byte) {
    const size_t len = match.size();
    if (len == 0) {
        return false;
    }
    if (ignoreCase) {
        byte = static_cast<uint8_t>(std::toupper(byte));
    }
    std::array<bool, kMaxDataTriggerLength> next{};
    bool complete = false;
    // Length 0 is always alive: every byte may start a new candidate.
    for (size_t k = 0; k < len; ++k) {
        if ((k == 0 || alive[k]) && byte == static_cast<uint8_t>(match[k])) {
            if (k + 1 == len) {
                complete = true;
            } else {
                next[k + 1] = true;
            }
        }
    }
    if (complete) {
        alive.fill(false);
        matched = true;
        return true;
    }
    alive = next;
    return false;
}

void TPxDataTrigger::reset() {
    alive.fill(false);
    matched = false;
}

}  // namespace px
