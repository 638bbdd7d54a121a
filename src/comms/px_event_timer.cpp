#include "comms/px_event_timer.h"

#include <algorithm>

namespace px {

void TPxEventTimer::start(uint32_t now, int32_t ticks) {
    uint32_t span = ticks < 0 ? 0 : std::min(static_cast<uint32_t>(ticks), kMaxTimerTicks);
    startTick = now;
    expireTick = now + span;
}

bool TPxEventTimer::expired(uint32_t now) const {
    if (expireTick < now) {
        return true;
    }
    // The counter wrapped since the start: compare on the far side of the wrap.
    return now < startTick && expireTick < now + kMaxTimerTicks;
}

}  // namespace px
