// The simulated telephone line and its clock: modems on pseudo-terminals,
// the remote fax machine, call set-up and tear-down, conditions and reports.
//
// Line time advances in blocks of 160 samples (20 ms at 8 kHz). spandsp's
// timers count samples, so nothing on the line depends on the wall clock;
// the wall clock only paces the blocks (real time by default, `speed` times
// faster on request) because the DTE on the other side of the pty keeps real
// time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio_line.h"
#include "call_report.h"
#include "demo_inbox.h"
#include "fax_terminal.h"
#include "pty_port.h"
#include "receive_watch.h"
#include "sim_modem.h"
#include "sim_options.h"

namespace px {

class Simulator : public LineListener {
public:
    explicit Simulator(const SimOptions& options);
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Runs until the calls are served, the time-out passes or a stop is
    // requested; returns the process exit status.
    int run();
    // Async-signal-safe.
    static void requestStop();
    static bool stopRequested();

    void onDial(SimModem& modem, const std::string& number) override;
    void onAnswer(SimModem& modem) override;
    void onHangup(SimModem& modem) override;

    static constexpr int kBlock = 160;
    static constexpr int kRate = 8000;

private:
    struct Port {
        std::unique_ptr<PtyPort> pty;
        std::unique_ptr<SimModem> modem;
    };
    enum class CallState { None, Dialling, Ringing, Connected };
    struct Call {
        CallState state = CallState::None;
        SimModem* caller = nullptr;  // the DTE's modem that dialled, if any
        SimModem* callee = nullptr;  // the DTE's modem that rings, if any
        std::unique_ptr<FaxTerminal> terminal;
        std::unique_ptr<ToneSource> tones;
        std::unique_ptr<AudioLine> line;
        int64_t connectedAt = 0;
        int64_t nextRing = 0;
        int64_t finishAt = -1;  // the far end has finished; drop the line then
        int64_t dropAt = -1;    // the far end has hung up; clear the line then
        std::string farEnd;     // "fax", "voice", "data modem", "modem"
        std::string number;     // what the DTE dialled
        int rings = 0;
    };
    struct Timer {
        int64_t due;
        uint64_t generation;  // timers of an earlier call are dropped
        std::function<void()> action;
    };

    int runReference();
    void openPorts();
    Port& addPort(const std::string& name, const std::string& link);
    SimModem* otherModem(const SimModem& modem);
    void after(double seconds, std::function<void()> action);
    void tick();
    void pumpDte();
    void runTimers();
    void connect(AudioEndpoint& a, AudioEndpoint& b);
    void answerDialledCall(SimModem& modem);
    void startIncomingCall();
    // The demo line: calls a DTE that has been waiting for calls long enough,
    // and gives up on a call nobody answers.
    void demoLine();
    std::string reportPath() const;
    void endCall(const std::string& why, bool dropModems);
    // After a call has been reported: linger before ending, or ring again.
    void nextCall();
    void finishReport(CallReport report, const std::string& why, int64_t connectedAt);
    void event(const std::string& text);
    double lineSeconds() const { return static_cast<double>(sample_) / kRate; }
    double wallSeconds() const;
    TerminalConfig terminalConfig() const;
    bool lineNeedsRealTime() const;
    bool modemsBusy() const;

    SimOptions options_;
    std::vector<Port> ports_;
    Call call_;
    uint64_t callGeneration_ = 0;
    std::vector<Timer> timers_;
    int64_t sample_ = 0;
    int dialAttempts_ = 0;
    int callsDone_ = 0;
    int callsFailed_ = 0;
    bool lingering_ = false;
    int64_t lingerUntil_ = 0;
    std::unique_ptr<DemoInbox> inbox_;
    std::string callReportPath_;  // the demo's report of the call on the line
    std::string callFaxPath_;     // where the demo keeps the fax of that call
    ReceiveWatch watch_;
    uint64_t armingsSeen_ = 0;
    int64_t armedAt_ = 0;
    int demoCalls_ = 0;
    std::chrono::steady_clock::time_point wallStart_;
    std::chrono::steady_clock::time_point callWallStart_;
};

}  // namespace px
