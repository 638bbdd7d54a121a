// Faults aimed at single HDLC frames of a call, so that a test can provoke
// each T.30 recovery on purpose: a damaged or lost frame of the far end, a
// damaged frame of ours (the far end answers CRP), a training check the far
// end never hears, and DCN where the far end would answer.
#pragma once

#include <cstdint>
#include <string>

namespace px {

// Frames K to K + count - 1 of one side, counted from 1 over the whole call.
struct FrameRange {
    int first = 0;  // 0: none
    int count = 1;

    bool empty() const { return first <= 0; }
    bool covers(int k) const { return first > 0 && k >= first && k < first + count; }
    // "K" or "K*N".
    std::string describe() const;
};

struct LineFaults {
    FrameRange damageRemote;  // the far end's frames arrive with a bad FCS
    FrameRange dropRemote;    // the far end's frames are silence on the line
    FrameRange damageLocal;   // the far end hears our frames with a bad FCS
    int tcfSilence = 0;       // the far end hears silence for our first N training checks
    uint8_t dcnFor = 0;       // FCF of the far end's answer sent as DCN instead (0: none)
    int dcnTimes = 1;         // how many of those answers become DCN

    bool any() const {
        return !damageRemote.empty() || !dropRemote.empty() || !damageLocal.empty() ||
               tcfSilence > 0 || dcnFor != 0;
    }
};

// "K" or "K*N" (N frames from the K-th). Throws std::invalid_argument.
FrameRange parseFrameRange(const std::string& option, const std::string& text);
// The answer frames a DCN may replace, by name: "cfr", "mcf", "rtn", "dis",
// "ftt"; 0 for an unknown name.
uint8_t answerFcf(const std::string& name);
const char* answerName(uint8_t fcf);

}  // namespace px
