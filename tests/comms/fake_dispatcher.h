// A dispatcher over an in-memory device, for driving the dispatcher's logic
// without threads: the test feeds "received" bytes, runs dispatch cycles by
// hand and reads what was written.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "comms/px_base_dispatcher.h"

namespace px::test {

class FakeDispatcher : public TPxBaseDispatcher {
public:
    explicit FakeDispatcher(TPxClock& clock, TPxEventLoop* loop = nullptr)
        : TPxBaseDispatcher(nullptr, clock, loop) {}
    ~FakeDispatcher() override { releaseBuffers(); }

    int open(uint32_t outSize = 4096) {
        return openPort("fake", 19200, 0, 8, 1, 4096, outSize, true, true);
    }
    // Bytes arriving from the line, then one line event.
    void receive(std::string_view bytes);
    void cycle() { processTriggers(); }
    void injectLineErrors(uint32_t flags) { addLineErrors(flags); }
    // The output thread's work: everything queued goes to `sent`.
    void drain();

    int sendLineControl(int code) override;
    int purgeQueue(TPxQueue which) override;
    uint32_t readDeviceStatus(TPxDeviceStatus* status) override;
    int readLineBlock(TPxLineBlock& block) override;
    int readDevice(uint8_t* buffer, uint32_t size) override;
    int writeLineBlock(const TPxLineBlock& block) override;
    int queueOutput(const uint8_t* data, uint32_t length) override;
    bool setQueueSizes(uint32_t, uint32_t) override { return true; }
    void startThreads() override {}
    void stopThreads() override {}
    int openDevice(const std::string&, uint32_t, uint32_t) override { return openResult; }
    int closeDevice() override { return 0; }
    int yieldSlice() override { return 0; }
    uint8_t readModemLines() override { return modemLines; }

    std::deque<uint8_t> device;  // bytes the driver holds
    std::string sent;            // bytes that left through the output ring
    TPxLineBlock block;
    int lineBlockWrites = 0;
    int openResult = 3;
    uint8_t modemLines = msCts | msDsr;
    std::vector<int> lineControls;
    bool acceptOutput = true;
};

}  // namespace px::test
