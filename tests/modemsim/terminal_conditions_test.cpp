// The far-end terminal's conditions and the carrier gate, on a line between
// two spandsp fax terminals run as fast as the machine allows.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "audio_line.h"
#include "carrier_gate.h"
#include "child_process.h"
#include "fax_terminal.h"
#include "tiff_pages.h"

namespace px {
namespace {

// A page of stripes, a few seconds long at any rate.
std::string writePage(const test::TempDir& dir, int pages = 1) {
    FaxPage page;
    page.height = 600;
    page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * page.height, 0);
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.rowBytes(); x += 3) {
            page.bits[static_cast<std::size_t>(y * page.rowBytes() + x)] =
                static_cast<uint8_t>(y * 7 + x);
        }
    }
    std::string path = dir / "send.tif";
    writeTiffPages(path, std::vector<FaxPage>(static_cast<std::size_t>(pages), page));
    return path;
}

struct Outcome {
    CallReport sender;
    CallReport receiver;
    bool receiverDropped = false;
    std::string dropReason;
    std::vector<uint8_t> answers;  // post-page answers and training answers the sender heard
};

Outcome call(const test::TempDir& dir, TerminalConfig far, std::optional<double> snr = {},
             int pages = 1) {
    TerminalConfig near;
    near.ident = "SENDER";
    near.txFile = writePage(dir, pages);
    far.rxFile = dir / "received.tif";
    FaxTerminal sender(true, near);
    FaxTerminal receiver(false, far);
    Outcome out;
    sender.setFrameHook([&](bool incoming, const uint8_t* msg, int len) {
        if (incoming && len >= 3) {
            uint8_t fcf = msg[2] & 0xFE;
            if (fcf == T30_CFR || fcf == T30_FTT || fcf == T30_MCF || fcf == T30_RTN) {
                out.answers.push_back(fcf);
            }
        }
    });
    {
        AudioLine line(sender, receiver, snr);
        // Ten minutes of line time at most.
        for (int n = 0; n < 600 * 50 && !(sender.finished() && receiver.finished()); ++n) {
            if (receiver.droppedLine() && !out.receiverDropped) {
                out.receiverDropped = true;
                out.dropReason = receiver.dropReason();
            }
            line.step(160);
        }
    }
    sender.terminate();
    receiver.terminate();
    out.sender = sender.report();
    out.receiver = receiver.report();
    return out;
}

TEST(TerminalConditions, RefusedTrainingStepsDownOneSpeedPerFtt) {
    test::TempDir dir;
    TerminalConfig far;
    far.trainFailures = 2;
    Outcome out = call(dir, far);
    EXPECT_EQ(out.receiver.completionCode, 0) << out.receiver.completionText;
    EXPECT_EQ(out.receiver.bitRate, 9600);
    EXPECT_EQ(out.receiver.pages, 1);
    EXPECT_EQ(out.answers, (std::vector<uint8_t>{T30_FTT, T30_FTT, T30_CFR, T30_MCF}));
}

TEST(TerminalConditions, RtnAnswersTheChosenPage) {
    test::TempDir dir;
    TerminalConfig far;
    far.rtnPage = 2;
    Outcome out = call(dir, far, std::nullopt, 2);
    ASSERT_GE(out.answers.size(), 3u);
    EXPECT_EQ(out.answers[1], T30_MCF);
    EXPECT_EQ(out.answers[2], T30_RTN);
}

TEST(TerminalConditions, HangupInPageDropsTheLineWhileThePageRuns) {
    test::TempDir dir;
    TerminalConfig far;
    far.hangupInPage = 2;
    Outcome out = call(dir, far, std::nullopt, 3);
    EXPECT_TRUE(out.receiverDropped);
    EXPECT_EQ(out.dropReason, "in page 2");
    // Page 1 was confirmed; page 2 never was.
    EXPECT_EQ(out.answers, (std::vector<uint8_t>{T30_CFR, T30_MCF}));
    EXPECT_NE(out.sender.completionCode, 0);
}

// Regression: steady noise kept spandsp's carrier detectors on for ever, so
// a frame's end was never noticed and the call stalled. (At 18 dB V.17 pages
// break up between these two terminals; our engine steps down instead.)
TEST(TerminalConditions, NoisyLineStillCompletes) {
    for (double snr : {24.0, 30.0}) {
        test::TempDir dir;
        Outcome out = call(dir, TerminalConfig{}, snr);
        EXPECT_EQ(out.receiver.completionCode, 0) << snr << ": " << out.receiver.completionText;
        EXPECT_EQ(out.receiver.pages, 1) << snr;
    }
}

double rmsOf(const std::vector<int16_t>& v) {
    double sum = 0;
    for (int16_t s : v) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(v.size()));
}

TEST(CarrierGate, SilencesNoiseAndPassesAFaxSignalWhole) {
    awgn_state_t* noise = awgn_init_dbm0(nullptr, 42, -32.0f);
    std::vector<int16_t> hiss(1600);
    for (auto& s : hiss) {
        s = awgn(noise);
    }
    awgn_free(noise);
    CarrierGate gate;
    std::vector<int16_t> heard = hiss;
    gate.apply(heard.data(), static_cast<int>(heard.size()));
    EXPECT_EQ(rmsOf(heard), 0.0);
    EXPECT_FALSE(gate.open());

    // A 1750 Hz tone at -14 dBm0 with the same noise on it.
    std::vector<int16_t> tone(1600);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] =
            static_cast<int16_t>(3200 * std::sin(2 * 3.14159265 * 1750 * i / 8000.0) + hiss[i]);
    }
    heard = tone;
    gate.apply(heard.data(), static_cast<int>(heard.size()));
    EXPECT_EQ(heard, tone);
    EXPECT_TRUE(gate.open());

    // The carrier's end: 20 ms pass on, then silence.
    heard = hiss;
    gate.apply(heard.data(), static_cast<int>(heard.size()));
    const int hangover = CarrierGate::kWindow * CarrierGate::kHangover;
    for (int i = 0; i < hangover - CarrierGate::kWindow; ++i) {
        ASSERT_EQ(heard[static_cast<std::size_t>(i)], hiss[static_cast<std::size_t>(i)]) << i;
    }
    for (std::size_t i = hangover; i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], 0) << i;
    }
}

}  // namespace
}  // namespace px
