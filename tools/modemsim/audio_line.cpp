#include "audio_line.h"

#include <algorithm>
#include <cmath>

namespace px {

namespace {

// spandsp's fax modems transmit at about -14 dBm0.
constexpr double kFaxSignalDbm0 = -14.0;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

AudioLine::AudioLine(AudioEndpoint& a, AudioEndpoint& b, std::optional<double> snr,
                     int delaySamples, int noiseSeed)
    : a_(&a),
      b_(&b),
      pipeAtoB_(static_cast<std::size_t>(std::max(delaySamples, 0)), 0),
      pipeBtoA_(static_cast<std::size_t>(std::max(delaySamples, 0)), 0) {
    if (snr) {
        auto level = static_cast<float>(kFaxSignalDbm0 - *snr);
        noiseAtoB_ = awgn_init_dbm0(nullptr, 1234567 + 2 * noiseSeed, level);
        noiseBtoA_ = awgn_init_dbm0(nullptr, 7654321 + 2 * noiseSeed, level);
    }
}

AudioLine::~AudioLine() {
    if (noiseAtoB_ != nullptr) {
        awgn_free(noiseAtoB_);
    }
    if (noiseBtoA_ != nullptr) {
        awgn_free(noiseBtoA_);
    }
}

void AudioLine::addNoise(awgn_state_t* noise, std::vector<int16_t>& buf) const {
    if (noise == nullptr) {
        return;
    }
    for (auto& s : buf) {
        int v = s + awgn(noise);
        s = static_cast<int16_t>(std::clamp(v, -32768, 32767));
    }
}

void AudioLine::delay(std::deque<int16_t>& pipe, std::vector<int16_t>& buf) {
    if (pipe.empty()) {
        return;
    }
    pipe.insert(pipe.end(), buf.begin(), buf.end());
    std::copy_n(pipe.begin(), buf.size(), buf.begin());
    pipe.erase(pipe.begin(), pipe.begin() + static_cast<std::ptrdiff_t>(buf.size()));
}

void AudioLine::step(int samples) {
    bufA_.assign(static_cast<std::size_t>(samples), 0);
    bufB_.assign(static_cast<std::size_t>(samples), 0);
    a_->transmit(bufA_.data(), samples);
    b_->transmit(bufB_.data(), samples);
    addNoise(noiseAtoB_, bufA_);
    addNoise(noiseBtoA_, bufB_);
    delay(pipeAtoB_, bufA_);
    delay(pipeBtoA_, bufB_);
    b_->receive(bufA_.data(), samples);
    a_->receive(bufB_.data(), samples);
}

void ToneSource::transmit(int16_t* amp, int len) {
    for (int i = 0; i < len; ++i, ++sample_) {
        double t = static_cast<double>(sample_) / 8000.0;
        double v = 0;
        if (kind_ == Kind::Voice) {
            // Syllables: 300 ms of a gliding vowel-like mix, 200 ms pause.
            long phase = sample_ % 4000;
            if (phase < 2400) {
                double f = 180.0 + 40.0 * std::sin(2 * kPi * 3 * t);
                v = 0.5 * std::sin(2 * kPi * f * t) + 0.3 * std::sin(2 * kPi * 2.7 * f * t);
            }
        } else {
            // V.25 answer tone, then the answering data modem's carrier.
            double f = t < 3.3 ? 2100.0 : 2250.0;
            v = 0.7 * std::sin(2 * kPi * f * t);
        }
        amp[i] = static_cast<int16_t>(v * 6000.0);
    }
}

}  // namespace px
