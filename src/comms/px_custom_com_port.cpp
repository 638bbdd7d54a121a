#include "comms/px_custom_com_port.h"

#include <cctype>
#include <thread>

#include "comms/px_com_window.h"
#include "comms/px_error_text.h"

namespace px {

namespace {

// The properties hand their values to the dispatcher as they are.
static_assert(pNone == kParityNone && pOdd == kParityOdd && pEven == kParityEven &&
              pMark == kParityMark && pSpace == kParitySpace);
static_assert(THWFlowOptionSet{hwfUseDTR}.bits() == hfUseDtr &&
              THWFlowOptionSet{hwfUseRTS}.bits() == hfUseRts &&
              THWFlowOptionSet{hwfRequireDSR}.bits() == hfRequireDsr &&
              THWFlowOptionSet{hwfRequireCTS}.bits() == hfRequireCts);

// Flow-control thresholds as shares of the input size: hardware flow control
// (and a BufferFull or BufferResume too large) takes 90 % and 10 %, software
// flow control 75 % and 25 %.
constexpr uint32_t kFullPercent = 90;
constexpr uint32_t kResumePercent = 10;
constexpr uint32_t kSoftwareFullPercent = 75;
constexpr uint32_t kSoftwareResumePercent = 25;

uint16_t percentOf(uint32_t value, uint32_t percent) {
    return static_cast<uint16_t>((value * percent + 50) / 100);
}

bool tracingActive(TTraceLogState state) {
    return state == tlOn || state == tlPause;
}

}  // namespace

TPxCustomComPort::TPxCustomComPort(TPxEventLoop* loop, TPxClock& clock)
    : loop_(loop), clock_(clock) {
    if (loop_ == nullptr) {
        ownLoop_ = std::make_unique<TPxPlainEventLoop>();
        loop_ = ownLoop_.get();
    }
}

TPxCustomComPort::~TPxCustomComPort() {
    setDestroying();
    try {
        reopenRequested_ = false;
        closePort();
        if (dispatcher_) {
            finishClose();
        }
    } catch (...) {
        // A destructor reports nothing; the port is closed regardless.
    }
    users_.clear();
}

void TPxCustomComPort::assign(TPxCustomComPort& source) {
    deviceLayer_ = source.deviceLayer_;
    comNumber_ = source.comNumber_;
    baud_ = source.baud_;
    promptForPort_ = source.promptForPort_;
    parity_ = source.parity_;
    dataBits_ = source.dataBits_;
    stopBits_ = source.stopBits_;
    inSize_ = source.inSize_;
    outSize_ = source.outSize_;
    autoOpen_ = source.autoOpen_;
    dtr_ = source.dtr_;
    rts_ = source.rts_;
    hwFlow_ = source.hwFlow_;
    swFlow_ = source.swFlow_;
    xonChar_ = source.xonChar_;
    xoffChar_ = source.xoffChar_;
    bufferFull_ = source.bufferFull_;
    bufferResume_ = source.bufferResume_;
    tracing_ = tracingActive(source.tracing_) ? tlOn : tlOff;
    traceSize_ = source.traceSize_;
    traceName_ = source.traceName_;
    traceHex_ = source.traceHex_;
    logging_ = tracingActive(source.logging_) ? tlOn : tlOff;
    logSize_ = source.logSize_;
    logName_ = source.logName_;
    logHex_ = source.logHex_;
    useMsrShadow_ = source.useMsrShadow_;
    useEventWord_ = source.useEventWord_;
    notificationLevel_ = source.notificationLevel_;
    rs485_ = source.rs485_;
    tag_ = source.tag_;
    tapiMode_ = source.tapiMode_;
    users_ = source.users_;
    onTrigger_ = source.onTrigger_;
    onTriggerAvail_ = source.onTriggerAvail_;
    onTriggerData_ = source.onTriggerData_;
    onTriggerStatus_ = source.onTriggerStatus_;
    onTriggerTimer_ = source.onTriggerTimer_;
    onPortOpen_ = source.onPortOpen_;
    onPortClose_ = source.onPortClose_;
    pathResolver_ = source.pathResolver_;
    portPrompt_ = source.portPrompt_;
    if (source.dispatcher_ && source.state_ == psOpen) {
        source.dispatcher_->snapshotTriggers(savedTriggers_);
    }
    updateNotifyMode();
}

// ---------------------------------------------------------------- open/close

void TPxCustomComPort::setDevicePathResolver(std::function<std::string(int)> resolver) {
    pathResolver_ = std::move(resolver);
}

std::string TPxCustomComPort::devicePath(int number) const {
    if (pathResolver_) {
        std::string path = pathResolver_(number);
        if (!path.empty()) {
            return path;
        }
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

void TPxCustomComPort::beginLoading() {
    setLoadingState(true);
}

void TPxCustomComPort::endLoading() {
    setLoadingState(false);
    if (!openAfterLoading_) {
        return;
    }
    openAfterLoading_ = false;
    try {
        openPort();
    } catch (...) {
        open_ = false;
        if (!exceptionDisplay_) {
            throw;
        }
        exceptionDisplay_(std::current_exception());
    }
}

void TPxCustomComPort::setOpen(bool on) {
    if (loading()) {
        openAfterLoading_ = on;
        open_ = on;
        return;
    }
    if (on) {
        openPort();
    } else {
        reopenRequested_ = false;
        closePort();
    }
}

void TPxCustomComPort::openPort() {
    if (state_ == psOpen) {
        open_ = true;
        return;
    }
    if (state_ == psClosing) {
        reopenRequested_ = true;
        return;
    }
    if (tapiMode_ != tmOn && comNumber_ == 0) {
        const int chosen = (promptForPort_ && portPrompt_) ? portPrompt_() : 0;
        if (chosen <= 0) {
            raiseError(ecNoPortSelected);
        }
        comNumber_ = chosen;
    }
    if (deviceLayer_ != dlWin32) {
        raiseError(ecNullApi);
    }
    if (tapiMode_ == tmOn) {
        // Ports are opened directly; there is no telephony layer to hand one over.
        raiseError(ecNotOpenedByTapi);
    }
    auto dispatcher = std::make_unique<TPxPosixDispatcher>(this, clock_, loop_);
    if (exceptionDisplay_) {
        dispatcher->setExceptionDisplay(exceptionDisplay_);
    }
    int result = dispatcher->openPort(devicePath(comNumber_), baud_, parity_, dataBits_, stopBits_,
                                      inSize_, outSize_, dtr_, rts_);
    if (result == ecAccessDenied) {
        result = ecAlreadyOpen;
    } else if (result == ecFileNotFound || result == ecPathNotFound) {
        result = ecBadId;
    }
    if (result < 0) {
        dispatcher.reset();
        raiseError(result);
    }
    dispatcher_ = std::move(dispatcher);
    state_ = psOpen;
    updateNotifyMode();
    try {
        forceApply_ = true;
        applyProperties();
        forceApply_ = false;
    } catch (...) {
        forceApply_ = false;
        dispatcher_->closePort();
        dispatcher_.reset();
        state_ = psClosed;
        open_ = false;
        throw;
    }
    open_ = true;
    window_ = std::make_shared<TPxComWindow>(*this);
    dispatcher_->addWindowHandler(window_.get());
    if (savedTriggers_.valid) {
        dispatcher_->reinstateTriggers(savedTriggers_);
        savedTriggers_ = TPxTriggerStore();
    }
    for (const auto& user : std::vector<PortUser>(users_)) {
        if (user.window != nullptr) {
            user.window->handleMessage(kMsgPortOpen, 0, 0);
        } else if (user.callback != nullptr) {
            user.callback(*this, true, user.userData);
        }
    }
    if (onPortOpen_) {
        onPortOpen_(*this);
    }
}

void TPxCustomComPort::applyProperties() {
    const TTraceLogState tracing = tracing_;
    const TTraceLogState logging = logging_;
    tracing_ = logging_ = tlOff;
    applyTraceState(tracing, true);
    applyTraceState(logging, false);
    applyHardwareFlow();
    applySoftwareFlow();
    check(dispatcher_->setXonXoffChars(static_cast<uint8_t>(xonChar_),
                                       static_cast<uint8_t>(xoffChar_)));
    check(dispatcher_->setAvailLevel(availLevelAtOpen_));
    if (deviceLayer_ != dlFossil) {
        setDTR(dtr_);
        setRTS(rts_);
    }
    dispatcher_->setRs485Mode(rs485_);
    dispatcher_->setPriorityBoost(threadBoost_);
}

void TPxCustomComPort::closePort() {
    open_ = false;
    if (state_ != psOpen) {
        return;
    }
    std::exception_ptr dumpError;
    try {
        setTracing(tlDump);
        setLogging(tlDump);
    } catch (...) {
        dumpError = std::current_exception();
    }
    state_ = psClosing;
    for (auto it = users_.rbegin(); it != users_.rend(); ++it) {
        if (it->window != nullptr) {
            it->window->handleMessage(kMsgPortClosing, 0, 0);
        } else if (it->callback != nullptr) {
            it->callback(*this, false, it->userData);
        }
    }
    if (onPortClose_) {
        onPortClose_(*this);
    }
    dispatcher_->snapshotTriggers(savedTriggers_);
    dispatcher_->closePort();
    if (dispatcher_->callerInsideDispatch()) {
        // Called from inside a handler: the dispatch pass must end before the
        // dispatcher can go; the hidden window finishes the close.
        window_->postClose(dispatcher_->handle());
        loop_->processEvents();
    } else {
        finishClose();
    }
    if (dumpError && !destroying()) {
        std::rethrow_exception(dumpError);
    }
}

void TPxCustomComPort::handleDeferredClose(uint32_t lParam) {
    if (dispatcher_ && dispatcher_->callerInsideDispatch()) {
        window_->postClose(lParamPort(lParam));
        return;
    }
    finishClose();
}

void TPxCustomComPort::finishClose() {
    if (dispatcher_) {
        dispatcher_->removeWindowHandler(window_.get());
    }
    // The dispatcher goes first: stopping its threads may still deliver a
    // message to the window, which then finds no dispatcher and drops it.
    dispatcher_.reset();
    window_.reset();
    state_ = psClosed;
    if (reopenRequested_) {
        reopenRequested_ = false;
        openPort();
    }
}

TPxPosixDispatcher* TPxCustomComPort::openDispatcher() {
    if (state_ != psOpen && autoOpen_ && state_ != psClosing) {
        openPort();
    }
    if (state_ != psOpen || !dispatcher_) {
        raiseError(ecCommNotOpen);
    }
    return dispatcher_.get();
}

TPxPosixDispatcher& TPxCustomComPort::Dispatcher() {
    return *openDispatcher();
}

// ---------------------------------------------------------------- properties

void TPxCustomComPort::setDeviceLayer(TDeviceLayer layer) {
    if (state_ == psClosed && layer >= dlWin16 && layer <= dlWinsock) {
        deviceLayer_ = layer;
    }
}

void TPxCustomComPort::setComNumber(int number) {
    if (number == comNumber_) {
        return;
    }
    if (state_ != psOpen) {
        comNumber_ = number;
        return;
    }
    TPxTriggerStore triggers;
    dispatcher_->snapshotTriggers(triggers);
    const TTraceLogState tracing = tracing_;
    const TTraceLogState logging = logging_;
    closePort();
    comNumber_ = number;
    tracing_ = tracingActive(tracing) ? tlOn : tlOff;
    logging_ = tracingActive(logging) ? tlOn : tlOff;
    savedTriggers_ = triggers;
    openPort();
}

void TPxCustomComPort::setBaud(uint32_t baud) {
    baud_ = baud;
    if (state_ == psOpen) {
        check(dispatcher_->setLineParams(baud, kKeepParity, kKeepDataBits, kKeepStopBits));
    }
}

void TPxCustomComPort::setParity(TParity parity) {
    parity_ = parity;
    if (state_ == psOpen) {
        check(dispatcher_->setLineParams(kKeepBaud, parity, kKeepDataBits, kKeepStopBits));
    }
}

void TPxCustomComPort::setDataBits(uint16_t bits) {
    dataBits_ = bits;
    if (state_ == psOpen) {
        check(dispatcher_->setLineParams(kKeepBaud, kKeepParity, bits, kKeepStopBits));
    }
}

void TPxCustomComPort::setStopBits(uint16_t bits) {
    stopBits_ = bits;
    if (state_ == psOpen) {
        check(dispatcher_->setLineParams(kKeepBaud, kKeepParity, kKeepDataBits, bits));
    }
}

void TPxCustomComPort::setInSize(uint16_t size) {
    inSize_ = size;
    if (state_ == psOpen) {
        dispatcher_->setQueueSizes(inSize_, outSize_);
    }
}

void TPxCustomComPort::setOutSize(uint16_t size) {
    outSize_ = size;
    if (state_ == psOpen) {
        dispatcher_->setQueueSizes(inSize_, outSize_);
    }
}

void TPxCustomComPort::setDTR(bool on) {
    if (state_ != psOpen) {
        dtr_ = on;
        return;
    }
    if (check(dispatcher_->setDtrLevel(on)) == ecOK) {
        dtr_ = on;
    }
}

void TPxCustomComPort::setRTS(bool on) {
    if (state_ != psOpen) {
        rts_ = on;
        return;
    }
    if (check(dispatcher_->setRtsLevel(on)) == ecOK) {
        rts_ = on;
    }
}

void TPxCustomComPort::applyHardwareFlow() {
    if (state_ != psOpen) {
        return;
    }
    if (hwFlow_.empty() && !forceApply_) {
        check(dispatcher_->setHardwareFlow(inSize_, 0, 0));
        return;
    }
    if (!hwFlow_.empty()) {
        check(dispatcher_->setHardwareFlow(bufferFull_, bufferResume_, hwFlow_.bits()));
    }
}

void TPxCustomComPort::setHWFlowOptions(THWFlowOptionSet options) {
    hwFlow_ = options;
    if (!options.empty()) {
        if (bufferFull_ == 0 || bufferFull_ > inSize_) {
            bufferFull_ = percentOf(inSize_, kFullPercent);
        }
        if (bufferResume_ == 0 || bufferResume_ > bufferFull_) {
            bufferResume_ = percentOf(inSize_, kResumePercent);
        }
    }
    applyHardwareFlow();
    if (options.has(hwfUseRTS) || options.has(hwfRequireCTS)) {
        rs485_ = false;
        if (state_ == psOpen) {
            dispatcher_->setRs485Mode(false);
        }
    }
}

void TPxCustomComPort::applySoftwareFlow() {
    if (state_ != psOpen) {
        return;
    }
    if (swFlow_ == swfNone) {
        check(dispatcher_->clearSoftwareFlow());
        return;
    }
    const uint32_t bits = swFlow_ == swfReceive    ? sfReceiveFlow
                          : swFlow_ == swfTransmit ? sfTransmitFlow
                                                   : sfReceiveFlow | sfTransmitFlow;
    check(dispatcher_->setSoftwareFlow(bufferFull_, bufferResume_, bits));
}

void TPxCustomComPort::setSWFlowOptions(TSWFlowOptions options) {
    swFlow_ = options;
    if (options != swfNone) {
        if (bufferFull_ == 0 || bufferFull_ > inSize_) {
            bufferFull_ = percentOf(inSize_, kSoftwareFullPercent);
            bufferResume_ = percentOf(inSize_, kSoftwareResumePercent);
        } else if (bufferResume_ == 0 || bufferResume_ > bufferFull_) {
            bufferResume_ = percentOf(inSize_, kSoftwareResumePercent);
        }
    }
    applySoftwareFlow();
}

void TPxCustomComPort::setXOnChar(char c) {
    xonChar_ = c;
    if (state_ == psOpen) {
        check(dispatcher_->setXonXoffChars(static_cast<uint8_t>(xonChar_),
                                           static_cast<uint8_t>(xoffChar_)));
    }
}

void TPxCustomComPort::setXOffChar(char c) {
    xoffChar_ = c;
    if (state_ == psOpen) {
        check(dispatcher_->setXonXoffChars(static_cast<uint8_t>(xonChar_),
                                           static_cast<uint8_t>(xoffChar_)));
    }
}

void TPxCustomComPort::setBufferFull(uint16_t value) {
    bufferFull_ = value > inSize_ ? percentOf(value, kFullPercent) : value;
    if (!hwFlow_.empty()) {
        applyHardwareFlow();
    }
    if (swFlow_ != swfNone) {
        applySoftwareFlow();
    }
}

void TPxCustomComPort::setBufferResume(uint16_t value) {
    bufferResume_ = value > bufferFull_ ? percentOf(bufferFull_, kResumePercent) : value;
    if (!hwFlow_.empty()) {
        applyHardwareFlow();
    }
    if (swFlow_ != swfNone) {
        applySoftwareFlow();
    }
}

void TPxCustomComPort::setRS485Mode(bool on) {
    rs485_ = on;
    if (state_ == psOpen) {
        dispatcher_->setRs485Mode(on);
        dispatcher_->setPriorityBoost(threadBoost_);
    }
    if (on) {
        THWFlowOptionSet kept = hwFlow_;
        kept.remove(hwfUseRTS);
        kept.remove(hwfRequireCTS);
        if (!(kept == hwFlow_)) {
            hwFlow_ = kept;
            applyHardwareFlow();
        }
        setRTS(false);
    }
}

// ------------------------------------------------------ tracing and logging

void TPxCustomComPort::applyTraceState(TTraceLogState request, bool tracing) {
    TTraceLogState& current = tracing ? tracing_ : logging_;
    if (state_ != psOpen) {
        current = request == tlOn ? tlOn : tlOff;
        return;
    }
    std::lock_guard lock(dispatcher_->lineLock());
    TPxTraceBuffer& trace = dispatcher_->trace();
    TPxDispatchLog& log = dispatcher_->dispatchLog();
    auto start = [&] { tracing ? trace.start(traceSize_) : log.start(logSize_); };
    auto pause = [&](bool on) { tracing ? trace.setPaused(on) : log.setPaused(on); };
    const bool active = tracingActive(current);
    switch (request) {
        case tlOff:
            if (active) {
                tracing ? trace.stop() : log.stop();
                current = tlOff;
            }
            break;
        case tlOn:
            if (current == tlPause) {
                pause(false);
            } else {
                start();
            }
            current = tlOn;
            break;
        case tlDump:
        case tlAppend:
            if (active) {
                pause(false);
                const bool append = request == tlAppend;
                const ErrorCode result = tracing ? trace.dump(traceName_, traceHex_, append)
                                                 : log.dump(logName_, logHex_, append);
                current = tlOff;
                check(result);
            }
            break;
        case tlClear:
            if (active) {
                tracing ? trace.clear() : log.clear();
            }
            break;
        case tlPause:
            if (current == tlOn) {
                pause(true);
                current = tlPause;
            }
            break;
        default:
            break;
    }
}

void TPxCustomComPort::setTracing(TTraceLogState state) {
    applyTraceState(state, true);
}

void TPxCustomComPort::setLogging(TTraceLogState state) {
    applyTraceState(state, false);
}

void TPxCustomComPort::setTraceSize(uint32_t entries) {
    traceSize_ = std::min(entries, kMaxTraceSize);
    if (state_ == psOpen && tracingActive(tracing_)) {
        std::lock_guard lock(dispatcher_->lineLock());
        dispatcher_->trace().stop();
        dispatcher_->trace().start(traceSize_);
        dispatcher_->trace().setPaused(tracing_ == tlPause);
    }
}

void TPxCustomComPort::setLogSize(uint32_t bytes) {
    logSize_ = std::min(bytes, kMaxLogSize);
    if (state_ == psOpen && tracingActive(logging_)) {
        std::lock_guard lock(dispatcher_->lineLock());
        dispatcher_->dispatchLog().stop();
        dispatcher_->dispatchLog().start(logSize_);
        dispatcher_->dispatchLog().setPaused(logging_ == tlPause);
    }
}

// -------------------------------------------------------------------- events

bool TPxCustomComPort::hasEventHandlers() const {
    return onTrigger_ || onTriggerAvail_ || onTriggerData_ || onTriggerStatus_ || onTriggerTimer_ ||
           onTriggerLineError_ || onTriggerModemStatus_ || onTriggerOutbuffFree_ ||
           onTriggerOutbuffUsed_ || onTriggerOutSent_;
}

void TPxCustomComPort::updateNotifyMode() {
    if (dispatcher_) {
        dispatcher_->setNotifyMode(hasEventHandlers() ? TPxNotifyMode::OwnerHasEvents
                                                      : TPxNotifyMode::OwnerHasNone);
    }
}

void TPxCustomComPort::setOnTrigger(TTriggerEvent e) {
    onTrigger_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerAvail(TTriggerAvailEvent e) {
    onTriggerAvail_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerData(TTriggerDataEvent e) {
    onTriggerData_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerStatus(TTriggerStatusEvent e) {
    onTriggerStatus_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerTimer(TTriggerTimerEvent e) {
    onTriggerTimer_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerLineError(TTriggerLineErrorEvent e) {
    onTriggerLineError_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerModemStatus(TNotifyEvent e) {
    onTriggerModemStatus_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerOutbuffFree(TNotifyEvent e) {
    onTriggerOutbuffFree_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerOutbuffUsed(TNotifyEvent e) {
    onTriggerOutbuffUsed_ = std::move(e);
    updateNotifyMode();
}
void TPxCustomComPort::setOnTriggerOutSent(TNotifyEvent e) {
    onTriggerOutSent_ = std::move(e);
    updateNotifyMode();
}

void TPxCustomComPort::setExceptionDisplay(std::function<void(std::exception_ptr)> display) {
    exceptionDisplay_ = std::move(display);
    if (dispatcher_) {
        dispatcher_->setExceptionDisplay(exceptionDisplay_);
    }
}

void TPxCustomComPort::handleTrigger(uint32_t msg, uint32_t wParam, uint16_t data) {
    try {
        if (onTrigger_) {
            onTrigger_(*this, static_cast<uint16_t>(msg), wParam,
                       msg == kMsgTriggerAvail ? static_cast<uint16_t>(wParam) : data);
        }
        switch (msg) {
            case kMsgTriggerAvail:
                if (onTriggerAvail_)
                    onTriggerAvail_(*this, static_cast<uint16_t>(wParam));
                break;
            case kMsgTriggerData:
                if (onTriggerData_)
                    onTriggerData_(*this, wParam);
                break;
            case kMsgTriggerTimer:
                if (onTriggerTimer_)
                    onTriggerTimer_(*this, wParam);
                break;
            case kMsgTriggerStatus:
                if (onTriggerStatus_)
                    onTriggerStatus_(*this, wParam);
                switch (statusKindOf(static_cast<int32_t>(wParam))) {
                    case stModem:
                        if (onTriggerModemStatus_)
                            onTriggerModemStatus_(*this);
                        break;
                    case stLine:
                        if (onTriggerLineError_ && dispatcher_) {
                            const int error = dispatcher_->takeLineError();
                            const bool lineBreak = dispatcher_->takeLineBreak();
                            onTriggerLineError_(*this, static_cast<uint16_t>(error), lineBreak);
                        }
                        break;
                    case stOutFree:
                        if (onTriggerOutbuffFree_)
                            onTriggerOutbuffFree_(*this);
                        break;
                    case stOutUsed:
                        if (onTriggerOutbuffUsed_)
                            onTriggerOutbuffUsed_(*this);
                        break;
                    case stOutSent:
                        if (onTriggerOutSent_)
                            onTriggerOutSent_(*this);
                        break;
                    default:
                        break;
                }
                break;
            default:
                break;
        }
    } catch (...) {
        // An event handler's exception goes to the application's display; the
        // dispatch thread only waits for this call to return.
        if (exceptionDisplay_) {
            exceptionDisplay_(std::current_exception());
        } else {
            throw;
        }
    }
}

// ---------------------------------------------------------------- operations

void TPxCustomComPort::WriteText(const std::string& text) {
    check(openDispatcher()->writeText(text));
}

void TPxCustomComPort::WriteBlock(const uint8_t* data, uint32_t length) {
    check(openDispatcher()->writeBlock(data, length));
}

void TPxCustomComPort::WriteChar(char c) {
    check(openDispatcher()->writeByte(static_cast<uint8_t>(c)));
}

bool TPxCustomComPort::HasInput() {
    return openDispatcher()->hasInput();
}

char TPxCustomComPort::TakeChar() {
    uint8_t byte = 0;
    check(openDispatcher()->takeByte(byte));
    return static_cast<char>(byte);
}

void TPxCustomComPort::ClearInput() {
    check(openDispatcher()->clearInput());
}
void TPxCustomComPort::ClearOutput() {
    check(openDispatcher()->clearOutput());
}
uint32_t TPxCustomComPort::InputCount() {
    return openDispatcher()->inputCount();
}
uint32_t TPxCustomComPort::OutputFree() {
    return openDispatcher()->outputFree();
}
uint32_t TPxCustomComPort::OutputCount() {
    return openDispatcher()->outputCount();
}
int TPxCustomComPort::TakeLineError() {
    return openDispatcher()->takeLineError();
}
bool TPxCustomComPort::TakeLineBreak() {
    return openDispatcher()->takeLineBreak();
}
bool TPxCustomComPort::CTS() {
    return openDispatcher()->ctsOn();
}
bool TPxCustomComPort::DSR() {
    return openDispatcher()->dsrOn();
}
bool TPxCustomComPort::RI() {
    return openDispatcher()->riOn();
}
bool TPxCustomComPort::DCD() {
    return openDispatcher()->dcdOn();
}
bool TPxCustomComPort::DeltaCTS() {
    return openDispatcher()->deltaCts();
}
bool TPxCustomComPort::DeltaDSR() {
    return openDispatcher()->deltaDsr();
}
bool TPxCustomComPort::DeltaRI() {
    return openDispatcher()->trailingRi();
}
bool TPxCustomComPort::DeltaDCD() {
    return openDispatcher()->deltaDcd();
}
uint8_t TPxCustomComPort::ModemStatus() {
    return openDispatcher()->readModemStatus(kKeepModemDeltas);
}
void TPxCustomComPort::SendBreak(uint32_t ms) {
    check(openDispatcher()->sendBreak(ms));
}

int TPxCustomComPort::NewDataTrigger(const std::string& match, bool ignoreCase) {
    return check(openDispatcher()->newDataTrigger(match, ignoreCase));
}
int TPxCustomComPort::NewTimerTrigger() {
    return check(openDispatcher()->newTimerTrigger());
}
int TPxCustomComPort::NewStatusTrigger(int kind) {
    return check(openDispatcher()->newStatusTrigger(kind));
}
void TPxCustomComPort::ArmTimerTrigger(int handle, int32_t ticks, bool activate) {
    check(openDispatcher()->armTimerTrigger(handle, ticks, activate));
}
void TPxCustomComPort::ArmStatusTrigger(int handle, uint32_t value, bool activate) {
    check(openDispatcher()->armStatusTrigger(handle, value, activate));
}
void TPxCustomComPort::DropTrigger(int handle) {
    check(openDispatcher()->dropTrigger(handle));
}
void TPxCustomComPort::SetAvailLevel(uint32_t count) {
    check(openDispatcher()->setAvailLevel(count));
}

void TPxCustomComPort::AddPortUser(TPxMessageWindow* window) {
    users_.push_back({window, nullptr, nullptr});
}

void TPxCustomComPort::AddPortUser(TPortCallback callback, void* userData) {
    users_.push_back({nullptr, callback, userData});
}

void TPxCustomComPort::RemovePortUser(TPxMessageWindow* window) {
    std::erase_if(users_, [&](const PortUser& u) { return u.window == window && window; });
}

void TPxCustomComPort::RemovePortUser(TPortCallback callback, void* userData) {
    std::erase_if(users_, [&](const PortUser& u) {
        return u.callback == callback && u.userData == userData && callback;
    });
}

bool TPxCustomComPort::AwaitText(const std::string& text, int32_t timeoutTicks, bool yield,
                                 bool ignoreCase) {
    if (text.empty() || state_ == psClosing) {
        return true;
    }
    TPxPosixDispatcher* d = openDispatcher();
    auto fold = [ignoreCase](char c) {
        return ignoreCase ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    };
    // Trigger handlers must not take the bytes this wait is looking at.
    const bool previous = d->setDispatching(true);
    TPxEventTimer timer;
    timer.start(clock_.ticks(), timeoutTicks);
    size_t matched = 0;
    bool found = false;
    while (!found && !terminating_) {
        uint8_t byte;
        if (d->takeByte(byte) == ecOK) {
            const char c = static_cast<char>(byte);
            if (onWaitChar_) {
                onWaitChar_(*this, c);
            }
            if (fold(c) == fold(text[matched])) {
                found = ++matched == text.size();
            } else {
                matched = fold(c) == fold(text[0]) ? 1 : 0;
                found = matched == text.size();
            }
            continue;
        }
        if (timer.expired(clock_.ticks())) {
            break;
        }
        if (yield) {
            loop_->processEvents();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    d->setDispatching(previous);
    return found || terminating_;
}

}  // namespace px
