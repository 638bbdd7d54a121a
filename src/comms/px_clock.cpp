#include "comms/px_clock.h"

#include <chrono>
#include <thread>

namespace px {

uint32_t TPxSystemClock::milliseconds() const {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void TPxSystemClock::sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TPxSystemClock& TPxSystemClock::instance() {
    static TPxSystemClock clock;
    return clock;
}

}  // namespace px
