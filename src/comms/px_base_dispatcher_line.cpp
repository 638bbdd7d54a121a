// TPxBaseDispatcher: line settings, the DTR and RTS levels and flow control.
#include "comms/px_base_dispatcher.h"

#include <algorithm>

namespace px {

namespace {

// The output thread gets this many looks, this far apart, to empty the ring.
constexpr int kDrainPolls = 5000;
constexpr uint32_t kDrainPollMs = 2;
// Then the characters the UART's FIFO may still hold must go out.
constexpr uint64_t kFifoCharacters = 18;
// A character's start bit and two stop bits (one fewer with one stop bit).
constexpr uint32_t kFramingBits = 3;
// The wait is reckoned in 100 ns units.
constexpr uint64_t kUnitsPerSecond = 10000000;
constexpr uint64_t kUnitsPerMs = 10000;
// A wait shorter than this is doubled.
constexpr uint64_t kShortFifoWait = 9999;

}  // namespace

void TPxBaseDispatcher::waitOutputDrained(const TPxLineBlock& block) {
    for (int i = 0; i < kDrainPolls && outputCount() > 0; ++i) {
        clock_.sleep(kDrainPollMs);
    }
    if (!wroteSinceOpen_) {
        return;  // nothing was ever sent: no character can be in the UART
    }
    const uint32_t baud = std::max<uint32_t>(block.baud, 1);
    const uint32_t bits = (block.parity != kParityNone ? 1u : 0u) + block.dataBits -
                          (block.stopCode == kOneStopBit ? 1u : 0u) + kFramingBits;
    uint64_t d = (kUnitsPerSecond / baud) * bits * kFifoCharacters;
    if (d < kShortFifoWait) {
        d *= 2;
    }
    clock_.sleep(static_cast<uint32_t>((d + kUnitsPerMs - 1) / kUnitsPerMs));
}

int TPxBaseDispatcher::setLineParams(uint32_t baud, int parity, int dataBits, int stopBits) {
    std::lock_guard lock(lineLock_);
    TPxLineBlock current;
    int result = readLineBlock(current);
    if (result < 0) {
        return result;
    }
    TPxLineBlock next = current;
    if (baud != kKeepBaud) {
        next.baud = baud;
    }
    if (parity != kKeepParity) {
        next.parity = static_cast<uint8_t>(parity);
    }
    if (dataBits != kKeepDataBits) {
        next.dataBits = static_cast<uint8_t>(dataBits);
    }
    if (stopBits != kKeepStopBits) {
        // 0 and 1 ask for one stop bit, anything else for two; five data bits
        // always go with one and a half.
        const bool one = stopBits == 0 || stopBits == 1;
        next.stopCode = next.dataBits == 5 ? kOne5StopBits : one ? kOneStopBit : kTwoStopBits;
    }
    if (next == current) {
        line_ = current;
        return ecOK;
    }
    waitOutputDrained(current);
    result = writeLineBlock(next);
    if (result < 0) {
        return result;
    }
    line_ = next;
    maxBaud_ = kMaxBaud;
    applyDtr();
    if (!rs485_) {
        applyRts();
    }
    return ecOK;
}

void TPxBaseDispatcher::getLineParams(uint32_t& baud, int& parity, int& dataBits, int& stopBits) {
    std::lock_guard lock(lineLock_);
    TPxLineBlock block;
    if (readLineBlock(block) < 0) {
        block = line_;
    }
    baud = block.baud;
    parity = block.parity;
    dataBits = block.dataBits;
    stopBits = block.stopCode == kOneStopBit ? 1 : 2;
}

void TPxBaseDispatcher::applyDtr() {
    sendLineControl(dtrState_ ? lcSetDtr : lcClrDtr);
}

void TPxBaseDispatcher::applyRts() {
    sendLineControl(rtsState_ ? lcSetRts : lcClrRts);
}

int TPxBaseDispatcher::setDtrLevel(bool on) {
    std::lock_guard lock(lineLock_);
    if (dtrControlled_) {
        return kLineUnderFlowControl;
    }
    dtrState_ = on;
    applyDtr();
    return ecOK;
}

int TPxBaseDispatcher::setRtsLevel(bool on) {
    std::lock_guard lock(lineLock_);
    if (rtsControlled_) {
        return kLineUnderFlowControl;
    }
    rtsState_ = on;
    applyRts();
    return ecOK;
}

int TPxBaseDispatcher::setDtrRtsLevels(bool dtr, bool rts) {
    std::lock_guard lock(lineLock_);
    if (dtrControlled_ || rtsControlled_) {
        return kLineUnderFlowControl;
    }
    dtrState_ = dtr;
    rtsState_ = rts;
    applyDtr();
    applyRts();
    return ecOK;
}

int TPxBaseDispatcher::changeLineBlock(const TPxLineBlock& block) {
    const int result = writeLineBlock(block);
    if (result == ecOK) {
        line_ = block;
    }
    return result;
}

int TPxBaseDispatcher::setHardwareFlow(uint32_t bufferFull, uint32_t bufferResume,
                                       uint32_t options) {
    if (bufferFull < bufferResume || bufferFull > inSize_) {
        return ecBadArgument;
    }
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.outxCtsFlow = block.outxDsrFlow = false;
    dtrControlled_ = rtsControlled_ = false;
    if (options & hfUseDtr) {
        block.dtrControl = TPxLineBlock::Handshake;
        dtrControlled_ = true;
    } else {
        block.dtrControl = dtrState_ ? TPxLineBlock::Enable : TPxLineBlock::Disable;
    }
    if (options & hfUseRts) {
        block.rtsControl = TPxLineBlock::Handshake;
        rtsControlled_ = true;
    } else if (rs485_) {
        block.rtsControl = TPxLineBlock::Toggle;
        rtsControlled_ = true;
    } else {
        block.rtsControl = rtsState_ ? TPxLineBlock::Enable : TPxLineBlock::Disable;
    }
    block.xoffLimit = static_cast<uint16_t>(inSize_ - bufferFull);
    block.xonLimit = static_cast<uint16_t>(bufferResume);
    block.outxDsrFlow = (options & hfRequireDsr) != 0;
    block.outxCtsFlow = (options & hfRequireCts) != 0;
    return changeLineBlock(block);
}

int TPxBaseDispatcher::setSoftwareFlow(uint32_t bufferFull, uint32_t bufferResume,
                                       uint32_t options) {
    if (bufferFull < bufferResume || bufferFull > inSize_) {
        return ecBadArgument;
    }
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.inX = (options & sfReceiveFlow) != 0;
    if (block.inX) {
        block.xoffLimit = static_cast<uint16_t>(inSize_ - bufferFull);
        block.xonLimit = static_cast<uint16_t>(bufferResume);
    }
    block.outX = (options & sfTransmitFlow) != 0;
    block.xonChar = kXonChar;
    block.xoffChar = kXoffChar;
    return changeLineBlock(block);
}

int TPxBaseDispatcher::clearSoftwareFlow() {
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.inX = block.outX = false;
    return changeLineBlock(block);
}

int TPxBaseDispatcher::setXonXoffChars(uint8_t xon, uint8_t xoff) {
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.xonChar = xon;
    block.xoffChar = xoff;
    return changeLineBlock(block);
}

}  // namespace px
