// TPxBaseDispatcher: the output ring that callers write and the output thread
// drains.
#include "comms/px_base_dispatcher.h"

namespace px {

uint32_t TPxBaseDispatcher::outputCount() {
    std::lock_guard lock(outLock_);
    return static_cast<uint32_t>(outRing_.used());
}

uint32_t TPxBaseDispatcher::outputFree() {
    std::lock_guard lock(outLock_);
    return static_cast<uint32_t>(outRing_.free());
}

bool TPxBaseDispatcher::outputFull() {
    std::lock_guard lock(outLock_);
    return outRing_.full();
}

int TPxBaseDispatcher::writeByte(uint8_t byte) {
    return writeBlock(&byte, 1);
}

int TPxBaseDispatcher::writeText(std::string_view text) {
    return writeBlock(reinterpret_cast<const uint8_t*>(text.data()),
                      static_cast<uint32_t>(text.size()));
}

int TPxBaseDispatcher::writeBlock(const uint8_t* data, uint32_t length) {
    if (length == 0) {
        return ecOK;
    }
    // The line lock is held from before the bytes are queued until they are
    // recorded, so that a reply can never be traced ahead of its command.
    std::lock_guard lineLock(lineLock_);
    int queued = 0;
    {
        std::lock_guard lock(outLock_);
        TPxDeviceStatus status;
        readDeviceStatus(&status);
        if (outRing_.free() < length) {
            return ecOutputBufferTooSmall;
        }
        if (rs485_) {
            // RTS enables the transmitter; the output thread lowers it again
            // once the device reports the bytes sent.
            sendLineControl(lcSetRts);
        }
        queued = queueOutput(data, length);
        if (queued <= 0) {
            readDeviceStatus(&status);
        }
    }
    if (queued <= 0) {
        log_.add(ltDispatch, lsWriteCom, msSinceOpen(), 0);
        return ecPutBlockFail;
    }
    dataWasSent_ = true;
    wroteSinceOpen_ = true;
    log_.add(ltDispatch, lsWriteCom, msSinceOpen(), 0, data, length);
    trace_.add('T', data, length);
    return ecOK;
}

int TPxBaseDispatcher::clearOutput() {
    return purgeQueue(TPxQueue::Output);
}

}  // namespace px
