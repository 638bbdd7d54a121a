// TPxBaseDispatcher: the dispatch cycle, which checks the status, data, avail
// and timer triggers and dispatches those that fire.
#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <vector>

namespace px {

bool TPxBaseDispatcher::scanStatusTriggers() {
    const uint32_t used = outputCount();
    const uint32_t free = outputFree();
    const uint32_t errors = lineErrors_;
    const uint8_t modem = modemStatus_;
    int32_t handle = 0;
    uint32_t data = 0;
    {
        std::lock_guard lock(lineLock_);
        for (auto& trigger : statusTriggers_) {
            if (!trigger.armed || trigger.fired) {
                continue;
            }
            bool fire = false;
            switch (trigger.kind) {
                case stModem: {
                    const uint8_t mask = watchedModemLines(trigger.value);
                    fire = ((modem ^ trigger.value) & mask) != 0;
                    data = modem;
                    break;
                }
                case stLine:
                    fire = (errors & trigger.value) != 0;
                    if (fire) {
                        trigger.value = errors;
                        data = errors;
                    }
                    break;
                case stOutFree:
                    fire = free >= trigger.value;
                    data = free;
                    break;
                case stOutUsed:
                    fire = used <= trigger.value;
                    data = used;
                    break;
                case stOutSent:
                    fire = dataWasSent_.exchange(false);
                    data = 0;
                    break;
                default:
                    break;
            }
            if (fire) {
                trigger.armed = false;
                trigger.fired = true;
                handle = trigger.handle;
                log_.add(ltTrigger, lsStatus, msSinceOpen(), static_cast<uint32_t>(handle));
                break;
            }
        }
    }
    if (handle == 0) {
        return false;
    }
    return deliverEvent(kMsgTriggerStatus, static_cast<uint32_t>(handle),
                        static_cast<uint16_t>(std::min<uint32_t>(data, kLParamDataMask)));
}

bool TPxBaseDispatcher::scanTimers() {
    int32_t handle = 0;
    {
        std::lock_guard lock(lineLock_);
        const uint32_t now = clock_.ticks();
        for (auto& trigger : timers_) {
            if (trigger.armed && trigger.timer.expired(now)) {
                trigger.armed = false;
                handle = trigger.handle;
                log_.add(ltTrigger, lsTimer, msSinceOpen(), static_cast<uint32_t>(handle));
                break;
            }
        }
    }
    if (handle == 0) {
        return false;
    }
    return deliverEvent(kMsgTriggerTimer, static_cast<uint32_t>(handle), 0);
}

bool TPxBaseDispatcher::scanReceivedData() {
    for (;;) {
        uint64_t pos;
        uint8_t byte;
        uint64_t consumed;
        bool fedBefore;
        {
            std::lock_guard lock(inLock_);
            noteConsumed();
            if (scanPos_ >= receivedTotal_) {
                break;
            }
            pos = scanPos_;
            consumed = consumedTotal_;
            byte = rxRing_.at(static_cast<size_t>(pos - consumedTotal_));
            fedBefore = pendingMatchPos_ == pos;
        }
        std::vector<FiredData> fired;
        size_t longest = 0;
        uint32_t level;
        {
            std::lock_guard lock(lineLock_);
            for (auto& trigger : dataTriggers_) {
                if (!fedBefore) {
                    trigger.feed(byte);
                }
                if (trigger.matched) {
                    fired.push_back({trigger.handle, static_cast<uint16_t>(trigger.match.size())});
                    longest = std::max(longest, trigger.match.size());
                }
            }
            level = availLevel_;
        }
        if (fired.empty()) {
            std::lock_guard lock(inLock_);
            scanPos_ = std::max(scanPos_, pos + 1);
            continue;
        }
        const uint64_t matchStart = pos + 1 - std::min<uint64_t>(longest, pos + 1);
        const uint64_t before = matchStart > consumed ? matchStart - consumed : 0;
        if (level > 0 && lastAvailPos_ != pos && before >= level) {
            {
                std::lock_guard lock(inLock_);
                lastAvailPos_ = pos;
                pendingMatchPos_ = pos;  // the matches go out in the next pass
            }
            addLogEntry(ltTrigger, lsAvail, static_cast<uint32_t>(before));
            return deliverEvent(kMsgTriggerAvail, static_cast<uint32_t>(before), 0);
        }
        {
            std::lock_guard lock(inLock_);
            scanPos_ = std::max(scanPos_, pos + 1);
            pendingMatchPos_ = UINT64_MAX;
        }
        {
            std::lock_guard lock(lineLock_);
            for (auto& trigger : dataTriggers_) {
                trigger.matched = false;
            }
        }
        bool goOn = true;
        for (auto it = fired.rbegin(); it != fired.rend(); ++it) {
            addLogEntry(ltTrigger, lsData, static_cast<uint32_t>(it->handle));
            goOn = deliverEvent(kMsgTriggerData, static_cast<uint32_t>(it->handle), it->length);
            if (closing_) {
                return false;
            }
        }
        return goOn;
    }
    uint32_t level = availLevel();
    uint32_t waiting;
    uint64_t head;
    {
        std::lock_guard lock(inLock_);
        waiting = static_cast<uint32_t>(rxRing_.used());
        head = receivedTotal_;
        if (level == 0 || lastAvailPos_ == head || waiting < level) {
            return false;
        }
        lastAvailPos_ = head;
    }
    addLogEntry(ltTrigger, lsAvail, waiting);
    return deliverEvent(kMsgTriggerAvail, waiting, 0);
}

void TPxBaseDispatcher::processLineEvent(uint32_t eventMask) {
    if (eventMask & (evModemLines | evLineErrors)) {
        const uint8_t status = readModemStatus(kKeepModemDeltas);
        addLogEntry(ltDispatch, lsModemStatus, status);
        if (!dispatching_) {
            while (!closing_ && scanStatusTriggers()) {
            }
        }
    }
    if (eventMask & evLineErrors) {
        TPxDeviceStatus status;
        readDeviceStatus(&status);
        addLogEntry(ltDispatch, lsLineStatus, lineErrors_);
        if (!dispatching_) {
            while (!closing_ && scanStatusTriggers()) {
            }
        }
    }
    if (eventMask & evRxChar) {
        fillReceiveRing();
        if (!dispatching_) {
            while (!closing_ && scanStatusTriggers()) {
            }
            while (!closing_ && !dispatching_ && scanReceivedData()) {
            }
        }
    }
}

void TPxBaseDispatcher::processTriggers() {
    if (!dispatching_) {
        while (!closing_ && !dispatching_ && (scanStatusTriggers() || scanTimers())) {
        }
        // A match held back behind an avail event that its handlers did not
        // consume goes out now, not only when more bytes arrive.
        while (!closing_ && !dispatching_ && scanReceivedData()) {
        }
    }
    std::lock_guard lock(lineLock_);
    for (auto& trigger : statusTriggers_) {
        trigger.fired = false;
    }
}

}  // namespace px
