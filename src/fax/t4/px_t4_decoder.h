// Decoder of T.4 one-dimensional coded pages into raster lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

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
class TPxT4Decoder {
public:
    using LineSink = std::function<void(const uint8_t* raster, unsigned bytes)>;

    static constexpr unsigned kLineBufferBytes = 512;

    TPxT4Decoder();

    // Which line widths are kept; both by default.
    void setAcceptedWidths(bool normal, bool wide);
    void reset();

    // Decodes a chunk; returns true once the page has ended.
    bool feed(const uint8_t* data, size_t size, const LineSink& sink);
    // Decodes the bits still held back at the end of the page's data.
    void finish(const LineSink& sink);

    bool pageEnded() const { return ended_; }
    uint64_t badCodes() const { return badCodes_; }
    uint64_t linesDelivered() const { return delivered_; }
    uint64_t linesDiscarded() const { return discarded_; }
    uint64_t bitsConsumed() const { return bitsConsumed_; }

private:
    void run(bool final, const LineSink& sink);
    void refill();
    void decodeRuns();
    void consume(unsigned bits);
    void onRun(unsigned run);
    void onEol(const LineSink& sink);

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
};

}  // namespace px
