// The narrow view of the serial port a fax session talks through.
//
// The dispatcher adapter implements it for a real port; tests implement it
// with a scripted modem and a manual clock, so that a whole session runs from
// a transcript without sleeping.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/px_errors.h"
#include "comms/px_clock.h"

namespace px {

class TPxFaxLine {
public:
    virtual ~TPxFaxLine() = default;

    // Queues bytes for the modem; ecOK or a negative error.
    virtual ErrorCode write(const uint8_t* data, size_t size) = 0;
    virtual uint32_t outputCount() = 0;
    virtual uint32_t outputFree() = 0;
    // Takes one received byte; false when none is waiting.
    virtual bool readByte(uint8_t& byte) = 0;
    virtual uint32_t inputCount() = 0;
    virtual void flushInput() = 0;
    virtual void flushOutput() = 0;

    virtual void setBaud(uint32_t baud) = 0;
    virtual void setDtrRts(bool dtr, bool rts) = 0;
    virtual bool dcd() = 0;
    virtual void setSoftwareFlow(bool transmit, bool receive) = 0;

    // The session's timers, in ticks; 0 or negative disarms.
    virtual void armResponseTimer(int32_t ticks) = 0;
    virtual void armStatusTimer(int32_t ticks) = 0;
    // Fires once when at least `bytes` of output space are free / when at
    // most `bytes` are still queued.
    virtual void armOutputFree(uint32_t bytes) = 0;
    virtual void armOutputUsed(uint32_t bytes) = 0;
    virtual void disarmAll() = 0;

    virtual TPxClock& clock() = 0;
    // Blocking reads during preparation; while held, events do not reach the
    // state machine.
    virtual void suspendEvents(bool on) = 0;
    // Dispatch-log entry of a handled event: the state as the entry's
    // subtype (0 for none), and its name.
    virtual void logState(uint8_t /*subtype*/, const char* /*label*/) {}
};

}  // namespace px
