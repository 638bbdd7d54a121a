// A start tick and an expiry tick that survive the wrap of the tick counter.
#pragma once

#include <cstdint>

namespace px {

// Longest interval a timer can hold: half the tick counter's range, so that
// "expired" stays decidable after the counter wraps.
constexpr uint32_t kMaxTimerTicks = 39045157;

struct TPxEventTimer {
    uint32_t startTick = 0;
    uint32_t expireTick = 0;

    void start(uint32_t now, int32_t ticks);
    bool expired(uint32_t now) const;
};

}  // namespace px
