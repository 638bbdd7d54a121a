// A fax component whose session is a stand-in for the engine: the test sets
// the session records and sends the status reports the engine would, and a
// user abort reaches the session through the same line as in a real call.
#pragma once

#include <memory>

#include "../../comms/fake_dispatcher.h"
#include "comms/px_clock.h"
#include "fax/engine/px_dispatcher_fax_line.h"
#include "fax/engine/px_fax_session.h"

namespace px::test {

class FakeSession : public TPxFaxSession {
public:
    using TPxFaxSession::TPxFaxSession;
    int aborts = 0;

    void report(bool first = false, bool last = false) { reportStatus(first, last); }
    void log(int code) { reportLog(code); }

protected:
    bool prepare() override { return true; }
    void step(TFaxEvent) override {}
    // As the machines do on a user abort: a last report, then the finish.
    void enterAbort() override {
        ++aborts;
        reportLog(lfaxTransmitFail);
        reportStatus(false, true);
        reportFinish();
    }
};

template <class Fax>
class FakeSessionFax : public Fax {
public:
    FakeSessionFax() : dispatcher_(clock_) { dispatcher_.open(8192); }
    ~FakeSessionFax() override {
        this->setStatusDisplay(nullptr);
        if (this->line_) {
            this->line_->detach();
        }
    }

    // A running session, as after BeginSending / BeginReceiving.
    FakeSession& startSession() {
        if (this->line_) {
            this->line_->detach();
        }
        this->line_ = std::make_unique<TPxDispatcherFaxLine>(dispatcher_);
        auto session = std::make_unique<FakeSession>(*this->line_, *this);
        FakeSession& s = *session;
        this->session_ = std::move(session);
        this->applySettings(s);
        this->line_->attach(s);
        this->line_->start();
        return s;
    }
    FakeSession& session() { return static_cast<FakeSession&>(*this->session_); }

private:
    TPxManualClock clock_;
    FakeDispatcher dispatcher_;
};

}  // namespace px::test
