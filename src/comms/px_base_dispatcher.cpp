#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>

#include "comms/px_port_table.h"

namespace px {

namespace {

// Handler calls to windows give up after this long (the window may be hung).
constexpr int kWindowSendTimeoutMs = 3000;
// Handles are issued in sequence this many times before gaps are reused.
constexpr int32_t kSequentialHandles = 4096;

template <class T>
void appendLe32(std::vector<uint8_t>& out, T v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    }
}

}  // namespace

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

void TPxBaseDispatcher::setNotifyMode(int mode) {
    std::lock_guard lock(lineLock_);
    if (mode == 1) {
        ownerHasEvents_ = true;
    } else if (mode == 2) {
        ownerHasEvents_ = false;
    }
    recomputeNotify();
}

void TPxBaseDispatcher::recomputeNotify() {
    notify_ = windows_.size() > 1 || !procs_.empty() || !methods_.empty() || ownerHasEvents_;
}

void TPxBaseDispatcher::setExceptionDisplay(std::function<void(std::exception_ptr)> display) {
    std::lock_guard lock(lineLock_);
    exceptionDisplay_ = std::move(display);
}

void TPxBaseDispatcher::reportHandlerException(std::exception_ptr error) {
    handlerFailed_ = true;
    std::function<void(std::exception_ptr)> display;
    {
        std::lock_guard lock(lineLock_);
        display = exceptionDisplay_;
    }
    if (display) {
        display(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex: trigger handler failed: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "parvex: trigger handler failed\n");
    }
}

// ---------------------------------------------------------------- open/close

int TPxBaseDispatcher::openPort(const std::string& device, uint32_t baud, int parity, int dataBits,
                                int stopBits, uint32_t inSize, uint32_t outSize, bool dtr,
                                bool rts) {
    closing_ = false;
    dispatching_ = false;
    abandonSends_ = false;
    handlerFailed_ = false;
    lineErrors_ = 0;
    int device_handle = openDevice(device, inSize, outSize);
    if (device_handle < 0) {
        return device_handle == ecOutOfMemory ? ecOutOfMemory : device_handle;
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
        readModemStatus(0xF0);
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

// ------------------------------------------------------------- line settings

void TPxBaseDispatcher::waitOutputDrained(const TPxLineBlock& block) {
    for (int i = 0; i < 5000 && outputCount() > 0; ++i) {
        clock_.sleep(2);
    }
    if (!wroteSinceOpen_) {
        return;  // nothing was ever sent: no character can be in the UART
    }
    // Then the time of 18 characters, in 100 ns units, for the UART's FIFO.
    const uint32_t baud = std::max<uint32_t>(block.baud, 1);
    const uint32_t bits = (block.parity != kParityNone ? 1u : 0u) + block.dataBits -
                          (block.stopCode == kOneStopBit ? 1u : 0u) + 3u;
    uint64_t d = static_cast<uint64_t>(10000000 / baud) * bits * 18;
    if (d < 9999) {
        d *= 2;
    }
    clock_.sleep(static_cast<uint32_t>((d + 9999) / 10000));
}

int TPxBaseDispatcher::setLineParams(uint32_t baud, int parity, int dataBits, int stopBits) {
    std::lock_guard lock(lineLock_);
    TPxLineBlock current;
    int result = readLineBlock(current);
    if (result < 0) {
        return result;
    }
    TPxLineBlock next = current;
    if (baud != 0) {
        next.baud = baud;
    }
    if (parity != 5) {
        next.parity = static_cast<uint8_t>(parity);
    }
    if (dataBits != 9) {
        next.dataBits = static_cast<uint8_t>(dataBits);
    }
    if (stopBits != 3) {
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
        return 1;
    }
    dtrState_ = on;
    applyDtr();
    return ecOK;
}

int TPxBaseDispatcher::setRtsLevel(bool on) {
    std::lock_guard lock(lineLock_);
    if (rtsControlled_) {
        return 1;
    }
    rtsState_ = on;
    applyRts();
    return ecOK;
}

int TPxBaseDispatcher::setDtrRtsLevels(bool dtr, bool rts) {
    std::lock_guard lock(lineLock_);
    if (dtrControlled_ || rtsControlled_) {
        return 1;
    }
    dtrState_ = dtr;
    rtsState_ = rts;
    applyDtr();
    applyRts();
    return ecOK;
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
    int result = writeLineBlock(block);
    if (result == ecOK) {
        line_ = block;
    }
    return result;
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
    block.xonChar = 17;
    block.xoffChar = 19;
    int result = writeLineBlock(block);
    if (result == ecOK) {
        line_ = block;
    }
    return result;
}

int TPxBaseDispatcher::clearSoftwareFlow() {
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.inX = block.outX = false;
    int result = writeLineBlock(block);
    if (result == ecOK) {
        line_ = block;
    }
    return result;
}

int TPxBaseDispatcher::setXonXoffChars(uint8_t xon, uint8_t xoff) {
    std::lock_guard lock(lineLock_);
    TPxLineBlock block = line_;
    block.xonChar = xon;
    block.xoffChar = xoff;
    int result = writeLineBlock(block);
    if (result == ecOK) {
        line_ = block;
    }
    return result;
}

// ------------------------------------------------------ modem status, errors

uint8_t TPxBaseDispatcher::readModemStatus(uint8_t clearMask) {
    std::lock_guard lock(lineLock_);
    const uint8_t old = modemStatus_;
    const uint8_t levels = readModemLines() & 0xF0;
    uint8_t deltas = old & 0x0F;
    const uint8_t changed = (old ^ levels) & 0xF0;
    if (changed & msCts) {
        deltas |= msDeltaCts;
    }
    if (changed & msDsr) {
        deltas |= msDeltaDsr;
    }
    if (changed & msDcd) {
        deltas |= msDeltaDcd;
    }
    if ((old & msRi) && !(levels & msRi)) {
        deltas |= msTrailingRi;
    }
    if (ringEdgePending_.exchange(false)) {
        deltas |= msTrailingRi;
    }
    const uint8_t status = static_cast<uint8_t>(levels | deltas);
    modemStatus_ = static_cast<uint8_t>(status & clearMask);
    return status;
}

int TPxBaseDispatcher::takeLineError() {
    uint32_t errors = lineErrors_;
    int found = lerNone;
    if (errors & leOverflow) {
        found = lerOverflow;
    } else if (errors & leOverrun) {
        found = lerOverrun;
    } else if (errors & leParity) {
        found = lerParity;
    } else if (errors & leFraming) {
        found = lerFraming;
    } else if (errors & leBreak) {
        found = lerBreak;
    }
    if (found != lerNone) {
        lineErrors_ &= ~(leOverflow | leOverrun | leParity | leFraming);
    }
    return found;
}

bool TPxBaseDispatcher::takeLineBreak() {
    return (lineErrors_.fetch_and(~leBreak) & leBreak) != 0;
}

// ------------------------------------------------------------- received data

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

// -------------------------------------------------------------------- output

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

// ------------------------------------------------------------------ handlers

int TPxBaseDispatcher::addWindowHandler(TPxMessageWindow* window) {
    std::lock_guard lock(lineLock_);
    windows_.push_back({window, false});
    recomputeNotify();
    log_.add(ltHandlerAlloc, lsWindow, msSinceOpen(),
             static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
    return ecOK;
}

int TPxBaseDispatcher::removeWindowHandler(TPxMessageWindow* window) {
    std::lock_guard lock(lineLock_);
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (it->window == window && !it->deleted) {
            if (dispatching_) {
                it->deleted = true;
            } else {
                windows_.erase(it);
            }
            log_.add(ltHandlerDispose, lsWindow, msSinceOpen(),
                     static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
            recomputeNotify();
            return ecOK;
        }
    }
    return ecOK;
}

int TPxBaseDispatcher::addProcHandler(TPxTriggerProc proc) {
    std::lock_guard lock(lineLock_);
    procs_.push_back({proc, false});
    recomputeNotify();
    log_.add(ltHandlerAlloc, lsProcedure, msSinceOpen(), 0);
    return ecOK;
}

int TPxBaseDispatcher::removeProcHandler(TPxTriggerProc proc) {
    std::lock_guard lock(lineLock_);
    for (auto it = procs_.begin(); it != procs_.end(); ++it) {
        if (it->proc == proc && !it->deleted) {
            if (dispatching_) {
                it->deleted = true;
            } else {
                procs_.erase(it);
            }
            log_.add(ltHandlerDispose, lsProcedure, msSinceOpen(), 0);
            recomputeNotify();
            return ecOK;
        }
    }
    return ecOK;
}

int TPxBaseDispatcher::addMethodHandler(TPxTriggerMethod proc, void* data, bool isMethod) {
    std::lock_guard lock(lineLock_);
    methods_.push_back({proc, data, false, isMethod});
    recomputeNotify();
    return ecOK;
}

int TPxBaseDispatcher::removeMethodHandler(TPxTriggerMethod proc, void* data) {
    std::lock_guard lock(lineLock_);
    for (auto it = methods_.begin(); it != methods_.end(); ++it) {
        if (it->proc == proc && it->data == data && !it->deleted) {
            if (dispatching_) {
                it->deleted = true;
            } else {
                methods_.erase(it);
            }
            recomputeNotify();
            return ecOK;
        }
    }
    return ecOK;
}

// ------------------------------------------------------------------ triggers

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

int TPxBaseDispatcher::attachSessionSlot(int index, void* record) {
    if (index < 1 || index > 3) {
        return ecBadArgument;
    }
    slots_[static_cast<size_t>(index - 1)] = record;
    return ecOK;
}

void* TPxBaseDispatcher::sessionSlot(int index) const {
    if (index < 1 || index > 3) {
        return nullptr;
    }
    return slots_[static_cast<size_t>(index - 1)];
}

// -------------------------------------------------------------- dispatching

bool TPxBaseDispatcher::setDispatching(bool on) {
    std::lock_guard lock(lineLock_);
    bool previous = dispatching_.exchange(on);
    if (previous && !on) {
        dispatching_ = true;
        endDispatching();
    }
    return previous;
}

void TPxBaseDispatcher::endDispatching() {
    std::lock_guard lock(lineLock_);
    dispatching_ = false;
    auto gone = [](const auto& entry) { return entry.deleted; };
    std::erase_if(windows_, gone);
    std::erase_if(procs_, gone);
    std::erase_if(methods_, gone);
    recomputeNotify();
}

void TPxBaseDispatcher::resetPeek() {
    std::lock_guard lock(inLock_);
    peekCount_ = 0;
}

void TPxBaseDispatcher::notePeek() {
    std::lock_guard lock(inLock_);
    peekMax_ = std::max(peekMax_, peekCount_);
}

template <class Entry, class Call>
bool TPxBaseDispatcher::callHandlers(std::vector<Entry>& list, const Call& call) {
    for (size_t i = 0;; ++i) {
        Entry entry;
        {
            std::lock_guard lock(lineLock_);
            if (i >= list.size()) {
                return true;
            }
            entry = list[i];
        }
        if (entry.deleted) {
            continue;
        }
        resetPeek();
        call(entry);
        notePeek();
        if (closing_) {
            return false;
        }
    }
}

bool TPxBaseDispatcher::deliverEvent(uint32_t msg, uint32_t wParam, uint16_t lParamLow) {
    if (!notify_) {
        return true;
    }
    {
        std::lock_guard lock(lineLock_);
        dispatching_ = true;
    }
    const bool peek = msg == kMsgTriggerAvail || msg == kMsgTriggerData;
    if (peek) {
        std::lock_guard lock(inLock_);
        peekMode_ = true;
        peekCount_ = peekMax_ = 0;
    }
    const uint32_t lParam = lParamLow | static_cast<uint32_t>(handle_) << 16;
    bool goOn = true;
    std::exception_ptr failure;
    try {
        goOn = callHandlers(methods_, [&](const MethodEntry& e) {
            if (e.isMethod && loop_ != nullptr) {
                // By value: a call given up on may still be running afterwards.
                loop_->send([proc = e.proc, data = e.data, msg, wParam,
                             lParam] { proc(data, msg, wParam, lParam); },
                            -1, &abandonSends_);
            } else {
                e.proc(e.data, msg, wParam, lParam);
            }
        });
        if (goOn) {
            goOn = callHandlers(procs_, [&](const ProcEntry& e) { e.proc(msg, wParam, lParam); });
        }
        bool windowsWanted;
        {
            std::lock_guard lock(lineLock_);
            windowsWanted = windows_.size() > 1 || ownerHasEvents_;
        }
        if (goOn && windowsWanted) {
            goOn = callHandlers(windows_, [&](const WindowEntry& e) {
                if (loop_ != nullptr) {
                    loop_->send([window = e.window, msg, wParam,
                                 lParam] { window->handleMessage(msg, wParam, lParam); },
                                kWindowSendTimeoutMs, &abandonSends_);
                } else {
                    e.window->handleMessage(msg, wParam, lParam);
                }
            });
        }
    } catch (...) {
        failure = std::current_exception();
        goOn = false;
    }
    if (peek) {
        std::lock_guard lock(inLock_);
        const uint32_t used = static_cast<uint32_t>(rxRing_.used());
        const uint32_t taken = std::min(peekMax_, used);
        rxRing_.consume(taken);
        consumedTotal_ += taken;
        noteConsumed();
        if (msg == kMsgTriggerAvail && taken != wParam) {
            goOn = false;
        }
        peekMode_ = false;
        peekCount_ = peekMax_ = 0;
    }
    endDispatching();
    if (failure) {
        reportHandlerException(failure);
        return false;
    }
    return goOn && !closing_;
}

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
                    const uint8_t mask = static_cast<uint8_t>(trigger.value >> 8);
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
                        static_cast<uint16_t>(std::min<uint32_t>(data, 0xFFFF)));
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
    if (eventMask & (evModemLines | evErr | evBreak)) {
        const uint8_t status = readModemStatus(0xFF);
        addLogEntry(ltDispatch, lsModemStatus, status);
        if (!dispatching_) {
            while (!closing_ && scanStatusTriggers()) {
            }
        }
    }
    if (eventMask & (evErr | evBreak)) {
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

// ------------------------------------------------------------------- logging

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
