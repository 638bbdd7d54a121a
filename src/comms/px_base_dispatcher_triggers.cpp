// TPxBaseDispatcher: registering, arming and dropping triggers, their handles,
// and carrying them across a close and reopen.
#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <cctype>

namespace px {

bool TPxBaseDispatcher::handleInUse(int32_t handle) const {
    auto same = [handle](int32_t h) { return handleBase(h) == handle; };
    return std::any_of(timers_.begin(), timers_.end(), [&](auto& t) { return same(t.handle); }) ||
           std::any_of(dataTriggers_.begin(), dataTriggers_.end(),
                       [&](auto& t) { return same(t.handle); }) ||
           std::any_of(statusTriggers_.begin(), statusTriggers_.end(),
                       [&](auto& t) { return same(t.handle); });
}

int32_t TPxBaseDispatcher::allocateHandle() {
    if (handleCounter_ <= kSequentialHandles) {
        return handleFromSeed(handleCounter_++);
    }
    for (int32_t seed = 1;; ++seed) {
        if (!handleInUse(handleFromSeed(seed))) {
            return handleFromSeed(seed);
        }
    }
}

int TPxBaseDispatcher::newTimerTrigger() {
    std::lock_guard lock(lineLock_);
    TPxTimerTrigger trigger;
    trigger.handle = allocateHandle();
    timers_.push_back(trigger);
    log_.add(ltTriggerAlloc, lsTimerTrigger, msSinceOpen(), static_cast<uint32_t>(trigger.handle));
    return trigger.handle;
}

int TPxBaseDispatcher::armTimerTrigger(int32_t handle, int32_t ticks, bool activate) {
    std::lock_guard lock(lineLock_);
    for (auto& trigger : timers_) {
        if (trigger.handle != handle) {
            continue;
        }
        if (activate) {
            if (ticks != 0) {
                trigger.ticks = ticks;
            }
            trigger.timer.start(clock_.ticks(), trigger.ticks);
            trigger.armed = true;
            const auto data = logWord(static_cast<uint32_t>(trigger.ticks));
            log_.add(ltTriggerDataChange, lsTimerTrigger, msSinceOpen(),
                     static_cast<uint32_t>(handle), data.data(),
                     static_cast<uint32_t>(data.size()));
        } else {
            trigger.armed = false;
        }
        return ecOK;
    }
    return ecBadTriggerHandle;
}

int TPxBaseDispatcher::newDataTrigger(std::string_view match, bool ignoreCase) {
    if (match.size() > kMaxDataTriggerLength) {
        return ecTriggerTooLong;
    }
    std::lock_guard lock(lineLock_);
    TPxDataTrigger trigger;
    trigger.handle = allocateHandle();
    trigger.ignoreCase = ignoreCase;
    trigger.match = std::string(match);
    if (ignoreCase) {
        for (char& c : trigger.match) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    dataTriggers_.push_back(trigger);
    return trigger.handle;
}

int TPxBaseDispatcher::newStatusTrigger(int kind) {
    if (kind < stModem || kind > stOutSent) {
        return ecBadArgument;
    }
    std::lock_guard lock(lineLock_);
    TPxStatusTrigger trigger;
    trigger.handle = allocateHandle() | kind;  // its kind in the low bits
    trigger.kind = kind;
    statusTriggers_.push_back(trigger);
    const uint8_t kindByte = static_cast<uint8_t>(kind);
    log_.add(ltTriggerAlloc, lsStatusTrigger, msSinceOpen(), static_cast<uint32_t>(trigger.handle),
             &kindByte, 1);
    return trigger.handle;
}

int TPxBaseDispatcher::armStatusTrigger(int32_t handle, uint32_t value, bool activate) {
    uint8_t levels = 0;
    if (activate && statusKindOf(handle) == stModem) {
        levels = readModemStatus(kKeepModemDeltas) & msLevels;
    }
    std::lock_guard lock(lineLock_);
    for (auto& trigger : statusTriggers_) {
        if (trigger.handle != handle) {
            continue;
        }
        if (!activate) {
            trigger.armed = false;
            return ecOK;
        }
        switch (trigger.kind) {
            case stModem:
                trigger.value = modemWatchValue(value, levels);
                break;
            case stLine:
                trigger.value = lineErrorWatchFlags(value);
                break;
            case stOutFree:
            case stOutUsed:
                trigger.value = value;
                break;
            default:
                trigger.value = 0;
                break;
        }
        trigger.armed = true;
        const auto data = logWord(trigger.value);
        log_.add(ltTriggerDataChange, lsStatusTrigger, msSinceOpen(), static_cast<uint32_t>(handle),
                 data.data(), static_cast<uint32_t>(data.size()));
        return ecOK;
    }
    return ecBadTriggerHandle;
}

int TPxBaseDispatcher::setAvailLevel(uint32_t count) {
    std::lock_guard lock(lineLock_);
    availLevel_ = count;
    log_.add(ltTriggerDataChange, lsAvailTrigger, msSinceOpen(), count);
    return ecOK;
}

uint32_t TPxBaseDispatcher::availLevel() {
    std::lock_guard lock(lineLock_);
    return availLevel_;
}

int TPxBaseDispatcher::dropTrigger(int32_t handle) {
    if (handle == kAvailTriggerHandle) {
        return setAvailLevel(0);
    }
    if (handle < kAvailTriggerHandle) {
        return ecBadTriggerHandle;  // 0 and below are never handles
    }
    std::lock_guard lock(lineLock_);
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->handle == handle) {
            timers_.erase(it);
            log_.add(ltTriggerDispose, lsTimer, msSinceOpen(), static_cast<uint32_t>(handle));
            return ecOK;
        }
    }
    for (auto it = statusTriggers_.begin(); it != statusTriggers_.end(); ++it) {
        if (it->handle == handle) {
            const uint8_t kindByte = static_cast<uint8_t>(it->kind);
            statusTriggers_.erase(it);
            log_.add(ltTriggerDispose, lsStatusTrigger, msSinceOpen(),
                     static_cast<uint32_t>(handle), &kindByte, 1);
            return ecOK;
        }
    }
    for (auto it = dataTriggers_.begin(); it != dataTriggers_.end(); ++it) {
        if (it->handle == handle) {
            dataTriggers_.erase(it);
            log_.add(ltTriggerDispose, lsData, msSinceOpen(), static_cast<uint32_t>(handle));
            return ecOK;
        }
    }
    return ecBadTriggerHandle;
}

void TPxBaseDispatcher::snapshotTriggers(TPxTriggerStore& store) {
    std::lock_guard lock(lineLock_);
    store.timers = timers_;
    store.data = dataTriggers_;
    store.status = statusTriggers_;
    store.availLevel = availLevel_;
    store.valid = true;
}

void TPxBaseDispatcher::reinstateTriggers(const TPxTriggerStore& store) {
    if (!store.valid) {
        return;
    }
    std::lock_guard lock(lineLock_);
    timers_ = store.timers;
    dataTriggers_ = store.data;
    statusTriggers_ = store.status;
    availLevel_ = store.availLevel;
    // Handles issued later must not collide with the restored ones.
    int32_t highest = 0;
    for (auto& t : timers_)
        highest = std::max(highest, seedOfHandle(t.handle));
    for (auto& t : dataTriggers_)
        highest = std::max(highest, seedOfHandle(t.handle));
    for (auto& t : statusTriggers_)
        highest = std::max(highest, seedOfHandle(t.handle));
    handleCounter_ = std::max(handleCounter_, highest + 1);
}

}  // namespace px
