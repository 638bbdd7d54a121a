// Trigger records of a dispatcher and the store that carries them across a
// close and reopen of the port.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "comms/px_dispatch_types.h"
#include "comms/px_event_timer.h"

namespace px {

struct TPxTimerTrigger {
    int32_t handle = 0;
    TPxEventTimer timer;
    int32_t ticks = 0;
    bool armed = false;
};

// A data trigger with a multi-start matcher: every partial match that is still
// alive is followed, so overlapping candidates (AAB within AAAB) are all found.
struct TPxDataTrigger {
    int32_t handle = 0;
    std::string match;  // upper-cased when case is ignored
    bool ignoreCase = false;
    bool matched = false;
    // alive[k]: a partial match of length k ends at the last byte fed.
    std::array<bool, kMaxDataTriggerLength> alive{};

    // Feeds one byte; true (and `matched`) when the whole string has matched.
    bool feed(uint8_t byte);
    void reset();
};

// A modem-status trigger's value: the lines it watches in the high byte, their
// levels when it was armed in the low byte.
constexpr int kWatchedLinesShift = 8;
constexpr uint32_t modemWatchValue(uint32_t watched, uint8_t levels) {
    return (watched & msLevels) << kWatchedLinesShift | (levels & msLevels);
}
constexpr uint8_t watchedModemLines(uint32_t value) {
    return static_cast<uint8_t>(value >> kWatchedLinesShift);
}

struct TPxStatusTrigger {
    int32_t handle = 0;
    int kind = 0;
    uint32_t value = 0;
    bool armed = false;
    bool fired = false;
};

struct TPxTriggerStore {
    std::vector<TPxTimerTrigger> timers;
    std::vector<TPxDataTrigger> data;
    std::vector<TPxStatusTrigger> status;
    uint32_t availLevel = 0;
    bool valid = false;
};

}  // namespace px
