// A Class 1 fax modem: spandsp's T.31 emulation behind a pseudo-terminal.
#pragma once

#include <spandsp.h>

#include <string>

#include "carrier_gate.h"
#include "pty_port.h"
#include "scan_line_meter.h"
#include "sim_modem.h"

namespace px {

class Class1Modem : public SimModem {
public:
    Class1Modem(PtyPort& port, LineListener& listener, bool verbose);
    ~Class1Modem() override;
    Class1Modem(const Class1Modem&) = delete;
    Class1Modem& operator=(const Class1Modem&) = delete;

    void fromDte(const uint8_t* data, std::size_t len) override;
    bool acceptsDteData() const override { return cts_ && !silenced_; }
    void ring() override;
    void callConnected() override;
    void callAnswered() override;
    void callFailed(CallFailure failure) override;
    void lineDropped() override;
    void idle(int samples) override;
    void silence() override { silenced_ = true; }
    const std::string& name() const override { return port_.name(); }

    double shortestPageLineMs() const override { return meter_.shortestLineMs(); }

    void transmit(int16_t* amp, int len) override;
    void receive(int16_t* amp, int len) override;

private:
    static int atOutput(at_state_t* s, void* user, const uint8_t* buf, size_t len);
    static int modemControl(t31_state_t* s, void* user, int op, const char* num);

    PtyPort& port_;
    LineListener& listener_;
    t31_state_t* t31_ = nullptr;
    bool cts_ = true;
    bool silenced_ = false;
    CarrierGate gate_;
    ScanLineMeter meter_;
};

}  // namespace px
