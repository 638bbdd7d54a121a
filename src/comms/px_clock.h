// Time of the serial layer: milliseconds from a clock that can be replaced in
// tests, and the 55 ms ticks that timers and waits count in.
#pragma once

#include <atomic>
#include <cstdint>

namespace px {

// Ticks are the system milliseconds divided by 55 (the old PC timer rate that
// modem time-outs are still written in).
constexpr uint32_t kMsPerTick = 55;

// Ticks a second as a fraction: 1675 / 92 = 18.2065, the PC timer's rate.
constexpr int64_t kTickRateNumerator = 1675;
constexpr int64_t kTickRateDenominator = 92;
// Half a second of ticks, so that ticks round to the nearest second.
constexpr int64_t kHalfSecondTicks = 9;

// Seconds to ticks and back, rounding as the fax engine's settings expect.
constexpr int32_t secondsToTicks(int32_t seconds) {
    return static_cast<int32_t>(static_cast<int64_t>(seconds) * kTickRateNumerator /
                                kTickRateDenominator);
}
constexpr int32_t ticksToSeconds(int32_t ticks) {
    return static_cast<int32_t>((static_cast<int64_t>(ticks) + kHalfSecondTicks) *
                                kTickRateDenominator / kTickRateNumerator);
}

class TPxClock {
public:
    virtual ~TPxClock() = default;
    // Milliseconds of a monotonic clock; wraps at 2^32.
    virtual uint32_t milliseconds() const = 0;
    // Waits the given milliseconds.
    virtual void sleep(uint32_t ms) = 0;
    uint32_t ticks() const { return milliseconds() / kMsPerTick; }
};

// The real clock: milliseconds since boot, real sleeps.
class TPxSystemClock : public TPxClock {
public:
    uint32_t milliseconds() const override;
    void sleep(uint32_t ms) override;
    static TPxSystemClock& instance();
};

// A clock that only moves when told; sleeping advances it at once.
class TPxManualClock : public TPxClock {
public:
    explicit TPxManualClock(uint32_t startMs = 0) : now_(startMs) {}
    uint32_t milliseconds() const override { return now_.load(); }
    void sleep(uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
    }
    void advance(uint32_t ms) { now_ += ms; }
    void set(uint32_t ms) { now_ = ms; }
    uint64_t slept() const { return slept_.load(); }

private:
    std::atomic<uint32_t> now_;
    std::atomic<uint64_t> slept_{0};
};

}  // namespace px
