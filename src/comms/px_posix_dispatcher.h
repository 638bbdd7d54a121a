// The dispatcher for a serial device on Linux (termios and ioctl), with its
// three worker threads.
#pragma once

#include <termios.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "comms/px_base_dispatcher.h"
#include "comms/px_event.h"
#include "comms/px_sys_calls.h"

namespace px {

class TComThread;
class TDispThread;
class TOutThread;

class TPxPosixDispatcher : public TPxBaseDispatcher {
public:
    TPxPosixDispatcher(TPxCustomComPort* owner, TPxClock& clock, TPxEventLoop* loop,
                       TPxSysCalls& sys = TPxSysCalls::system());
    ~TPxPosixDispatcher() override;

    int sendLineControl(int code) override;
    int purgeQueue(TPxQueue which) override;
    uint32_t readDeviceStatus(TPxDeviceStatus* status) override;
    int readLineBlock(TPxLineBlock& block) override;
    int readDevice(uint8_t* buffer, uint32_t size) override;
    int writeLineBlock(const TPxLineBlock& block) override;
    int queueOutput(const uint8_t* data, uint32_t length) override;
    bool setQueueSizes(uint32_t inSize, uint32_t outSize) override;
    void startThreads() override;
    void stopThreads() override;
    int openDevice(const std::string& name, uint32_t inSize, uint32_t outSize) override;
    int closeDevice() override;
    int yieldSlice() override;
    void setPriorityBoost(int boost) override;
    uint8_t readModemLines() override;

    // Sends a break of the given length.
    int sendBreak(uint32_t ms);
    // The errno with which the device failed (unplugged, other side hung up),
    // or 0 while it works.
    int deviceError() const { return deviceError_.load(); }
    bool threadsRunning() const { return runningThreads_.load() > 0; }
    int runningThreads() const { return runningThreads_.load(); }
    const std::string& deviceName() const { return deviceName_; }
    // Kernel ids of the com, dispatch and output threads (0 when not running).
    std::vector<int> threadIds() const;

    // A device that can be opened, or exists but is in use.
    static bool probeDevice(const std::string& path, TPxSysCalls& sys = TPxSysCalls::system());

    // Overrun, parity, framing, break and buffer overrun: the kernel's error
    // counters that become line errors.
    static constexpr size_t kErrorCounterCount = 5;

private:
    friend class TComThread;
    friend class TDispThread;
    friend class TOutThread;
    friend class TPxDispatcherThread;

    // Waits for the next line event; false when the device failed.
    bool waitLineEvent(uint32_t& mask);
    void pollModemLines(uint32_t& mask);
    void pollLineErrors(uint32_t& mask);
    void noteDeviceLost(int err);
    // Drains the output ring; false when a flush request stopped it.
    bool drainOutput();
    void acknowledgeFlush();
    bool killed() const { return killed_.load(); }
    void threadStarted() { ++runningThreads_; }
    void threadEnded() { --runningThreads_; }
    void stopComAndOutput();
    void pumpUntil(const std::function<bool()>& done);

    TPxSysCalls& sys_;
    std::string deviceName_;
    std::atomic<int> fd_{-1};
    std::shared_mutex deviceLock_;  // exclusive only to close the device
    termios saved_{};
    bool haveSaved_ = false;
    TPxLineBlock block_;
    bool modemLinesSupported_ = false;
    bool errorCountsSupported_ = false;
    uint8_t lastLines_ = 0;
    std::array<int, kErrorCounterCount> lastCounts_{};
    std::atomic<int> deviceError_{0};
    std::atomic<uint32_t> pendingMask_{0};

    TPxEvent comEvent_;
    TPxEvent comDone_;
    TPxEvent general_;
    TPxEvent outputEvent_;
    TPxEvent flushRequest_;
    TPxEvent wake_;  // ends the com thread's wait
    std::atomic<uint64_t> flushAcks_{0};

    std::atomic<bool> started_{false};
    std::atomic<bool> killed_{false};
    std::atomic<int> runningThreads_{0};
    int boost_ = 0;
    std::unique_ptr<TComThread> comThread_;
    std::unique_ptr<TDispThread> dispThread_;
    std::unique_ptr<TOutThread> outThread_;
};

}  // namespace px
