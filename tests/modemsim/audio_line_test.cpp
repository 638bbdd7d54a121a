#include "audio_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace px {
namespace {

// Emits a ramp 1, 2, 3, ... and records what it hears.
class RampEnd : public AudioEndpoint {
public:
    void transmit(int16_t* amp, int len) override {
        for (int i = 0; i < len; ++i) {
            amp[i] = static_cast<int16_t>(++next_ % 30000);
        }
    }
    void receive(int16_t* amp, int len) override { heard.insert(heard.end(), amp, amp + len); }
    std::vector<int16_t> heard;

private:
    int next_ = 0;
};

class SilentEnd : public AudioEndpoint {
public:
    void transmit(int16_t* amp, int len) override { std::fill(amp, amp + len, 0); }
    void receive(int16_t* amp, int len) override { heard.insert(heard.end(), amp, amp + len); }
    std::vector<int16_t> heard;
};

TEST(AudioLine, CarriesEachEndToTheOtherAfterThePropagationDelay) {
    RampEnd a;
    RampEnd b;
    AudioLine line(a, b, std::nullopt, 100);
    for (int i = 0; i < 5; ++i) {
        line.step(160);
    }
    ASSERT_EQ(b.heard.size(), 800u);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(b.heard[static_cast<std::size_t>(i)], 0) << i;
    }
    for (int i = 100; i < 800; ++i) {
        ASSERT_EQ(b.heard[static_cast<std::size_t>(i)], i - 99) << i;
        ASSERT_EQ(a.heard[static_cast<std::size_t>(i)], i - 99) << i;
    }
}

double rms(const std::vector<int16_t>& v) {
    double sum = 0;
    for (int16_t s : v) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(v.size()));
}

TEST(AudioLine, NoiseFollowsTheSignalToNoiseRatio) {
    SilentEnd a10, b10, a30, b30;
    AudioLine noisy(a10, b10, 10.0, 0);
    AudioLine quiet(a30, b30, 30.0, 0);
    for (int i = 0; i < 100; ++i) {
        noisy.step(160);
        quiet.step(160);
    }
    double db = 20 * std::log10(rms(b10.heard) / rms(b30.heard));
    EXPECT_NEAR(db, 20.0, 1.0);
    EXPECT_GT(rms(a10.heard), 0.0);
}

TEST(ToneSource, DataModemAnswersWith2100Hz) {
    ToneSource tones(ToneSource::Kind::DataModem);
    std::vector<int16_t> second(8000);
    tones.transmit(second.data(), 8000);
    int crossings = 0;
    for (std::size_t i = 1; i < second.size(); ++i) {
        crossings += (second[i - 1] < 0) != (second[i] < 0);
    }
    EXPECT_NEAR(crossings, 4200, 10);
}

}  // namespace
}  // namespace px
