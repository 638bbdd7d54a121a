// A modem played from a transcript: each step waits for what the engine must
// send and answers with the modem's bytes. Time is a manual clock, timers
// fire when nothing else is pending, so whole sessions run without sleeping.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "comms/px_clock.h"
#include "fax/engine/px_fax_client.h"
#include "fax/engine/px_fax_line.h"
#include "fax/engine/px_fax_session.h"

namespace px::test {

struct Exchange {
    std::string expect;
    std::string reply;
    // Up to this many zero octets may come before `expect`: the fill the
    // engine writes up to its buffer minimum depends on how much a real port
    // still holds. Exact (0) for the scripted modem, whose output is empty.
    size_t fill = 0;
};
#define EXCHANGE(expect, reply)                                                        \
    px::test::Exchange {                                                               \
        std::string(expect, sizeof(expect) - 1), std::string(reply, sizeof(reply) - 1) \
    }

// A Class 1 frame as the modem hands it over: address, control, body, two
// FCS octets, DLE ETX.
std::string modemFrame(const std::vector<uint8_t>& body, bool final);
// What the engine writes for a frame.
// The same frame with a bad FCS: the modem hands over its octets and then
// answers ERROR (T.31).
std::string damagedModemFrame(const std::vector<uint8_t>& body, bool final);
std::string engineFrame(const std::vector<uint8_t>& body, bool final);

// Plays a transcript against what the engine writes, strictly: what the
// engine wrote since the last step must be exactly the next step's expected
// bytes, and nothing may follow the last step. A step answers with its reply
// once its bytes are complete; the first difference ends the play with a
// failure that shows the step, what it expected and what came instead.
class Transcript {
public:
    explicit Transcript(std::vector<Exchange> script) : script_(std::move(script)) {}
    // Takes written bytes; returns the replies of the steps they complete.
    std::vector<std::string> feed(const char* data, size_t size);
    size_t remaining() const { return script_.size() - next_; }
    // What was written after the last matched step.
    const std::string& unmatched() const { return pending_; }
    // Empty while the engine wrote what the script expects.
    const std::string& failure() const { return failure_; }

private:
    enum class Match { Complete, Partial, Different };
    // How the pending bytes stand against a step; `used` is what a complete
    // step takes of them.
    static Match match(const Exchange& step, const std::string& pending, size_t& used);
    void describeDifference(const Exchange& step);

    std::vector<Exchange> script_;
    size_t next_ = 0;
    std::string pending_;
    std::string failure_;
};

// Bytes as C string text, non-printable octets as \xNN.
std::string printable(const std::string& bytes);

class ScriptedModem : public TPxFaxLine {
public:
    explicit ScriptedModem(std::vector<Exchange> script);

    int write(const uint8_t* data, size_t size) override;
    uint32_t outputCount() override { return 0; }
    uint32_t outputFree() override { return 8192; }
    bool readByte(uint8_t& byte) override;
    uint32_t inputCount() override { return static_cast<uint32_t>(input_.size()); }
    void flushInput() override { input_.clear(); }
    void flushOutput() override {}
    void setBaud(uint32_t baud) override { baud_ = baud; }
    void setDtrRts(bool, bool) override {}
    bool dcd() override { return false; }
    void setSoftwareFlow(bool, bool) override {}
    void armResponseTimer(int32_t ticks) override { responseTicks_ = ticks; }
    void armStatusTimer(int32_t) override {}
    void armOutputFree(uint32_t) override { outFree_ = true; }
    void armOutputUsed(uint32_t) override { outUsed_ = true; }
    void disarmAll() override {
        responseTicks_ = 0;
        outFree_ = outUsed_ = false;
    }
    TPxClock& clock() override { return clock_; }
    void suspendEvents(bool) override {}
    void logState(uint8_t subtype, const char* label) override {
        states_.push_back(label);
        subtypes_.push_back(subtype);
    }

    // Feeds the session events until it finishes or nothing is pending.
    void run(TPxFaxSession& session, int maxEvents = 100000);
    // Steps not reached; empty when the whole transcript was played.
    size_t remaining() const { return transcript_.remaining(); }
    const std::string& written() const { return all_; }
    const std::vector<std::string>& states() const { return states_; }
    const std::vector<uint8_t>& stateSubtypes() const { return subtypes_; }
    // What was written after the last matched step.
    const std::string& unmatched() const { return transcript_.unmatched(); }
    // Empty while the engine wrote what the script expects (a difference is
    // also reported to the running test as a failure).
    const std::string& failure() const { return transcript_.failure(); }
    void inject(const std::string& bytes) {
        input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
    TPxManualClock& manualClock() { return clock_; }
    // Off: run() stops where only a timer could go on.
    bool fireTimers = true;

private:
    Transcript transcript_;
    std::string all_;
    std::deque<uint8_t> input_;
    TPxManualClock clock_;
    int32_t responseTicks_ = 0;
    bool outFree_ = false;
    bool outUsed_ = false;
    uint32_t baud_ = 0;
    std::vector<std::string> states_;
    std::vector<uint8_t> subtypes_;
};

// Records what a session reports to its component.
class RecordingClient : public TPxFaxClient {
public:
    std::vector<TPxFaxJob> jobs;
    size_t nextJob = 0;
    std::vector<int> logs;
    std::vector<int> errors;
    int finishCode = 1;
    int finishes = 0;
    int statuses = 0;
    bool acceptCalls = true;
    std::string name;

    // Answers from `jobs`; with `missNext`, the next question goes unanswered.
    bool missNext = false;
    TFaxNextAnswer nextFax(TPxFaxJob& job) override;
    void status(bool, bool) override { ++statuses; }
    void log(int code) override { logs.push_back(code); }
    std::string fileName() override { return name; }
    bool accept() override { return acceptCalls; }
    void error(int code) override { errors.push_back(code); }
    void finish(int code) override {
        finishCode = code;
        ++finishes;
    }
};

}  // namespace px::test
