// TPxBaseDispatcher: the receive ring, filled by the dispatch thread and read
// by handlers and callers (in peek mode while a pass shares the bytes).
#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <vector>

namespace px {

uint32_t TPxBaseDispatcher::waitingLocked() const {
    const uint32_t used = static_cast<uint32_t>(rxRing_.used());
    if (peekMode_) {
        return used > peekCount_ ? used - peekCount_ : 0;
    }
    return used;
}

bool TPxBaseDispatcher::hasInput() {
    std::lock_guard lock(inLock_);
    return waitingLocked() > 0;
}

bool TPxBaseDispatcher::receiveRingFull() {
    std::lock_guard lock(inLock_);
    return rxRing_.full();
}

uint32_t TPxBaseDispatcher::inputCount() {
    std::lock_guard lock(inLock_);
    return waitingLocked();
}

int TPxBaseDispatcher::takeByte(uint8_t& byte) {
    std::lock_guard lock(inLock_);
    if (waitingLocked() == 0) {
        return ecBufferIsEmpty;
    }
    if (peekMode_) {
        byte = rxRing_.at(peekCount_++);
        return ecOK;
    }
    byte = rxRing_.at(0);
    rxRing_.consume(1);
    ++consumedTotal_;
    noteConsumed();
    return ecOK;
}

int TPxBaseDispatcher::peekByte(uint8_t& byte, uint32_t position) {
    std::lock_guard lock(inLock_);
    if (position == 0 || position > waitingLocked()) {
        return ecBufferIsEmpty;
    }
    byte = rxRing_.at((peekMode_ ? peekCount_ : 0) + position - 1);
    return ecOK;
}

void TPxBaseDispatcher::noteConsumed() {
    // Bytes consumed ahead of the scanner are never scanned.
    if (scanPos_ < consumedTotal_) {
        scanPos_ = consumedTotal_;
    }
}

int TPxBaseDispatcher::clearInput() {
    purgeQueue(TPxQueue::Input);
    {
        std::lock_guard lock(inLock_);
        if (peekMode_) {
            peekCount_ = static_cast<uint32_t>(rxRing_.used());
            peekMax_ = std::max(peekMax_, peekCount_);
        } else {
            consumedTotal_ += rxRing_.used();
            rxRing_.consume(rxRing_.used());
            noteConsumed();
        }
        pendingMatchPos_ = UINT64_MAX;
    }
    std::lock_guard lock(lineLock_);
    for (auto& trigger : dataTriggers_) {
        trigger.reset();
    }
    return ecOK;
}

void TPxBaseDispatcher::fillReceiveRing() {
    std::vector<uint8_t> logged;
    {
        std::lock_guard lock(inLock_);
        if (rxRing_.size() == 0 || rxRing_.full()) {
            return;
        }
        readDeviceStatus(&deviceStatus_);
        if (deviceStatus_.inQueue == 0) {
            return;
        }
        bufferOverflow_ = deviceStatus_.inQueue > rxRing_.free();
        for (int piece = 0; piece < 2 && !rxRing_.full(); ++piece) {
            const uint32_t room = static_cast<uint32_t>(rxRing_.freeRunAtHead());
            int got = readDevice(rxRing_.headPtr(), room);
            if (got < 0) {
                readDeviceStatus(nullptr);
                got = 0;
            }
            logged.insert(logged.end(), rxRing_.headPtr(), rxRing_.headPtr() + got);
            rxRing_.commit(static_cast<size_t>(got));
            receivedTotal_ += static_cast<uint64_t>(got);
            if (static_cast<uint32_t>(got) < room) {
                break;
            }
        }
    }
    if (!logged.empty()) {
        std::lock_guard lock(lineLock_);
        log_.add(ltDispatch, lsReadCom, msSinceOpen(), 0, logged.data(),
                 static_cast<uint32_t>(logged.size()));
        trace_.add('R', logged.data(), logged.size());
    }
}

}  // namespace px
