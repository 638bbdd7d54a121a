// Decoder of T.4 one-dimensional coded pages into raster lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "fax/t4/px_t4_codes.h"
#include "fax/t4/px_t4_decode_table.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

// Decodes the coded data of one page, fed in chunks of any size, and hands
// every complete scan line to the sink. The rules:
// - codes before the first EOL are skipped;
// - a run is applied only while the line stays within the 4096-pel buffer;
// - a bit sequence that matches no code is counted, then 1 bits are skipped up
//   to the next 0 bit, where decoding resumes;
// - at an EOL the line is delivered when it holds exactly the width of an
//   accepted page form (1728 or 2048 pels; up to seven further pels are
//   dropped), otherwise it is discarded;
// - three consecutive EOLs end the page.
//
// The same lines can be had as runs instead of rasters (feedRuns): what the
// raster would hold, as run lengths alternating from white (the first 0 when
// the line starts black), never two runs of one colour in a row and no empty
// run past the first. Runs total the decoded pels, which may exceed the
// delivered width by up to seven.
class TPxT4Decoder {
public:
    using LineSink = std::function<void(const uint8_t* raster, unsigned bytes)>;
    // `width` is the delivered width in pels (1728 or 2048).
    using RunSink = std::function<void(const uint16_t* runs, unsigned count, unsigned width)>;

    static constexpr unsigned kLineBufferBytes = 512;
    // A line of alternating pels within the buffer, and its leading 0.
    static constexpr unsigned kMaxRuns = kLineBufferBytes * 8 + 16;

    TPxT4Decoder();

    // Which line widths are kept; both by default.
    void setAcceptedWidths(bool normal, bool wide);
    void reset();

    // Decodes a chunk; returns true once the page has ended.
    bool feed(const uint8_t* data, size_t size, const LineSink& sink);
    // Decodes the bits still held back at the end of the page's data.
    void finish(const LineSink& sink);
    // The same, lines delivered as runs. One page is decoded one way.
    bool feedRuns(const uint8_t* data, size_t size, const RunSink& sink);
    void finishRuns(const RunSink& sink);

    // The decoding state of a page being decoded into runs. Decoding is a
    // function of this state and the bytes fed (however they are cut into
    // chunks): bytes equal to bytes fed before, met in the state those were
    // met in, deliver the same lines and end in the same state. A caller
    // that keeps both states may restore the second instead of decoding the
    // bytes again.
    class RunState {
    public:
        RunState() { runs_.reserve(kMaxRuns); }

    private:
        friend class TPxT4Decoder;
        uint64_t acc_ = 0;
        unsigned avail_ = 0;
        unsigned pos_ = 0;
        unsigned eolRun_ = 0;
        T4Colour colour_ = T4Colour::White;
        bool skippingOnes_ = false;
        bool seenEol_ = false;
        bool ended_ = false;
        std::vector<uint16_t> runs_;
    };
    void saveRunState(RunState& state) const;
    bool inRunState(const RunState& state) const;
    void restoreRunState(const RunState& state);

    bool pageEnded() const { return ended_; }
    uint64_t badCodes() const { return badCodes_; }
    uint64_t linesDelivered() const { return delivered_; }
    uint64_t linesDiscarded() const { return discarded_; }
    uint64_t bitsConsumed() const { return bitsConsumed_; }

private:
    template <bool kRuns, typename Sink>
    void run(bool final, const Sink& sink);
    void refill();
    template <bool kRuns>
    void decodeRuns();
    void consume(unsigned bits);
    template <bool kRuns>
    void onRun(unsigned run);
    template <bool kRuns, typename Sink>
    void onEol(const Sink& sink);

    const TPxT4DecodeTable& white_;
    const TPxT4DecodeTable& black_;
    bool acceptNormal_ = true;
    bool acceptWide_ = true;

    const uint8_t* in_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t acc_ = 0;    // pending bits, next bit in bit 0
    unsigned avail_ = 0;  // number of valid bits in acc_
    bool skippingOnes_ = false;

    T4Colour colour_ = T4Colour::White;
    unsigned pos_ = 0;  // pels decoded on the current line
    bool seenEol_ = false;
    unsigned eolRun_ = 0;
    bool ended_ = false;
    uint64_t badCodes_ = 0;
    uint64_t delivered_ = 0;
    uint64_t discarded_ = 0;
    uint64_t bitsConsumed_ = 0;
    // Room for a run that starts just below the buffer's end.
    std::array<uint8_t, kLineBufferBytes + 8> line_{};
    // The current line as runs, when decoding into runs.
    std::array<uint16_t, kMaxRuns> runs_{};
    unsigned runCount_ = 0;
};

}  // namespace px
