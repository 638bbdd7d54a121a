// The engine under every open serial port: line settings, the receive ring that
// the dispatch thread fills from the device, the output ring that the output
// thread drains, the data, timer and status triggers and the handlers they call.
//
// The operating-system side (device, threads) is supplied by a subclass
// (TPxPosixDispatcher); everything here is plain logic that tests can drive
// through a fake subclass, with time from an injected clock.
//
// Results. Throughout the serial layer (dispatcher, drivers, trace and log) a
// failure is a negative ErrorCode whose magnitude is the row of its text in
// the error table, and 0 (ecOK) is success; operating-system errors come in
// through errorFromErrno. Operations that yield a handle or a count return it
// (0 or more) in place of ecOK; a few report a refusal that is not a failure
// as a named positive value (kLineUnderFlowControl). Nothing here raises (but
// for starting a dispatcher's threads twice, a programming error): the com
// port component (TPxCustomComPort) turns negative results into exceptions.
//
// One class, implemented part by part: px_base_dispatcher.cpp (open, close),
// _line (line settings, flow control), _modem_status, _input (receive ring),
// _output (output ring), _handlers, _triggers, _delivery (one dispatch pass)
// and _cycle (the dispatch cycle).
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/px_errors.h"
#include "comms/px_byte_ring.h"
#include "comms/px_clock.h"
#include "comms/px_dispatch_log.h"
#include "comms/px_dispatch_types.h"
#include "comms/px_event_loop.h"
#include "comms/px_trace_buffer.h"
#include "comms/px_triggers.h"

namespace px {

class TPxCustomComPort;

class TPxBaseDispatcher {
public:
    TPxBaseDispatcher(TPxCustomComPort* owner, TPxClock& clock, TPxEventLoop* loop);
    virtual ~TPxBaseDispatcher();
    TPxBaseDispatcher(const TPxBaseDispatcher&) = delete;
    TPxBaseDispatcher& operator=(const TPxBaseDispatcher&) = delete;

    // --- Operating-system operations, supplied by the driver.
    virtual int sendLineControl(int code) = 0;
    virtual int purgeQueue(TPxQueue which) = 0;
    // Refreshes the driver's queue counts and error state and returns the
    // accumulated line error flags. With no status record it only records that
    // reading the device failed.
    virtual uint32_t readDeviceStatus(TPxDeviceStatus* status) = 0;
    virtual uint32_t readEventMask() { return 0; }
    virtual int readLineBlock(TPxLineBlock& block) = 0;
    // The bytes read (0 or more), or a negative code.
    virtual int readDevice(uint8_t* buffer, uint32_t size) = 0;
    virtual int writeLineBlock(const TPxLineBlock& block) = 0;
    virtual int queueOutput(const uint8_t* data, uint32_t length) = 0;
    virtual bool setQueueSizes(uint32_t inSize, uint32_t outSize) = 0;
    virtual void releaseBuffers();
    virtual void startThreads() = 0;
    virtual void stopThreads() = 0;
    // Opens the device; a handle (0 or more) or minus the OS error (-8 memory).
    virtual int openDevice(const std::string& name, uint32_t inSize, uint32_t outSize) = 0;
    virtual int closeDevice() = 0;
    virtual int yieldSlice() = 0;
    virtual void setPriorityBoost(int boost);
    virtual void setNotifyMode(TPxNotifyMode mode);
    // Current modem line levels in the high nibble (CTS, DSR, RI, DCD).
    virtual uint8_t readModemLines() = 0;

    // --- Port.
    int openPort(const std::string& device, uint32_t baud, int parity, int dataBits, int stopBits,
                 uint32_t inSize, uint32_t outSize, bool dtr, bool rts);
    int closePort();
    bool isOpen() const { return deviceOpen_.load(); }
    int handle() const { return handle_; }
    TPxCustomComPort* owner() const { return owner_; }
    TPxClock& clock() const { return clock_; }
    TPxEventLoop* eventLoop() const { return loop_; }
    uint32_t inSize() const { return inSize_; }
    uint32_t outSize() const { return outSize_; }

    // --- Line settings. kKeepBaud, kKeepParity, kKeepDataBits and
    // kKeepStopBits leave their setting as it is.
    int setLineParams(uint32_t baud, int parity, int dataBits, int stopBits);
    void getLineParams(uint32_t& baud, int& parity, int& dataBits, int& stopBits);
    // ecOK, or kLineUnderFlowControl.
    int setDtrLevel(bool on);
    int setRtsLevel(bool on);
    int setDtrRtsLevels(bool dtr, bool rts);
    bool dtrLevel() const { return dtrState_; }
    bool rtsLevel() const { return rtsState_; }
    int setHardwareFlow(uint32_t bufferFull, uint32_t bufferResume, uint32_t options);
    int setSoftwareFlow(uint32_t bufferFull, uint32_t bufferResume, uint32_t options);
    int clearSoftwareFlow();
    int setXonXoffChars(uint8_t xon, uint8_t xoff);
    void setRs485Mode(bool on) { rs485_ = on; }
    bool rs485Mode() const { return rs485_; }
    void setBaseAddress(uint16_t address) { baseAddress_ = address; }

    // --- Modem status and line errors.
    // The status byte; afterwards only the change bits in `keep` remain set
    // (kKeepModemDeltas, kClearModemDeltas, or all but one).
    uint8_t readModemStatus(uint8_t keep);
    bool ctsOn() { return readModemStatus(kKeepModemDeltas) & msCts; }
    bool dsrOn() { return readModemStatus(kKeepModemDeltas) & msDsr; }
    bool riOn() { return readModemStatus(kKeepModemDeltas) & msRi; }
    bool dcdOn() { return readModemStatus(kKeepModemDeltas) & msDcd; }
    bool deltaCts() { return readModemStatus(static_cast<uint8_t>(~msDeltaCts)) & msDeltaCts; }
    bool deltaDsr() { return readModemStatus(static_cast<uint8_t>(~msDeltaDsr)) & msDeltaDsr; }
    bool trailingRi() {
        return readModemStatus(static_cast<uint8_t>(~msTrailingRi)) & msTrailingRi;
    }
    bool deltaDcd() { return readModemStatus(static_cast<uint8_t>(~msDeltaDcd)) & msDeltaDcd; }
    int takeLineError();
    bool takeLineBreak();
    uint32_t lineErrors() const { return lineErrors_.load(); }

    // --- Received data.
    bool hasInput();
    int takeByte(uint8_t& byte);
    int peekByte(uint8_t& byte, uint32_t position);
    uint32_t inputCount();
    int clearInput();
    bool receiveRingFull();

    // --- Output.
    uint32_t outputCount();
    uint32_t outputFree();
    int writeByte(uint8_t byte);
    int writeText(std::string_view text);
    int writeBlock(const uint8_t* data, uint32_t length);
    int clearOutput();
    bool outputFull();

    // --- Handlers.
    int addWindowHandler(TPxMessageWindow* window);
    int removeWindowHandler(TPxMessageWindow* window);
    int addProcHandler(TPxTriggerProc proc);
    int removeProcHandler(TPxTriggerProc proc);
    int addMethodHandler(TPxTriggerMethod proc, void* data, bool isMethod = true);
    int removeMethodHandler(TPxTriggerMethod proc, void* data);
    bool notifyFlag() const { return notify_.load(); }
    // A handler's exception ends the dispatch loop; this is told about it.
    void setExceptionDisplay(std::function<void(std::exception_ptr)> display);

    // --- Triggers.
    int newTimerTrigger();
    int armTimerTrigger(int32_t handle, int32_t ticks, bool activate);
    int newDataTrigger(std::string_view match, bool ignoreCase);
    int newStatusTrigger(int kind);
    int armStatusTrigger(int32_t handle, uint32_t value, bool activate);
    int setAvailLevel(uint32_t count);
    uint32_t availLevel();
    int dropTrigger(int32_t handle);
    void snapshotTriggers(TPxTriggerStore& store);
    void reinstateTriggers(const TPxTriggerStore& store);

    // --- Fax sessions keep their record here (slots 1..kSessionSlots).
    static constexpr int kSessionSlots = 3;
    int attachSessionSlot(int index, void* record);
    void* sessionSlot(int index) const;

    // --- The dispatch cycle, run by the dispatch thread.
    // The line-event part, for the events the driver reported.
    void processLineEvent(uint32_t eventMask);
    // The part of every cycle: status and timer triggers until none fires.
    void processTriggers();
    // Reads what the driver holds into the receive ring.
    void fillReceiveRing();
    bool scanStatusTriggers();
    bool scanReceivedData();
    bool scanTimers();
    bool deliverEvent(uint32_t msg, uint32_t wParam, uint16_t lParamLow);

    // Dispatching (a pass is running, or AwaitText holds the input).
    bool dispatching() const { return dispatching_.load(); }
    // Sets the flag and returns its previous value. Set by a thread that
    // holds the input for a blocking read.
    bool setDispatching(bool on);
    // True when the calling thread is part of the dispatching now going on:
    // a handler of the running pass (called directly or through the event
    // loop), or a thread holding the input. The port cannot go away under
    // it; a pass the caller takes no part in ends by itself once the port
    // closes.
    bool callerInsideDispatch() const;
    bool closing() const { return closing_.load(); }

    // --- Tracing and logging (under the line lock).
    std::recursive_mutex& lineLock() { return lineLock_; }
    TPxTraceBuffer& trace() { return trace_; }
    TPxDispatchLog& dispatchLog() { return log_; }
    void addLogEntry(uint8_t type, uint8_t subtype, uint32_t value, const uint8_t* data = nullptr,
                     uint32_t length = 0);
    void addTraceBytes(char mark, const uint8_t* data, size_t length);
    uint32_t msSinceOpen() const { return clock_.milliseconds() - openTimeMs_; }

protected:
    // Called by drivers.
    void noteRingEdge() { ringEdgePending_ = true; }
    void addLineErrors(uint32_t flags) { lineErrors_ |= flags; }
    TPxByteRing& outputRing() { return outRing_; }
    std::recursive_mutex& outputLock() { return outLock_; }
    void setClosing(bool on) { closing_ = on; }
    std::atomic<bool>& abandonSends() { return abandonSends_; }
    // A handler failed: the exception display is told and the dispatch loop ends.
    void reportHandlerException(std::exception_ptr error);
    bool handlerFailed() const { return handlerFailed_.load(); }
    // Waits until the output ring is empty and the last characters left the UART.
    void waitOutputDrained(const TPxLineBlock& block);

private:
    struct WindowEntry {
        TPxMessageWindow* window;
        bool deleted;
    };
    struct ProcEntry {
        TPxTriggerProc proc;
        bool deleted;
    };
    struct MethodEntry {
        TPxTriggerMethod proc;
        void* data;
        bool deleted;
        bool isMethod;
    };
    struct FiredData {
        int32_t handle;
        uint16_t length;
    };

    // Writes the block and, once the device took it, keeps it.
    int changeLineBlock(const TPxLineBlock& block);
    // Removes the first live entry that matches (only marks it during a pass).
    template <class Entry, class Match>
    bool dropHandler(std::vector<Entry>& list, const Match& match);
    int32_t allocateHandle();
    bool handleInUse(int32_t handle) const;
    void recomputeNotify();
    void endDispatching();
    void applyDtr();
    void applyRts();
    void resetPeek();
    void notePeek();
    void noteConsumed();
    uint32_t waitingLocked() const;
    template <class Entry, class Call>
    bool callHandlers(std::vector<Entry>& list, const Call& call);
    // Whether a pass calls the handler in the dispatch thread itself (not
    // through the event loop), and the key its removal waits on.
    bool calledDirectly(const MethodEntry& e) const { return !(e.isMethod && loop_ != nullptr); }
    bool calledDirectly(const ProcEntry&) const { return true; }
    bool calledDirectly(const WindowEntry&) const { return loop_ == nullptr; }
    static const void* callKey(const MethodEntry& e) { return e.data; }
    static const void* callKey(const ProcEntry& e) { return reinterpret_cast<const void*>(e.proc); }
    static const void* callKey(const WindowEntry& e) { return e.window; }
    void beginCall(const void* key);
    void endCall();
    // After a handler was removed by another thread than the one calling it:
    // returns once a call to it that had already begun has returned, so its
    // owner may go away. Called without the line lock held.
    void awaitCallEnd(const void* key);

    TPxCustomComPort* owner_;
    TPxClock& clock_;
    TPxEventLoop* loop_;
    int handle_ = -1;

    mutable std::recursive_mutex lineLock_;
    std::recursive_mutex outLock_;
    std::recursive_mutex inLock_;

    std::atomic<bool> deviceOpen_{false};
    std::atomic<uint32_t> lineErrors_{0};
    std::atomic<uint8_t> modemStatus_{0};
    std::atomic<bool> ringEdgePending_{false};
    TPxDeviceStatus deviceStatus_;  // under the input lock
    TPxLineBlock line_;
    uint32_t inSize_ = 0;
    uint32_t outSize_ = 0;
    uint32_t maxBaud_ = kMaxBaud;
    bool dtrState_ = false;
    bool rtsState_ = false;
    bool dtrControlled_ = false;
    bool rtsControlled_ = false;
    bool rs485_ = false;
    uint16_t baseAddress_ = 0;

    std::vector<WindowEntry> windows_;
    std::vector<ProcEntry> procs_;
    std::vector<MethodEntry> methods_;
    std::atomic<bool> notify_{false};
    bool ownerHasEvents_ = false;
    std::function<void(std::exception_ptr)> exceptionDisplay_;
    std::atomic<bool> handlerFailed_{false};
    // The handler a pass is calling directly right now.
    std::mutex callMutex_;
    std::condition_variable callEnded_;
    const void* callingKey_ = nullptr;
    std::thread::id callingThread_;

    std::vector<TPxTimerTrigger> timers_;
    std::vector<TPxDataTrigger> dataTriggers_;
    std::vector<TPxStatusTrigger> statusTriggers_;
    uint32_t availLevel_ = 0;
    int32_t handleCounter_ = 1;

    // Receive ring. Positions are counted in bytes since open, so that the
    // scanner's place survives any consumption by handlers.
    TPxByteRing rxRing_;
    uint64_t receivedTotal_ = 0;
    uint64_t consumedTotal_ = 0;
    uint64_t scanPos_ = 0;
    uint64_t lastAvailPos_ = UINT64_MAX;
    uint64_t pendingMatchPos_ = UINT64_MAX;
    bool bufferOverflow_ = false;
    bool peekMode_ = false;
    uint32_t peekCount_ = 0;
    uint32_t peekMax_ = 0;

    TPxByteRing outRing_;
    std::atomic<bool> dataWasSent_{false};
    std::atomic<bool> wroteSinceOpen_{false};

    std::atomic<bool> dispatching_{false};
    std::atomic<std::thread::id> passThread_{};  // the thread running a pass
    std::atomic<std::thread::id> holdThread_{};  // the thread holding input
    // Handlers now running in the event loop's thread. Shared with the calls
    // handed to the loop, which may outlive a pass that gave up waiting.
    std::shared_ptr<std::atomic<int>> loopHandlers_ = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> closing_{false};
    std::atomic<bool> abandonSends_{false};

    TPxTraceBuffer trace_;
    TPxDispatchLog log_;
    uint32_t openTimeMs_ = 0;

    std::array<void*, kSessionSlots> slots_{};
};

}  // namespace px
