// The event loop both fax state machines run on: one action per state, taken
// for each event and then continued at once, while received data waits, or
// not at all, as the state's continuation says; and the collection of the
// modem's result lines and frames for the states that wait for them.
#pragma once

#include <cstdint>
#include <string>

#include "fax/engine/px_fax_session.h"

namespace px {

template <typename State>
class TPxFaxMachine : public TPxFaxSession {
public:
    State state() const { return state_; }

protected:
    enum class Flow { Now, WhileData, Wait };
    // What the collector does with a complete result line.
    enum class LineUse { Evaluate, Skip, Failed };

    // `names` are the states' dispatch-log labels, in the enum's order; the
    // log numbers them from `logBase` on.
    TPxFaxMachine(TPxFaxLine& line, TPxFaxClient& client, const char* const* names, uint8_t logBase,
                  State none, State abort, State done)
        : TPxFaxSession(line, client),
          state_(none),
          names_(names),
          logBase_(logBase),
          none_(none),
          abort_(abort),
          done_(done) {}

    void setState(State s) { state_ = s; }
    // Reports the error and goes to the abort state.
    void fail(ErrorCode code) {
        reportError(code);
        setState(abort_);
    }
    // A set-up step: on "OK" sends `command` and goes on to `next`; any other
    // answer is an initialisation failure.
    void commandOnOK(const std::string& command, State next) {
        if (!lineIs(TModemResult::kOK)) {
            return fail(ecFaxInitError);
        }
        writeAtCommand(command);
        setState(next);
    }

    void step(TFaxEvent event) override;
    void enterAbort() override {
        setState(abort_);
        reportStatus();
        step(TFaxEvent::Data);
    }

    virtual Flow continuation(State s) const = 0;
    // A waiting state that, just entered, reads the data already waiting.
    virtual bool readsOnEntry(State) const { return false; }
    // The current state's action, once its input is there.
    virtual void stateAction(TFaxEvent event) = 0;
    // A waiting state's response time-out.
    virtual void onTimeout() = 0;
    // A complete HDLC frame is in the collector.
    virtual void onFrame() = 0;
    // Screens a complete line before the state sees it (errors, hang-ups).
    virtual LineUse screenLine(const std::string& text) = 0;

    State state_;

    // Guards against a machine that stops moving without waiting.
    static constexpr int kMaxSteps = 100000;

private:
    bool waiting(State s) const { return continuation(s) == Flow::WhileData; }
    // The machine went round kMaxSteps times without waiting for anything:
    // it has lost its way, and the session ends with ecInternal.
    void stepLimitReached();
    void runState(TFaxEvent event);
    // True when a line is ready for the state.
    bool collect();

    const char* const* names_;
    uint8_t logBase_;
    State none_, abort_, done_;
    bool framePending_ = false;
};

template <typename State>
void TPxFaxMachine<State>::step(TFaxEvent event) {
    TFaxEvent ev = event;
    for (int n = 0; n < kMaxSteps; ++n) {
        if (state_ == done_ || finished_) {
            return;
        }
        if (state_ != abort_) {
            const auto index = static_cast<size_t>(state_);
            line_.logState(static_cast<uint8_t>(logBase_ + index), names_[index]);
        }
        const State before = state_;
        runState(ev);
        if (finished_) {
            return;
        }
        switch (continuation(state_)) {
            case Flow::Now:
                if (state_ == none_ && before == none_) {
                    return;
                }
                ev = TFaxEvent::Data;
                continue;
            case Flow::WhileData:
                if (line_.inputCount() > 0) {
                    ev = TFaxEvent::Data;
                    continue;
                }
                return;
            case Flow::Wait:
                if (state_ != before && readsOnEntry(state_) && line_.inputCount() > 0) {
                    ev = TFaxEvent::Data;
                    continue;
                }
                return;
        }
    }
    stepLimitReached();
}

template <typename State>
void TPxFaxMachine<State>::stepLimitReached() {
    line_.logState(0, "step limit");
    reportError(ecInternal);
    // The abort state's action closes the files and hangs up; whatever state
    // it goes on to, the session ends here.
    setState(abort_);
    stateAction(TFaxEvent::Data);
    if (!finished_) {
        reportStatus(false, true);
        setState(done_);
        reportFinish();
    }
}

template <typename State>
void TPxFaxMachine<State>::runState(TFaxEvent ev) {
    if (waiting(state_)) {
        if (ev == TFaxEvent::ResponseTimer) {
            onTimeout();
            return;
        }
        if (ev != TFaxEvent::Data || !collect()) {
            return;
        }
    }
    stateAction(ev);
}

template <typename State>
bool TPxFaxMachine<State>::collect() {
    uint8_t byte;
    while (line_.readByte(byte)) {
        switch (collector_.feed(byte)) {
            case TPxResponseCollector::Result::None:
                break;
            case TPxResponseCollector::Result::Frame:
                // A Class 1 modem vouches for a frame only with the OK that
                // follows it; ERROR there means a bad FCS (T.31 8.3.5), and
                // the frame's octets are not to be trusted.
                framePending_ = true;
                break;
            case TPxResponseCollector::Result::Line:
                if (framePending_) {
                    framePending_ = false;
                    if (modemResult(collector_.line(), faxClass) == TModemResult::kOK) {
                        const State before = state_;
                        onFrame();
                        if (state_ != before) {
                            return false;
                        }
                    }
                }
                switch (screenLine(collector_.line())) {
                    case LineUse::Evaluate:
                        return true;
                    case LineUse::Failed:
                        return false;
                    case LineUse::Skip:
                        break;
                }
                break;
        }
    }
    return false;
}

}  // namespace px
