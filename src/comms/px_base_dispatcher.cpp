// TPxBaseDispatcher: its place in the port table, opening and closing the port,
// the session slots and the recording of log and trace entries.
#include "comms/px_base_dispatcher.h"

#include <algorithm>

#include "comms/px_port_table.h"

namespace px {

TPxBaseDispatcher::TPxBaseDispatcher(TPxCustomComPort* owner, TPxClock& clock, TPxEventLoop* loop)
    : owner_(owner), clock_(clock), loop_(loop) {
    handle_ = TPxPortTable::instance().add(this);
}

TPxBaseDispatcher::~TPxBaseDispatcher() {
    TPxPortTable::instance().remove(handle_);
}

void TPxBaseDispatcher::releaseBuffers() {
    stopThreads();
    {
        std::lock_guard lock(outLock_);
        outRing_.resize(0);
    }
    std::lock_guard lock(inLock_);
    rxRing_.resize(0);
}

void TPxBaseDispatcher::setPriorityBoost(int) {}

int TPxBaseDispatcher::openPort(const std::string& device, uint32_t baud, int parity, int dataBits,
                                int stopBits, uint32_t inSize, uint32_t outSize, bool dtr,
                                bool rts) {
    closing_ = false;
    dispatching_ = false;
    abandonSends_ = false;
    handlerFailed_ = false;
    lineErrors_ = 0;
    if (const int deviceHandle = openDevice(device, inSize, outSize); deviceHandle < 0) {
        return deviceHandle;  // minus the OS error, or out of memory
    }
    deviceOpen_ = true;
    wroteSinceOpen_ = false;
    inSize_ = inSize;
    outSize_ = outSize;
    setQueueSizes(inSize, outSize);
    {
        std::lock_guard lock(inLock_);
        rxRing_.resize(kDispatchBufferSize);
        receivedTotal_ = consumedTotal_ = scanPos_ = 0;
        lastAvailPos_ = pendingMatchPos_ = UINT64_MAX;
        peekMode_ = false;
        peekCount_ = peekMax_ = 0;
    }
    {
        std::lock_guard lock(outLock_);
        outRing_.resize(std::max<uint32_t>(outSize, 1));
    }
    int result = ecOK;
    {
        std::lock_guard lock(lineLock_);
        result = readLineBlock(line_);
        dtrState_ = dtr;
        rtsState_ = rts;
        dtrControlled_ = rtsControlled_ = false;
        applyDtr();
        applyRts();
        availLevel_ = 0;
        handleCounter_ = 1;
        timers_.clear();
        dataTriggers_.clear();
        statusTriggers_.clear();
        line_.binary = true;
        line_.parityCheck = false;
        line_.dsrSensitivity = false;
        line_.txContinueOnXoff = true;
        line_.nullStrip = false;
        if (result == ecOK) {
            result = writeLineBlock(line_);
        }
    }
    if (result == ecOK) {
        readModemStatus(kClearModemDeltas);
        maxBaud_ = kMaxBaud;
        result = setLineParams(baud, parity, dataBits, stopBits);
    }
    if (result < 0) {
        closePort();
        releaseBuffers();
        return result;
    }
    {
        std::lock_guard lock(inLock_);
        readDeviceStatus(&deviceStatus_);
    }
    {
        std::lock_guard lock(lineLock_);
        trace_.stop();
        log_.stop();
        openTimeMs_ = clock_.milliseconds();
    }
    startThreads();
    return ecOK;
}

int TPxBaseDispatcher::closePort() {
    if (!deviceOpen_) {
        return ecOK;
    }
    purgeQueue(TPxQueue::Output);
    purgeQueue(TPxQueue::Input);
    if (dispatching_) {
        // Inside a handler: the threads see the flag and end; the owner
        // finishes the close once the pass is over.
        closing_ = true;
    }
    int result = closeDevice();
    deviceOpen_ = false;
    return result < 0 ? result : ecOK;
}

int TPxBaseDispatcher::attachSessionSlot(int index, void* record) {
    if (index < 1 || index > kSessionSlots) {
        return ecBadArgument;
    }
    slots_[static_cast<size_t>(index - 1)] = record;
    return ecOK;
}

void* TPxBaseDispatcher::sessionSlot(int index) const {
    if (index < 1 || index > kSessionSlots) {
        return nullptr;
    }
    return slots_[static_cast<size_t>(index - 1)];
}

void TPxBaseDispatcher::addLogEntry(uint8_t type, uint8_t subtype, uint32_t value,
                                    const uint8_t* data, uint32_t length) {
    std::lock_guard lock(lineLock_);
    log_.add(type, subtype, msSinceOpen(), value, data, length);
}

void TPxBaseDispatcher::addTraceBytes(char mark, const uint8_t* data, size_t length) {
    std::lock_guard lock(lineLock_);
    trace_.add(mark, data, length);
}

}  // namespace px
