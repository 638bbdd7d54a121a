#include "simulator.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "class1_modem.h"
#include "class2_modem.h"

namespace px {

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

// A real line rings for about 2 s every 6 s.
constexpr double kRingCadence = 6.0;
// After the far end's phase E its last frames are still on the line.
constexpr double kDrainAfterFinish = 1.5;
// Between the far end putting the phone down and the exchange clearing the
// line. Until then our modem only hears the line go quiet: a receiving modem
// loses the carrier, a sending one goes on into silence.
constexpr double kCarrierLossBeforeOnHook = 30.0;
// How long the remote machine may take to notice that the DTE hung up.
constexpr double kFarEndGrace = 40.0;
// Time the DTE gets to read the last responses before the ports close.
constexpr double kLinger = 3.0;
// The remote machine picks up on the first ring.
constexpr double kAnswerDelay = 4.0;
// How long a DTE may take over fetching a buffered call.
constexpr double kBusyLimit = 300.0;
// No fax call lasts longer than this.
constexpr double kLongestCall = 3600.0;
// The demo's remote machine gives up a call after this many rings.
constexpr int kDemoRings = 10;
// The demo's fax being received: "fax-0007.part.tif".
constexpr const char* kPartSuffix = ".part.tif";

std::string formatSeconds(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%8.2f", s);
    return buf;
}

}  // namespace

void Simulator::requestStop() {
    gStopRequested = 1;
}

bool Simulator::stopRequested() {
    return gStopRequested != 0;
}

Simulator::Simulator(const SimOptions& options) : options_(options) {
    wallStart_ = std::chrono::steady_clock::now();
}

Simulator::~Simulator() {
    call_ = Call{};
    for (auto& p : ports_) {
        p.modem.reset();
        p.pty->close();
    }
}

void Simulator::event(const std::string& text) {
    std::cout << "[" << formatSeconds(lineSeconds()) << "] " << text << std::endl;
}

Simulator::Port& Simulator::addPort(const std::string& name, const std::string& link) {
    Port port;
    port.pty = std::make_unique<PtyPort>(name, link);
    switch (options_.modemClass) {
        case ModemClass::Class1:
            port.modem = std::make_unique<Class1Modem>(*port.pty, *this, options_.verbose);
            break;
        case ModemClass::Class2:
        case ModemClass::Class2_0:
            port.modem = std::make_unique<Class2Modem>(
                *port.pty, *this, options_.modemClass == ModemClass::Class2_0, options_.verbose);
            break;
    }
    ports_.push_back(std::move(port));
    Port& p = ports_.back();
    std::cout << "port " << name << ": " << p.pty->slavePath();
    if (!link.empty()) {
        std::cout << " linked as " << link;
    }
    std::cout << std::endl;
    if (options_.conditions.silentModem) {
        event(p.modem->name() + ": modem answers no commands");
        p.modem->silence();
    }
    return p;
}

void Simulator::openPorts() {
    addPort("A", options_.link);
    if (options_.mode == SimMode::BackToBack) {
        addPort("B", options_.linkB);
    }
}

SimModem* Simulator::otherModem(const SimModem& modem) {
    for (auto& p : ports_) {
        if (p.modem.get() != &modem) {
            return p.modem.get();
        }
    }
    return nullptr;
}

TerminalConfig Simulator::terminalConfig() const {
    TerminalConfig c;
    c.ident = options_.ident;
    c.maxRate = options_.maxRate;
    c.fine = options_.fine;
    c.ecm = options_.ecm;
    c.oneDimensional = options_.oneDimensional;
    c.minScanMs = options_.minScanMs;
    c.hangupAfterPage = options_.conditions.hangupAfterPage;
    c.hangupInPage = options_.conditions.hangupInPage;
    c.trainFailures = options_.conditions.trainFailures;
    c.rtnPage = options_.conditions.rtnPage;
    c.faults = options_.conditions.faults;
    c.verbose = options_.verbose;
    return c;
}

void Simulator::after(double seconds, std::function<void()> action) {
    auto due = sample_ + static_cast<int64_t>(seconds * kRate);
    timers_.push_back(Timer{due, callGeneration_, std::move(action)});
}

void Simulator::runTimers() {
    // Actions may add timers: take the due ones out first.
    std::vector<Timer> due;
    auto it = std::partition(timers_.begin(), timers_.end(),
                             [&](const Timer& t) { return t.due > sample_; });
    std::move(it, timers_.end(), std::back_inserter(due));
    timers_.erase(it, timers_.end());
    std::stable_sort(due.begin(), due.end(),
                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
    for (auto& t : due) {
        if (t.generation == callGeneration_) {
            t.action();
        }
    }
}

void Simulator::connect(AudioEndpoint& a, AudioEndpoint& b) {
    call_.line = std::make_unique<AudioLine>(a, b, options_.conditions.snr,
                                             AudioLine::kDefaultDelay, options_.noiseSeed);
    call_.state = CallState::Connected;
    call_.connectedAt = sample_;
    callWallStart_ = std::chrono::steady_clock::now();
    if (options_.conditions.vanishAfter) {
        after(*options_.conditions.vanishAfter, [this]() {
            event("port A disappears (pty closed)");
            ports_.front().pty->close();
            endCall("the port disappeared", true);
        });
    }
}

void Simulator::onDial(SimModem& modem, const std::string& number) {
    event(modem.name() + ": dials " + number);
    if (call_.state != CallState::None) {
        after(0.5, [&modem]() { modem.callFailed(CallFailure::Busy); });
        return;
    }
    ++dialAttempts_;
    ++callGeneration_;
    call_ = Call{};
    call_.state = CallState::Dialling;
    call_.caller = &modem;
    // The number as dialled, without the tone or pulse dialling modifier.
    call_.number =
        !number.empty() && (number[0] == 'T' || number[0] == 'P') ? number.substr(1) : number;
    const CallConditions& c = options_.conditions;
    if (c.deadModem) {
        event(modem.name() + ": modem stops answering commands");
        modem.silence();
    }
    if (c.noDialTone) {
        after(2.0, [this, &modem]() {
            event(modem.name() + ": no dial tone");
            call_ = Call{};
            modem.callFailed(CallFailure::NoDialTone);
        });
        return;
    }
    if (dialAttempts_ <= c.busyCalls) {
        after(3.0, [this, &modem]() {
            event(modem.name() + ": busy");
            call_ = Call{};
            modem.callFailed(CallFailure::Busy);
        });
        return;
    }
    if (options_.mode == SimMode::BackToBack) {
        SimModem* callee = otherModem(modem);
        call_.callee = callee;
        call_.state = CallState::Ringing;
        call_.farEnd = "modem";
        call_.nextRing = sample_ + kRate;  // first ring after a second
        return;
    }
    if (c.noAnswer) {
        after(30.0, [this, &modem]() {
            event(modem.name() + ": no answer");
            call_ = Call{};
            modem.callFailed(CallFailure::NoAnswer);
        });
        return;
    }
    // The remote machine picks up after two rings.
    after(kAnswerDelay, [this, &modem]() { answerDialledCall(modem); });
}

void Simulator::answerDialledCall(SimModem& modem) {
    const CallConditions& c = options_.conditions;
    if ((c.voiceAnswer || c.dataAnswer) && options_.modemClass != ModemClass::Class1) {
        // A Class 2 modem tells a person or a data modem from a fax machine.
        call_.farEnd = c.voiceAnswer ? "voice" : "data modem";
        event("answered by a " + call_.farEnd);
        CallReport report;
        report.completionText = "answered by a " + call_.farEnd;
        finishReport(report, "not a fax machine", sample_);
        call_ = Call{};
        modem.callFailed(c.voiceAnswer ? CallFailure::Voice : CallFailure::DataModem);
        // A call that never connected counts too, or the simulator would
        // wait for its time-out.
        nextCall();
        return;
    }
    if (c.voiceAnswer || c.dataAnswer) {
        call_.tones = std::make_unique<ToneSource>(c.voiceAnswer ? ToneSource::Kind::Voice
                                                                 : ToneSource::Kind::DataModem);
        call_.farEnd = c.voiceAnswer ? "voice" : "data modem";
        event("answered by a " + call_.farEnd);
        connect(modem, *call_.tones);
    } else {
        TerminalConfig tc = terminalConfig();
        tc.rxFile = options_.outFile;
        if (inbox_) {
            // Received under a name of its own until the call is over, so
            // that nobody opens half a fax.
            const std::string base = inbox_->nextBase();
            callFaxPath_ = base + ".tif";
            callReportPath_ = base + ".json";
            tc.rxFile = base + kPartSuffix;
        }
        call_.terminal = std::make_unique<FaxTerminal>(false, tc);
        call_.farEnd = "fax";
        event("remote fax machine answers (" + options_.ident + ")");
        connect(modem, *call_.terminal);
    }
    modem.callConnected();
}

void Simulator::startIncomingCall() {
    ++callGeneration_;
    call_ = Call{};
    callFaxPath_.clear();
    callReportPath_.clear();
    call_.state = CallState::Ringing;
    call_.callee = ports_.front().modem.get();
    call_.nextRing = sample_;
    if (options_.conditions.dataAnswer) {
        call_.farEnd = "data modem";
        call_.callee->setDataCaller(true);
        event("a data modem calls " + ports_.front().pty->name());
        return;
    }
    call_.farEnd = "fax";
    call_.callee->setDataCaller(false);
    event("remote fax machine calls " + ports_.front().pty->name());
}

void Simulator::onAnswer(SimModem& modem) {
    event(modem.name() + ": answers");
    if (options_.conditions.deadModem) {
        event(modem.name() + ": modem stops answering commands");
        modem.silence();
    }
    if (call_.state != CallState::Ringing || call_.callee != &modem) {
        // Nobody is calling: the modem hears silence and reports it itself.
        return;
    }
    if (call_.farEnd == "data modem") {
        call_.tones = std::make_unique<ToneSource>(ToneSource::Kind::DataModem);
        connect(modem, *call_.tones);
        modem.callAnswered();
        return;
    }
    if (options_.mode == SimMode::BackToBack) {
        SimModem* caller = otherModem(modem);
        call_.caller = caller;
        caller->callConnected();
        if (AudioEndpoint* buffered = modem.answerOffline()) {
            // Two buffering modems: the calling side's DTE hands over its
            // pages while the line stands still, then the whole call runs and
            // the answering side plays it to its DTE.
            connect(*caller, *buffered);
            const int64_t limit = sample_ + static_cast<int64_t>(kFarEndGrace * 20 * kRate);
            while (!(caller->offlineDone() && modem.offlineDone()) && sample_ < limit &&
                   !gStopRequested) {
                call_.line->step(kBlock);
                sample_ += kBlock;
            }
            event(modem.name() + ": call taken in " + formatSeconds(lineSeconds()) +
                  " s of line time, played to the DTE now");
            endCall("both modems finished", true);
            modem.callAnswered();
            return;
        }
        connect(*caller, modem);
        modem.callAnswered();
        return;
    }
    TerminalConfig tc = terminalConfig();
    tc.txFile = options_.inFile;
    call_.terminal = std::make_unique<FaxTerminal>(true, tc);
    if (AudioEndpoint* buffered = modem.answerOffline()) {
        // The modem takes the whole call first, in line time only, and then
        // plays it to the DTE.
        connect(*buffered, *call_.terminal);
        const int64_t limit = sample_ + static_cast<int64_t>(kFarEndGrace * 20 * kRate);
        while (!call_.terminal->droppedLine() &&
               !(call_.terminal->finished() && modem.offlineDone()) && sample_ < limit) {
            call_.line->step(kBlock);
            sample_ += kBlock;
        }
        if (call_.terminal->droppedLine()) {
            event("remote fax machine hangs up " + call_.terminal->dropReason());
            // The modem's own engine notices the silence in line time.
            modem.lineDropped();
        }
        event(modem.name() + ": call taken in " + formatSeconds(lineSeconds()) +
              " s of line time, played to the DTE now");
        endCall("the remote machine hung up", false);
        modem.callAnswered();
        return;
    }
    connect(modem, *call_.terminal);
    modem.callAnswered();
}

void Simulator::onHangup(SimModem& modem) {
    switch (call_.state) {
        case CallState::None:
            return;
        case CallState::Dialling:
            if (call_.caller == &modem) {
                event(modem.name() + ": hangs up before an answer");
                ++callGeneration_;
                call_ = Call{};
            }
            return;
        case CallState::Ringing:
            if (call_.caller == &modem) {
                event(modem.name() + ": hangs up while the other end rings");
                ++callGeneration_;
                call_ = Call{};
            }
            return;
        case CallState::Connected:
            if (call_.caller == &modem || call_.callee == &modem) {
                event(modem.name() + ": hangs up");
                // Act after the modem's own processing has returned.
                after(0, [this]() {
                    if (call_.state == CallState::Connected) {
                        endCall("the DTE hung up", true);
                    }
                });
            }
            return;
    }
}

void Simulator::finishReport(CallReport report, const std::string& why, int64_t connectedAt) {
    report.lineSeconds = static_cast<double>(sample_ - connectedAt) / kRate;
    report.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - callWallStart_).count();
    report.condition = options_.conditions.describe();
    switch (options_.mode) {
        case SimMode::RemoteReceive:
            report.mode = "remote-receive";
            break;
        case SimMode::RemoteSend:
            report.mode = "remote-send";
            break;
        case SimMode::BackToBack:
            report.mode = "back-to-back";
            break;
        case SimMode::Reference:
            report.mode = "reference";
            break;
        case SimMode::Demo:
            report.mode = "demo";
            break;
    }
    std::ostringstream line;
    line << "call ended (" << why << "): " << report.completionText << ", pages " << report.pages;
    if (report.bitRate > 0) {
        line << ", " << report.bitRate << " bps, " << report.resolutionName();
    }
    if (!report.remoteId.empty()) {
        line << ", remote ID \"" << report.remoteId << "\"";
    }
    event(line.str());
    if (!callFaxPath_.empty()) {
        const std::string part =
            callFaxPath_.substr(0, callFaxPath_.size() - std::string(".tif").size()) + kPartSuffix;
        std::error_code error;
        if (report.pages > 0) {
            std::filesystem::rename(part, callFaxPath_, error);
            event(error ? "cannot keep the fax as " + callFaxPath_ + ": " + error.message()
                        : "the fax is in " + callFaxPath_);
        } else {
            // Nothing to look at: only the report tells of the call.
            std::filesystem::remove(part, error);
        }
    }
    const std::string path = reportPath();
    if (!path.empty() && !report.save(path)) {
        event("cannot write the report " + path);
    }
    callFaxPath_.clear();
    callReportPath_.clear();
    ++callsDone_;
    if (!report.succeeded()) {
        ++callsFailed_;
    }
}

std::string Simulator::reportPath() const {
    return options_.mode == SimMode::Demo ? callReportPath_ : options_.report;
}

void Simulator::endCall(const std::string& why, bool dropModems) {
    if (call_.state != CallState::Connected) {
        return;
    }
    Call ended = std::move(call_);
    call_ = Call{};
    ++callGeneration_;
    ended.line.reset();
    CallReport report;
    if (ended.terminal) {
        // The far end notices the silence in its own (line) time.
        FaxTerminal& t = *ended.terminal;
        std::vector<int16_t> buf(kBlock, 0);
        for (int64_t n = 0; !t.finished() && n < kFarEndGrace * kRate; n += kBlock) {
            std::fill(buf.begin(), buf.end(), 0);
            t.transmit(buf.data(), kBlock);
            std::fill(buf.begin(), buf.end(), 0);
            t.receive(buf.data(), kBlock);
        }
        if (!t.finished()) {
            t.terminate();
        }
        report = t.report();
        if (!t.finished()) {
            report.completionText = "call ended before the fax machine finished";
        }
    } else {
        report.completionCode = ended.farEnd == "modem" ? 0 : -1;
        report.completionText = ended.farEnd == "modem" ? "OK" : "answered by a " + ended.farEnd;
    }
    report.number = ended.number;
    for (SimModem* m : {ended.caller, ended.callee}) {
        if (m != nullptr && m->shortestPageLineMs() >= 0) {
            report.shortestLineMs = m->shortestPageLineMs();
        }
    }
    if (dropModems) {
        for (SimModem* m : {ended.caller, ended.callee}) {
            if (m != nullptr) {
                m->lineDropped();
            }
        }
    }
    finishReport(report, why, ended.connectedAt);
    nextCall();
}

void Simulator::nextCall() {
    if (options_.faultyCalls > 0 && callsDone_ >= options_.faultyCalls) {
        // The line is sound again: the calls that follow show recovery.
        options_.conditions = CallConditions{};
    }
    if (options_.calls > 0 && callsDone_ >= options_.calls) {
        lingering_ = true;
        lingerUntil_ = sample_ + static_cast<int64_t>(kLinger * kRate);
    } else if (options_.mode == SimMode::RemoteSend) {
        after(options_.ringAfter, [this]() { startIncomingCall(); });
    }
}

void Simulator::pumpDte() {
    for (auto& p : ports_) {
        if (!p.pty->isOpen()) {
            continue;
        }
        p.pty->flush();
        // Small reads, so that CTS off takes effect within a few bytes.
        for (int reads = 0; reads < 64 && p.modem->acceptsDteData(); ++reads) {
            auto data = p.pty->read(256);
            if (data.empty()) {
                break;
            }
            if (inbox_ && call_.state == CallState::None) {
                watch_.fromDte(data.data(), data.size());
            }
            p.modem->fromDte(data.data(), data.size());
        }
    }
}

void Simulator::demoLine() {
    if (watch_.armings() != armingsSeen_) {
        armingsSeen_ = watch_.armings();
        armedAt_ = sample_;
    }
    if (call_.state == CallState::None && watch_.armed() && !options_.inFile.empty() &&
        demoCalls_ < options_.sendCalls &&
        sample_ - armedAt_ >= static_cast<int64_t>(options_.ringAfter * kRate)) {
        ++demoCalls_;
        watch_.reset();
        startIncomingCall();
        return;
    }
    if (call_.state == CallState::Ringing && call_.caller == nullptr && call_.rings >= kDemoRings &&
        sample_ >= call_.nextRing) {
        // Nobody answers: the call does not count, and the remote machine
        // tries again once the DTE sets up for calls anew.
        event("nobody answers; the remote fax machine hangs up");
        ++callGeneration_;
        call_ = Call{};
        --demoCalls_;
    }
}

void Simulator::tick() {
    runTimers();
    if (inbox_) {
        demoLine();
    }
    if (call_.state == CallState::Ringing && sample_ >= call_.nextRing) {
        event(call_.callee->name() + ": RING");
        ++call_.rings;
        call_.callee->ring();
        call_.nextRing = sample_ + static_cast<int64_t>(kRingCadence * kRate);
    }
    if (call_.state == CallState::Connected && call_.line) {
        call_.line->step(kBlock);
        for (auto& p : ports_) {
            if (!call_.line->joins(p.modem.get())) {
                p.modem->idle(kBlock);
            }
        }
    } else {
        for (auto& p : ports_) {
            p.modem->idle(kBlock);
        }
    }
    sample_ += kBlock;
    if (call_.state == CallState::Connected &&
        sample_ - call_.connectedAt > static_cast<int64_t>(kLongestCall * kRate)) {
        // Two ends that both wait for the other (a carrier detector kept on by
        // noise, say) would otherwise talk forever when the line runs unpaced.
        event("the call has run for an hour of line time");
        endCall("the call ran too long", true);
    }
    if (call_.state == CallState::Connected && call_.terminal) {
        if (call_.terminal->droppedLine()) {
            if (call_.dropAt < 0) {
                event("remote fax machine hangs up " + call_.terminal->dropReason());
                call_.dropAt = sample_ + static_cast<int64_t>(kCarrierLossBeforeOnHook * kRate);
            } else if (sample_ >= call_.dropAt) {
                endCall("the remote machine hung up", true);
            }
        } else if (call_.terminal->finished()) {
            if (call_.finishAt < 0) {
                call_.finishAt = sample_ + static_cast<int64_t>(kDrainAfterFinish * kRate);
            } else if (sample_ >= call_.finishAt) {
                endCall("the remote machine hung up", true);
            }
        }
    }
}

bool Simulator::lineNeedsRealTime() const {
    if (call_.state != CallState::Connected) {
        return true;
    }
    for (const SimModem* m : {call_.caller, call_.callee}) {
        if (m != nullptr && m->needsRealTime()) {
            return true;
        }
    }
    return false;
}

bool Simulator::modemsBusy() const {
    // A modem still playing a buffered call keeps the ports open for a while.
    if (sample_ >= lingerUntil_ + static_cast<int64_t>(kBusyLimit * kRate)) {
        return false;
    }
    for (const auto& p : ports_) {
        if (p.modem->busy()) {
            return true;
        }
    }
    return false;
}

int Simulator::runReference() {
    TerminalConfig sendConfig = terminalConfig();
    sendConfig.txFile = options_.inFile;
    TerminalConfig receiveConfig = terminalConfig();
    receiveConfig.rxFile = options_.outFile;
    receiveConfig.ident = "PARVEX REFERENCE";
    FaxTerminal sender(true, sendConfig);
    FaxTerminal receiver(false, receiveConfig);
    callWallStart_ = std::chrono::steady_clock::now();
    event("reference call: " + options_.inFile + " -> " + options_.outFile);
    {
        AudioLine line(sender, receiver, options_.conditions.snr, AudioLine::kDefaultDelay,
                       options_.noiseSeed);
        // Unpaced unless a speed is given: both ends count samples, not seconds.
        const double limitSeconds = options_.timeout > 0 ? options_.timeout : 3600.0;
        auto deadline = std::chrono::steady_clock::now();
        while (!(sender.finished() && receiver.finished()) && !gStopRequested) {
            if (options_.speed > 0) {
                if (wallSeconds() > limitSeconds) {
                    break;
                }
                deadline += std::chrono::microseconds(
                    static_cast<int64_t>(1e6 * kBlock / (kRate * options_.speed)));
                std::this_thread::sleep_until(deadline);
            } else if (lineSeconds() > limitSeconds) {
                break;
            }
            line.step(kBlock);
            sample_ += kBlock;
        }
    }
    sender.terminate();
    receiver.terminate();
    CallReport report = receiver.report();
    if (!receiver.finished()) {
        report.completionText = "the reference call did not finish";
    }
    finishReport(report, "reference call over", 0);
    double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - callWallStart_).count();
    std::cout << "reference: " << report.pages << " page(s), line time " << lineSeconds()
              << " s, wall time " << wall << " s, " << lineSeconds() / std::max(wall, 1e-6)
              << " times real time" << std::endl;
    return report.succeeded() && sender.report().succeeded() ? 0 : 1;
}

double Simulator::wallSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart_).count();
}

int Simulator::run() {
    if (options_.mode == SimMode::Reference) {
        return runReference();
    }
    openPorts();
    if (options_.mode == SimMode::Demo) {
        inbox_ = std::make_unique<DemoInbox>(options_.inbox);
        event("demo line: faxes to any number are kept in " + inbox_->dir());
    }
    if (options_.mode == SimMode::RemoteSend) {
        after(options_.ringAfter, [this]() { startIncomingCall(); });
    }
    const auto period =
        std::chrono::microseconds(static_cast<int64_t>(1e6 * kBlock / (kRate * options_.speed)));
    auto deadline = std::chrono::steady_clock::now() + period;
    while (!gStopRequested) {
        if (options_.timeout > 0 && wallSeconds() > options_.timeout) {
            event("time-out");
            break;
        }
        if (lingering_ && sample_ >= lingerUntil_ && !modemsBusy()) {
            break;
        }
        std::vector<pollfd> fds;
        for (auto& p : ports_) {
            if (p.pty->isOpen()) {
                short want = p.modem->acceptsDteData() ? POLLIN : 0;
                if (p.pty->hasPendingOutput()) {
                    want |= POLLOUT;
                }
                fds.push_back(pollfd{p.pty->fd(), want, 0});
            }
        }
        auto now = std::chrono::steady_clock::now();
        if (!lineNeedsRealTime()) {
            deadline = now;
        }
        int waitMs = 0;
        if (deadline > now) {
            waitMs = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1);
        }
        if (poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR) {
            throw std::runtime_error("poll failed");
        }
        pumpDte();
        now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            tick();
            deadline += period;
            // A stalled process does not make the line rush to catch up.
            if (now - deadline > std::chrono::milliseconds(200)) {
                deadline = now + period;
            }
        }
    }
    if (call_.state == CallState::Connected) {
        endCall(gStopRequested ? "stopped" : "time-out", false);
    }
    for (auto& p : ports_) {
        p.pty->close();
    }
    if (options_.mode == SimMode::Demo) {
        return callsFailed_ == 0 ? 0 : 1;
    }
    if (callsDone_ == 0) {
        event("no call completed");
        return 1;
    }
    return callsFailed_ == 0 ? 0 : 1;
}

}  // namespace px
