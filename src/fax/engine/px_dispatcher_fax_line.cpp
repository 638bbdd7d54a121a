#include "fax/engine/px_dispatcher_fax_line.h"

#include "comms/px_dispatch_log.h"
#include "comms/px_dispatch_types.h"
#include "fax/engine/px_fax_session.h"
#include "fax/engine/px_fax_timing.h"

namespace px {

namespace {
// Software flow control during page data: XOFF when the receive ring holds
// this much, XON again when it is down to the other.
constexpr uint32_t kFlowFullLevel = 6144;
constexpr uint32_t kFlowResumeLevel = 2048;
// The dispatcher's slot that holds a fax session's record.
constexpr int kFaxSessionSlot = 2;
}  // namespace

TPxDispatcherFaxLine::TPxDispatcherFaxLine(TPxBaseDispatcher& dispatcher) : d_(dispatcher) {}

TPxDispatcherFaxLine::~TPxDispatcherFaxLine() {
    detach();
}

ErrorCode TPxDispatcherFaxLine::attach(TPxFaxSession& session) {
    d_.setAvailLevel(1);
    responseTimer_ = d_.newTimerTrigger();
    statusTimer_ = d_.newTimerTrigger();
    outFree_ = d_.newStatusTrigger(stOutFree);
    outUsed_ = d_.newStatusTrigger(stOutUsed);
    modemStatus_ = d_.newStatusTrigger(stModem);
    if (responseTimer_ <= 0 || statusTimer_ <= 0 || outFree_ <= 0 || outUsed_ <= 0 ||
        modemStatus_ <= 0) {
        detach();
        return ecNoMoreTriggers;
    }
    session_ = &session;
    d_.attachSessionSlot(kFaxSessionSlot, &session);
    d_.addMethodHandler(&TPxDispatcherFaxLine::onTrigger, this, false);
    return ecOK;
}

void TPxDispatcherFaxLine::detach() {
    if (session_ != nullptr) {
        d_.removeMethodHandler(&TPxDispatcherFaxLine::onTrigger, this);
        d_.attachSessionSlot(kFaxSessionSlot, nullptr);
    }
    std::lock_guard lock(mutex_);
    for (int32_t* h : {&responseTimer_, &statusTimer_, &outFree_, &outUsed_, &modemStatus_}) {
        if (*h > 0) {
            d_.dropTrigger(*h);
        }
        *h = 0;
    }
    session_ = nullptr;
}

ErrorCode TPxDispatcherFaxLine::start() {
    std::lock_guard lock(mutex_);
    return session_ != nullptr ? session_->start() : ecInternal;
}

void TPxDispatcherFaxLine::abort() {
    std::lock_guard lock(mutex_);
    if (session_ != nullptr) {
        session_->handleEvent(TFaxEvent::Abort);
    }
}

void TPxDispatcherFaxLine::onTrigger(void* data, uint32_t msg, uint32_t wParam, uint32_t) {
    static_cast<TPxDispatcherFaxLine*>(data)->deliver(msg, wParam);
}

void TPxDispatcherFaxLine::deliver(uint32_t msg, uint32_t wParam) {
    std::lock_guard lock(mutex_);
    if (session_ == nullptr || suspended_) {
        return;
    }
    const auto handle = static_cast<int32_t>(wParam);
    TFaxEvent event;
    if (msg == kMsgTriggerAvail || msg == kMsgTriggerData) {
        event = TFaxEvent::Data;
    } else if (msg == kMsgTriggerTimer && handle == responseTimer_) {
        event = TFaxEvent::ResponseTimer;
    } else if (msg == kMsgTriggerTimer && handle == statusTimer_) {
        event = TFaxEvent::StatusTimer;
    } else if (msg == kMsgTriggerStatus && handle == outFree_) {
        event = TFaxEvent::OutputFree;
    } else if (msg == kMsgTriggerStatus && handle == outUsed_) {
        event = TFaxEvent::OutputUsed;
    } else {
        return;  // not one of this session's
    }
    session_->handleEvent(event);
}

ErrorCode TPxDispatcherFaxLine::write(const uint8_t* data, size_t size) {
    return d_.writeBlock(data, static_cast<uint32_t>(size));
}

void TPxDispatcherFaxLine::setSoftwareFlow(bool transmit, bool receive) {
    if (!transmit && !receive) {
        d_.clearSoftwareFlow();
        return;
    }
    d_.setSoftwareFlow(kFlowFullLevel, kFlowResumeLevel,
                       (transmit ? sfTransmitFlow : 0) | (receive ? sfReceiveFlow : 0));
}

void TPxDispatcherFaxLine::armResponseTimer(int32_t ticks) {
    if (responseTimer_ > 0) {
        d_.armTimerTrigger(responseTimer_, ticks > 0 ? ticks : 0, ticks > 0);
    }
}

void TPxDispatcherFaxLine::armStatusTimer(int32_t ticks) {
    if (statusTimer_ > 0) {
        d_.armTimerTrigger(statusTimer_, ticks > 0 ? ticks : 0, ticks > 0);
    }
}

void TPxDispatcherFaxLine::armOutputFree(uint32_t bytes) {
    if (outFree_ > 0) {
        d_.armStatusTrigger(outFree_, bytes, true);
    }
}

void TPxDispatcherFaxLine::armOutputUsed(uint32_t bytes) {
    if (outUsed_ > 0) {
        d_.armStatusTrigger(outUsed_, bytes, true);
    }
}

void TPxDispatcherFaxLine::disarmAll() {
    armResponseTimer(kTimerOff);
    armStatusTimer(kTimerOff);
    if (outFree_ > 0) {
        d_.armStatusTrigger(outFree_, 0, false);
    }
    if (outUsed_ > 0) {
        d_.armStatusTrigger(outUsed_, 0, false);
    }
}

void TPxDispatcherFaxLine::suspendEvents(bool on) {
    // Trigger handlers must not take the bytes a blocking read is looking at.
    if (on && !suspended_) {
        previousDispatching_ = d_.setDispatching(true);
    } else if (!on && suspended_) {
        d_.setDispatching(previousDispatching_);
    }
    suspended_ = on;
}

void TPxDispatcherFaxLine::logState(uint8_t subtype, const char* /*label*/) {
    // The log prints the state's name from its subtype; the value is what
    // waits to be read.
    d_.addLogEntry(ltFax, subtype, d_.inputCount());
}

}  // namespace px
