#include "class1_modem.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace px {

Class1Modem::Class1Modem(PtyPort& port, LineListener& listener, bool verbose)
    : port_(port), listener_(listener) {
    t31_ = t31_init(nullptr, &Class1Modem::atOutput, this, &Class1Modem::modemControl, this,
                    nullptr, nullptr);
    if (t31_ == nullptr) {
        throw std::runtime_error("cannot create the Class 1 modem");
    }
    t31_set_transmit_on_idle(t31_, 1);
    logging_state_t* log = t31_get_logging_state(t31_);
    span_log_set_sample_rate(log, 8000);
    span_log_set_tag(log, port.name().c_str());
    span_log_set_level(log, verbose ? SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_TAG |
                                          SPAN_LOG_SHOW_SAMPLE_TIME | SPAN_LOG_FLOW
                                    : SPAN_LOG_NONE);
}

Class1Modem::~Class1Modem() {
    t31_free(t31_);
}

int Class1Modem::atOutput(at_state_t* /*s*/, void* user, const uint8_t* buf, size_t len) {
    auto* self = static_cast<Class1Modem*>(user);
    if (!self->silenced_) {
        self->port_.write(buf, len);
    }
    return static_cast<int>(len);
}

int Class1Modem::modemControl(t31_state_t* /*s*/, void* user, int op, const char* num) {
    auto* self = static_cast<Class1Modem*>(user);
    switch (op) {
        case AT_MODEM_CONTROL_CALL:
            // Only the dial operation passes text; the others pass a number.
            self->listener_.onDial(*self, num != nullptr ? num : "");
            break;
        case AT_MODEM_CONTROL_ANSWER:
            self->listener_.onAnswer(*self);
            break;
        case AT_MODEM_CONTROL_HANGUP:
        case AT_MODEM_CONTROL_ONHOOK:
            self->listener_.onHangup(*self);
            break;
        case AT_MODEM_CONTROL_CTS:
            // The emulation's transmit buffer is filling (off) or has room
            // again (on); holding back the DTE's bytes stands in for RTS/CTS.
            self->cts_ = reinterpret_cast<intptr_t>(num) != 0;
            break;
        default:
            break;
    }
    return 0;
}

void Class1Modem::fromDte(const uint8_t* data, std::size_t len) {
    if (silenced_) {
        return;
    }
    meter_.fromDte(data, len);
    t31_at_rx(t31_, reinterpret_cast<const char*>(data), static_cast<int>(len));
}

void Class1Modem::ring() {
    t31_call_event(t31_, AT_CALL_EVENT_ALERTING);
}

void Class1Modem::callConnected() {
    meter_.reset();
    t31_call_event(t31_, AT_CALL_EVENT_CONNECTED);
}

void Class1Modem::callAnswered() {
    meter_.reset();
    t31_call_event(t31_, AT_CALL_EVENT_ANSWERED);
}

void Class1Modem::callFailed(CallFailure failure) {
    switch (failure) {
        case CallFailure::Busy:
            t31_call_event(t31_, AT_CALL_EVENT_BUSY);
            break;
        case CallFailure::NoDialTone:
            t31_call_event(t31_, AT_CALL_EVENT_NO_DIALTONE);
            break;
        case CallFailure::NoAnswer:
            t31_call_event(t31_, AT_CALL_EVENT_NO_ANSWER);
            break;
        case CallFailure::Voice:
        case CallFailure::DataModem:
            // A Class 1 DTE listens to the line itself: it is connected.
            t31_call_event(t31_, AT_CALL_EVENT_CONNECTED);
            break;
    }
}

void Class1Modem::lineDropped() {
    t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
}

void Class1Modem::idle(int samples) {
    std::vector<int16_t> buf(static_cast<std::size_t>(samples));
    t31_tx(t31_, buf.data(), samples);
    std::fill(buf.begin(), buf.end(), 0);
    t31_rx(t31_, buf.data(), samples);
}

void Class1Modem::transmit(int16_t* amp, int len) {
    int made = t31_tx(t31_, amp, len);
    std::fill(amp + std::max(made, 0), amp + len, 0);
}

void Class1Modem::receive(int16_t* amp, int len) {
    gate_.apply(amp, len);
    t31_rx(t31_, amp, len);
}

}  // namespace px
