// A simulated fax modem as the line and the simulator see it: DTE bytes in,
// audio in and out, call events from the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio_endpoint.h"

namespace px {

class SimModem;

// What a modem asks of the telephone line. Called from inside the modem's
// command processing; the simulator acts on it after the call returns.
class LineListener {
public:
    virtual ~LineListener() = default;
    virtual void onDial(SimModem& modem, const std::string& number) = 0;
    virtual void onAnswer(SimModem& modem) = 0;
    virtual void onHangup(SimModem& modem) = 0;
};

// Busy, NoDialTone and NoAnswer end a dialled call; Voice and DataModem are
// reported by modems that tell such answers apart themselves (Class 2).
enum class CallFailure { Busy, NoDialTone, NoAnswer, Voice, DataModem };

class SimModem : public AudioEndpoint {
public:
    // Bytes the DTE wrote to the port.
    virtual void fromDte(const uint8_t* data, std::size_t len) = 0;
    // False while the modem holds CTS off: the DTE must wait.
    virtual bool acceptsDteData() const = 0;
    // The line rings once.
    virtual void ring() = 0;
    // Our outgoing call was answered by the far end.
    virtual void callConnected() = 0;
    // We answered an incoming call and the line is through.
    virtual void callAnswered() = 0;
    virtual void callFailed(CallFailure failure) = 0;
    // The far end hung up or the line was cut.
    virtual void lineDropped() = 0;
    // Line time passes while the modem is not connected to anything.
    virtual void idle(int samples) = 0;
    // A modem that stops answering commands ignores the DTE from now on.
    virtual void silence() = 0;
    virtual const std::string& name() const = 0;

    // A modem that buffers a received call (Class 2) hands back the end to run
    // the whole call against at once, before it plays the result to the DTE.
    virtual AudioEndpoint* answerOffline() { return nullptr; }
    // Its own side of that call has finished.
    virtual bool offlineDone() const { return true; }
    // False while nothing the DTE does can change the call any more: the line
    // may then run as fast as the machine allows.
    virtual bool needsRealTime() const { return true; }
    // Still handing a finished call to the DTE.
    virtual bool busy() const { return false; }
    // The shortest coded page line the DTE sent in this call, in ms at its
    // line rate; -1 when none (or the modem does not look).
    virtual double shortestPageLineMs() const { return -1; }
    // The call that rings now comes from a data modem, not a fax machine.
    void setDataCaller(bool on) { dataCaller_ = on; }
    bool dataCaller() const { return dataCaller_; }

private:
    bool dataCaller_ = false;
};

}  // namespace px
