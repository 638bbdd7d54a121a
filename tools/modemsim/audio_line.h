// The telephone line between two ends: each end's transmitted samples become
// the other end's received samples after the line's propagation delay, with
// white noise added when asked for.
#pragma once

#include <spandsp.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "audio_endpoint.h"

namespace px {

class AudioLine {
public:
    // `snr`: noise this many dB below the fax modems' transmit level.
    // `delaySamples`: one-way propagation delay. `noiseSeed` picks another
    // noise sequence, so that repeated calls meet different noise.
    AudioLine(AudioEndpoint& a, AudioEndpoint& b, std::optional<double> snr,
              int delaySamples = kDefaultDelay, int noiseSeed = 0);
    ~AudioLine();
    AudioLine(const AudioLine&) = delete;
    AudioLine& operator=(const AudioLine&) = delete;

    // Moves `samples` samples each way.
    void step(int samples);
    // 40 ms one way, a long-distance call. Without any delay two modems on the
    // line answer each other within the same audio block, faster than a DTE
    // can follow ("AT+FRS" after training would miss the answer).
    static constexpr int kDefaultDelay = 320;
    bool joins(const AudioEndpoint* end) const { return end == a_ || end == b_; }

private:
    void addNoise(awgn_state_t* noise, std::vector<int16_t>& buf) const;
    // Pushes `buf` into the delay line `pipe` and replaces it with what leaves.
    static void delay(std::deque<int16_t>& pipe, std::vector<int16_t>& buf);

    AudioEndpoint* a_;
    AudioEndpoint* b_;
    awgn_state_t* noiseAtoB_ = nullptr;
    awgn_state_t* noiseBtoA_ = nullptr;
    std::vector<int16_t> bufA_;
    std::vector<int16_t> bufB_;
    std::deque<int16_t> pipeAtoB_;
    std::deque<int16_t> pipeBtoA_;
};

// A far end that is not a fax machine: a person talking or a data modem's
// answer tones.
class ToneSource : public AudioEndpoint {
public:
    enum class Kind { Voice, DataModem };
    explicit ToneSource(Kind kind) : kind_(kind) {}
    void transmit(int16_t* amp, int len) override;
    void receive(int16_t* /*amp*/, int /*len*/) override {}

private:
    Kind kind_;
    long sample_ = 0;
};

}  // namespace px
