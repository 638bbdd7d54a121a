#include "fake_dispatcher.h"

namespace px::test {

void FakeDispatcher::receive(std::string_view bytes) {
    device.insert(device.end(), bytes.begin(), bytes.end());
    processLineEvent(evRxChar);
}

void FakeDispatcher::drain() {
    std::lock_guard lock(outputLock());
    auto& ring = outputRing();
    while (!ring.empty()) {
        size_t run = ring.usedRunAtTail();
        sent.append(reinterpret_cast<const char*>(ring.tailPtr()), run);
        ring.consume(run);
    }
}

int FakeDispatcher::sendLineControl(int code) {
    lineControls.push_back(code);
    return 0;
}

int FakeDispatcher::purgeQueue(TPxQueue which) {
    if (which == TPxQueue::Input) {
        device.clear();
    } else {
        std::lock_guard lock(outputLock());
        outputRing().clear();
    }
    return 0;
}

uint32_t FakeDispatcher::readDeviceStatus(TPxDeviceStatus* status) {
    if (status != nullptr) {
        status->inQueue = static_cast<uint32_t>(device.size());
        status->outQueue = outputCount();
    }
    return lineErrors();
}

int FakeDispatcher::readLineBlock(TPxLineBlock& out) {
    out = block;
    return 0;
}

int FakeDispatcher::readDevice(uint8_t* buffer, uint32_t size) {
    uint32_t n = 0;
    while (n < size && !device.empty()) {
        buffer[n++] = device.front();
        device.pop_front();
    }
    return static_cast<int>(n);
}

int FakeDispatcher::writeLineBlock(const TPxLineBlock& in) {
    block = in;
    ++lineBlockWrites;
    return 0;
}

int FakeDispatcher::queueOutput(const uint8_t* data, uint32_t length) {
    if (!acceptOutput) {
        return 0;
    }
    std::lock_guard lock(outputLock());
    outputRing().put(data, length);
    return static_cast<int>(length);
}

}  // namespace px::test
