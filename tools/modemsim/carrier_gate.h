// What a modem's receiver passes on to its demodulators: a carrier detector
// with a threshold well below the fax signal level and well above the noise
// floor of a usable line. Without it, spandsp's receivers take steady line
// noise for a carrier that never drops, and a T.31 modem then holds back the
// OK after a final HDLC frame for ever (it waits for the carrier to end).
#pragma once

#include <cstdint>

namespace px {

class CarrierGate {
public:
    // Replaces the samples with silence while no carrier is heard.
    void apply(int16_t* amp, int len);
    bool open() const { return open_; }

    // 5 ms sub-blocks: a carrier's start costs at most this much of its
    // preamble.
    static constexpr int kWindow = 40;
    // The gate closes after this many quiet windows (20 ms): the bits of a
    // frame's closing flag are never cut off.
    static constexpr int kHangover = 4;
    // -24 dBm0 as an RMS amplitude: 10 dB below the fax modems' -14 dBm0.
    static constexpr double kOpenRms = 714.0;

private:
    bool open_ = false;
    int quiet_ = 0;
};

}  // namespace px
