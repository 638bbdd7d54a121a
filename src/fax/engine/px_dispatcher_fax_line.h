// A fax session's line over a real port's dispatcher: the session's timers
// and output triggers become dispatcher triggers, and the dispatch thread's
// trigger calls become the session's events.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "comms/px_base_dispatcher.h"
#include "fax/engine/px_fax_line.h"

namespace px {

class TPxFaxSession;

class TPxDispatcherFaxLine : public TPxFaxLine {
public:
    explicit TPxDispatcherFaxLine(TPxBaseDispatcher& dispatcher);
    ~TPxDispatcherFaxLine() override;

    // Allocates the session's triggers (ecNoMoreTriggers when they cannot be
    // had) and routes the dispatcher's calls to the session.
    ErrorCode attach(TPxFaxSession& session);
    // Stops the calls and drops the triggers.
    void detach();
    // Starts the session (preparation and first step) in the caller's thread.
    ErrorCode start();
    // Delivers a user abort in the caller's thread.
    void abort();

    ErrorCode write(const uint8_t* data, size_t size) override;
    uint32_t outputCount() override { return d_.outputCount(); }
    uint32_t outputFree() override { return d_.outputFree(); }
    bool readByte(uint8_t& byte) override { return d_.takeByte(byte) == ecOK; }
    uint32_t inputCount() override { return d_.inputCount(); }
    void flushInput() override { d_.clearInput(); }
    void flushOutput() override { d_.clearOutput(); }
    void setBaud(uint32_t baud) override {
        d_.setLineParams(baud, kKeepParity, kKeepDataBits, kKeepStopBits);
    }
    void setDtrRts(bool dtr, bool rts) override { d_.setDtrRtsLevels(dtr, rts); }
    bool dcd() override { return d_.dcdOn(); }
    void setSoftwareFlow(bool transmit, bool receive) override;
    void armResponseTimer(int32_t ticks) override;
    void armStatusTimer(int32_t ticks) override;
    void armOutputFree(uint32_t bytes) override;
    void armOutputUsed(uint32_t bytes) override;
    void disarmAll() override;
    TPxClock& clock() override { return d_.clock(); }
    void suspendEvents(bool on) override;
    void logState(uint8_t subtype, const char* label) override;

private:
    static void onTrigger(void* data, uint32_t msg, uint32_t wParam, uint32_t lParam);
    void deliver(uint32_t msg, uint32_t wParam);

    TPxBaseDispatcher& d_;
    TPxFaxSession* session_ = nullptr;
    std::recursive_mutex mutex_;  // one event at a time, abort included
    int32_t responseTimer_ = 0;
    int32_t statusTimer_ = 0;
    int32_t outFree_ = 0;
    int32_t outUsed_ = 0;
    int32_t modemStatus_ = 0;  // allocated with the others; the session arms none
    bool suspended_ = false;
    bool previousDispatching_ = false;
};

}  // namespace px
