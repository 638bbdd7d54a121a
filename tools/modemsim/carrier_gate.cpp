#include "carrier_gate.h"

#include <algorithm>

namespace px {

void CarrierGate::apply(int16_t* amp, int len) {
    constexpr double kOpenPower = kOpenRms * kOpenRms;
    for (int at = 0; at < len; at += kWindow) {
        const int n = std::min(kWindow, len - at);
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            sum += static_cast<double>(amp[at + i]) * amp[at + i];
        }
        if (sum / n >= kOpenPower) {
            open_ = true;
            quiet_ = 0;
        } else if (open_ && ++quiet_ >= kHangover) {
            open_ = false;
        }
        if (!open_) {
            std::fill(amp + at, amp + at + n, 0);
        }
    }
}

}  // namespace px
