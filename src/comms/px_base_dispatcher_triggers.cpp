// TPxBaseDispatcher: registering, arming and dropping triggers, their handles,
// and carrying them across a close and reopen.
#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace px {

namespace {

// Handles are issued in sequence this many times before gaps are reused.
constexpr int32_t kSequentialHandles = 4096;

template <class T>
void appendLe32(std::vector<uint8_t>& out, T v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    }
}

}  // namespace

bool TPxBaseDispatcher::handleInUse(int32_t handle) const {
    auto same = [handle](int32_t h) { return (h & ~7) == handle; };
    return std::any_of(timers_.begin(), timers_.end(), [&](auto& t) { return same(t.handle); }) ||
           std::any_of(dataTriggers_.begin(), dataTriggers_.end(),
                       [&](auto& t) { return same(t.handle); }) ||
           std::any_of(statusTriggers_.begin(), statusTriggers_.end(),
                       [&](auto& t) { return same(t.handle); });
}

int32_t TPxBaseDispatcher::allocateHandle() {
    if (handleCounter_ <= kSequentialHandles) {
        return 8 * handleCounter_++;
    }
    for (int32_t handle = 8;; handle += 8) {
        if (!handleInUse(handle)) {
            return handle;
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
            std::vector<uint8_t> data;
            appendLe32(data, trigger.ticks);
            log_.add(ltTriggerDataChange, lsTimerTrigger, msSinceOpen(),
                     static_cast<uint32_t>(handle), data.data(), 4);
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
    trigger.handle = allocateHandle() | kind;
    trigger.kind = kind;
    statusTriggers_.push_back(trigger);
    const uint8_t kindByte = static_cast<uint8_t>(kind);
    log_.add(ltTriggerAlloc, lsStatusTrigger, msSinceOpen(), static_cast<uint32_t>(trigger.handle),
             &kindByte, 1);
    return trigger.handle;
}

int TPxBaseDispatcher::armStatusTrigger(int32_t handle, uint32_t value, bool activate) {
    uint8_t levels = 0;
    if (activate && (handle & 7) == stModem) {
        levels = readModemStatus(0xFF) & 0xF0;
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
                trigger.value = ((value & 0xF0) << 8) | levels;
                break;
            case stLine:
                trigger.value = (value & 0x0F) << 1;
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
        std::vector<uint8_t> data;
        appendLe32(data, trigger.value);
        log_.add(ltTriggerDataChange, lsStatusTrigger, msSinceOpen(), static_cast<uint32_t>(handle),
                 data.data(), 4);
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
    if (handle < 2) {
        return ecBadTriggerHandle;
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
        highest = std::max(highest, t.handle >> 3);
    for (auto& t : dataTriggers_)
        highest = std::max(highest, t.handle >> 3);
    for (auto& t : statusTriggers_)
        highest = std::max(highest, t.handle >> 3);
    handleCounter_ = std::max(handleCounter_, highest + 1);
}

}  // namespace px
