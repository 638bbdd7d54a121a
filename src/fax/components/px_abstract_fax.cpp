#include "fax/components/px_abstract_fax.h"

#include <chrono>
#include <future>

#include "comms/px_clock.h"
#include "comms/px_error_text.h"
#include "fax/components/px_abstract_fax_status.h"
#include "fax/components/px_fax_log.h"
#include "fax/engine/px_fax_strings.h"
#include "fax/engine/px_station_id.h"

namespace px {

namespace {
// How long the engine waits for the application to take one of its messages.
constexpr int kFaxMessageTimeoutMs = 1000;
// How often the caller's events run while a detection waits for the modem.
constexpr auto kDetectionPoll = std::chrono::milliseconds(10);

// A session that only talks to the modem through its helpers: it never runs
// a machine of its own.
class TPxModemQuery : public TPxFaxSession {
public:
    using TPxFaxSession::TPxFaxSession;

protected:
    bool prepare() override { return false; }
    void step(TFaxEvent) override {}
    void enterAbort() override {}
};

// Reports of the detection session go nowhere: it has no progress to show.
class TPxSilentClient : public TPxFaxClient {
public:
    TFaxNextAnswer nextFax(TPxFaxJob&) override { return TFaxNextAnswer::NoMore; }
    void status(bool, bool) override {}
    void log(int) override {}
    std::string fileName() override { return {}; }
    bool accept() override { return false; }
    void error(ErrorCode) override {}
    void finish(ErrorCode) override {}
};
}  // namespace

TPxAbstractFax::TPxAbstractFax() = default;

TPxAbstractFax::~TPxAbstractFax() {
    setDestroying();
    setStatusDisplay(nullptr);
    if (line_) {
        line_->detach();
    }
}

void TPxAbstractFax::setComPort(TPxComPort* port) {
    port_ = port;
    if (port == nullptr || loading()) {
        return;
    }
    port->setDataBits(8);
    port->setStopBits(1);
    port->setParity(pNone);
    port->setBaud(19200);
    port->setInSize(8192);
    port->setOutSize(8192);
    port->setHWFlowOptions({hwfUseRTS, hwfRequireCTS});
}

void TPxAbstractFax::setStatusDisplay(TPxAbstractFaxStatus* display) {
    if (display == statusDisplay_) {
        return;
    }
    if (statusDisplay_ != nullptr) {
        TPxAbstractFaxStatus* old = statusDisplay_;
        statusDisplay_ = nullptr;
        old->setFax(nullptr);
    }
    statusDisplay_ = display;
    if (display != nullptr) {
        display->setFax(this);
    }
}

void TPxAbstractFax::applySettings(TPxFaxSession& s) const {
    s.faxClass = FaxClass;
    // Detection runs once per component: later sessions use what it found
    // instead of asking the modem again.
    const bool detect = FaxClass == TFaxClass::fcDetect || FaxClass == TFaxClass::fcUnknown;
    const uint32_t found = detected_;
    if (detect && found != 0) {
        s.faxClass = (found & kDetectedClass2_0) != 0 ? TFaxClass::fcClass2_0
                     : (found & kDetectedClass2) != 0 ? TFaxClass::fcClass2
                                                      : TFaxClass::fcClass1;
        s.detectedClasses = found;
    }
    s.stationId = sendableStationId(StationID);
    s.statusInterval = StatusInterval;
    s.options = (AbortNoConnect ? afAbortNoConnect : 0u) | (ExitOnError ? afExitOnError : 0u) |
                (SoftwareFlow ? afSoftwareFlow : 0u);
    s.faxFileExt = FaxFileExt;
    s.modem = modem_;
    s.modem.desiredBps = DesiredBPS;
    s.modem.ecm = DesiredECM ? '1' : '0';
    s.modem.initBaud = InitBaud;
    s.modem.normalBaud = NormalBaud;
    s.modem.userInit = modemInit_;
}

void TPxAbstractFax::checkPort() const {
    if (port_ == nullptr) {
        raiseError(ecPortNotAssigned);
    }
    if (port_->DeviceLayer() == dlWinsock) {
        raiseError(ecCannotUseWithWinSock);
    }
    if (port_->OutSize() < 8192) {
        raiseError(ecOutputBufferTooSmall);
    }
}

uint32_t TPxAbstractFax::DetectFaxClasses() {
    checkPort();
    if (Running()) {
        raiseError(ecFaxSessionError);
    }
    TPxDispatcherFaxLine line(port_->Dispatcher());
    TPxSilentClient client;
    TPxModemQuery query(line, client);
    query.modem = modem_;
    query.modem.initBaud = InitBaud;
    query.modem.normalBaud = NormalBaud;
    // The modem talk waits on the line; the caller's thread keeps delivering
    // the port's events (and repainting its windows) meanwhile.
    auto asked = std::async(std::launch::async, [&query] {
        query.detectClass();
        return query.detectedClasses;
    });
    while (asked.wait_for(kDetectionPoll) != std::future_status::ready) {
        port_->eventLoop().processEvents();
    }
    detected_ = asked.get();
    return detected_;
}

void TPxAbstractFax::beginSession(const SessionMaker& make) {
    checkPort();
    if (Running()) {
        raiseError(ecFaxSessionError);
    }
    TPxPosixDispatcher& dispatcher = port_->Dispatcher();
    std::unique_ptr<TPxDispatcherFaxLine> previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(line_);
    }
    // Detached outside mutex_, and before the previous session goes: a call
    // the dispatch thread is making into it returns first.
    if (previous) {
        previous->detach();
    }
    {
        std::lock_guard lock(mutex_);
        line_ = std::make_unique<TPxDispatcherFaxLine>(dispatcher);
        session_ = make(*line_);
        applySettings(*session_);
        lastError_ = 0;
    }
    int rc = line_->attach(*session_);
    if (rc != ecOK) {
        lastError_ = rc;
        error(rc);
        finish(rc);
        return;
    }
    line_->start();
}

bool TPxAbstractFax::deliver(std::function<void()> fn) {
    if (port_ == nullptr) {
        fn();
        return true;
    }
    return port_->eventLoop().send(std::move(fn), kFaxMessageTimeoutMs);
}

// The calls below may still run after the engine has stopped waiting for
// them: they hold copies of what they need, never references into the
// dispatch thread's frames.
void TPxAbstractFax::status(bool first, bool last) {
    deliver([this, first, last] {
        if (statusDisplay_ != nullptr) {
            statusDisplay_->UpdateDisplay(first, last);
        }
        if (OnFaxStatus) {
            OnFaxStatus(*this, first, last);
        }
    });
}

void TPxAbstractFax::log(int logCode) {
    // A user abort stores its code (-6005) in the session without an error
    // report; the history line of a failed fax names it. The session calls
    // this from the thread it runs on, so its record is read as it stands.
    if (session_ && session_->errorCode != 0) {
        lastError_ = session_->errorCode;
    }
    deliver([this, logCode] {
        if (FaxLog != nullptr) {
            FaxLog->UpdateLog(*this, logCode);
        }
        if (OnFaxLog) {
            OnFaxLog(*this, logCode);
        }
        if (logCode == lfaxReceiveOk || logCode == lfaxReceiveSkip || logCode == lfaxReceiveFail) {
            FaxFile.clear();
        }
    });
}

// error() and finish() run in the dispatch thread while it holds the line,
// which AbortFax takes under mutex_: they must not wait for mutex_.
void TPxAbstractFax::error(int code) {
    lastError_ = code;
    deliver([this, code] {
        if (OnFaxError) {
            OnFaxError(*this, code);
        }
    });
}

void TPxAbstractFax::finish(int code) {
    // The running session's record stays in place until the next start,
    // which waits for this finish.
    if (session_) {
        modem_ = session_->modem;
        if (session_->detectedClasses != 0) {
            detected_ = session_->detectedClasses;
        }
    }
    // Posted: the machine that reports its end must not wait for the handler.
    auto run = [this, code] { finished(code); };
    if (port_ != nullptr) {
        port_->eventLoop().postCall(run);
    } else {
        run();
    }
}

void TPxAbstractFax::finished(int code) {
    if (line_) {
        line_->detach();
    }
    if (OnFaxFinish) {
        OnFaxFinish(*this, code);
    }
}

void TPxAbstractFax::AbortFax() {
    std::lock_guard lock(mutex_);
    if (line_ && session_ && !session_->finished()) {
        line_->abort();
    }
}

void TPxAbstractFax::ReleaseLine() {
    std::unique_ptr<TPxDispatcherFaxLine> line;
    {
        std::lock_guard lock(mutex_);
        line = std::move(line_);
    }
    // Detached outside mutex_: a handler that runs now may be reporting to
    // this component, and its report reads values under mutex_.
    if (line) {
        line->detach();
    }
}

bool TPxAbstractFax::Running() const {
    std::lock_guard lock(mutex_);
    return session_ && !session_->finished() && line_;
}

std::string TPxAbstractFax::ProgressText(int code) {
    return faxProgressText(code);
}

int TPxAbstractFax::ProgressCode() const {
    return sessionValue([](const TPxFaxSession& s) { return s.progress; }, 0);
}
std::string TPxAbstractFax::RemoteStationID() const {
    return sessionValue([](const TPxFaxSession& s) { return s.remoteId; }, std::string());
}
std::string TPxAbstractFax::CurrentFaxFile() const {
    return sessionValue([](const TPxFaxSession& s) { return s.faxFile; }, FaxFile);
}
std::string TPxAbstractFax::CurrentCoverFile() const {
    return sessionValue([](const TPxFaxSession& s) { return s.coverFile; }, std::string());
}
int TPxAbstractFax::PageNumber() const {
    return sessionValue([](const TPxFaxSession& s) { return s.currentPage; }, 0);
}
int TPxAbstractFax::PageCount() const {
    return sessionValue([](const TPxFaxSession& s) { return s.totalPages; }, 0);
}
uint32_t TPxAbstractFax::PageBytes() const {
    return sessionValue([](const TPxFaxSession& s) { return s.pageLength; }, 0u);
}
uint32_t TPxAbstractFax::BytesDone() const {
    return sessionValue([](const TPxFaxSession& s) { return s.pageBytesSent; }, 0u);
}
uint32_t TPxAbstractFax::NegotiatedBPS() const {
    return sessionValue([](const TPxFaxSession& s) { return class1Speed(s.modem.speedIndex).bps; },
                        0u);
}
bool TPxAbstractFax::NegotiatedFine() const {
    return sessionValue([](const TPxFaxSession& s) { return s.modem.fine; }, false);
}
bool TPxAbstractFax::NegotiatedWide() const {
    return sessionValue([](const TPxFaxSession& s) { return s.modem.wide; }, false);
}
bool TPxAbstractFax::NegotiatedECM() const {
    return sessionValue([](const TPxFaxSession& s) { return s.modem.negotiatedEcm; }, false);
}
int TPxAbstractFax::RemoteHangupCode() const {
    return sessionValue([](const TPxFaxSession& s) { return s.modem.hangupCode; }, 0);
}

}  // namespace px
