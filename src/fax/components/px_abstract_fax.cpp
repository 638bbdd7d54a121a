#include "fax/components/px_abstract_fax.h"

#include "comms/px_clock.h"
#include "comms/px_error_text.h"
#include "fax/components/px_fax_log.h"
#include "fax/engine/px_fax_strings.h"

namespace px {

namespace {
// How long the engine waits for the application to take one of its messages.
constexpr int kFaxMessageTimeoutMs = 1000;
}  // namespace

TPxAbstractFax::TPxAbstractFax() = default;

TPxAbstractFax::~TPxAbstractFax() {
    setDestroying();
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

void TPxAbstractFax::applySettings(TPxFaxSession& s) const {
    s.faxClass = FaxClass;
    s.stationId = StationID.substr(0, 20);
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

void TPxAbstractFax::beginSession(const SessionMaker& make) {
    if (port_ == nullptr) {
        raiseError(ecPortNotAssigned);
    }
    if (port_->OutSize() < 8192) {
        raiseError(ecOutputBufferTooSmall);
    }
    if (Running()) {
        raiseError(ecFaxSessionError);
    }
    TPxPosixDispatcher& dispatcher = port_->Dispatcher();
    {
        std::lock_guard lock(mutex_);
        if (line_) {
            line_->detach();
        }
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

void TPxAbstractFax::deliver(const std::function<void()>& fn) {
    if (port_ == nullptr) {
        fn();
        return;
    }
    port_->eventLoop().send(fn, kFaxMessageTimeoutMs);
}

void TPxAbstractFax::status(bool first, bool last) {
    deliver([&] {
        if (OnFaxStatus) {
            OnFaxStatus(*this, first, last);
        }
    });
}

void TPxAbstractFax::log(int logCode) {
    deliver([&] {
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

void TPxAbstractFax::error(int code) {
    lastError_ = code;
    deliver([&] {
        if (OnFaxError) {
            OnFaxError(*this, code);
        }
    });
}

void TPxAbstractFax::finish(int code) {
    if (session_) {
        modem_ = session_->modem;
        detected_ |= session_->detectedClasses;
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

bool TPxAbstractFax::Running() const {
    std::lock_guard lock(mutex_);
    return session_ && !session_->finished() && line_;
}

std::string TPxAbstractFax::ProgressText(int code) {
    return faxProgressText(code);
}

int TPxAbstractFax::ProgressCode() const {
    return session_ ? session_->progress : 0;
}
std::string TPxAbstractFax::RemoteStationID() const {
    return session_ ? session_->remoteId : std::string();
}
int TPxAbstractFax::PageNumber() const {
    return session_ ? session_->currentPage : 0;
}
int TPxAbstractFax::PageCount() const {
    return session_ ? session_->totalPages : 0;
}
uint32_t TPxAbstractFax::PageBytes() const {
    return session_ ? session_->pageLength : 0;
}
uint32_t TPxAbstractFax::BytesDone() const {
    return session_ ? session_->pageBytesSent : 0;
}
uint32_t TPxAbstractFax::NegotiatedBPS() const {
    return session_ ? class1Speed(session_->modem.speedIndex).bps : 0;
}
bool TPxAbstractFax::NegotiatedFine() const {
    return session_ && session_->modem.fine;
}
bool TPxAbstractFax::NegotiatedWide() const {
    return session_ && session_->modem.wide;
}
bool TPxAbstractFax::NegotiatedECM() const {
    return session_ && session_->modem.negotiatedEcm;
}
int TPxAbstractFax::RemoteHangupCode() const {
    return session_ ? session_->modem.hangupCode : 0;
}

}  // namespace px
