#include "fax/t4/px_t4_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "fax/t4/px_t4_decode_table.h"

namespace px {

TPxT4Decoder::TPxT4Decoder()
    : white_(TPxT4DecodeTable::forColour(T4Colour::White)),
      black_(TPxT4DecodeTable::forColour(T4Colour::Black)) {
    reset();
}

void TPxT4Decoder::setAcceptedWidths(bool normal, bool wide) {
    acceptNormal_ = normal;
    acceptWide_ = wide;
}

void TPxT4Decoder::reset() {
    in_ = end_ = nullptr;
    acc_ = 0;
    avail_ = 0;
    skippingOnes_ = false;
    colour_ = T4Colour::White;
    pos_ = 0;
    seenEol_ = false;
    eolRun_ = 0;
    ended_ = false;
    badCodes_ = delivered_ = discarded_ = bitsConsumed_ = 0;
    line_.fill(0);
    runCount_ = 0;
}

bool TPxT4Decoder::feed(const uint8_t* data, size_t size, const LineSink& sink) {
    in_ = data;
    end_ = data + size;
    run<false>(false, sink);
    return ended_;
}

void TPxT4Decoder::finish(const LineSink& sink) {
    in_ = end_ = nullptr;
    run<false>(true, sink);
}

bool TPxT4Decoder::feedRuns(const uint8_t* data, size_t size, const RunSink& sink) {
    in_ = data;
    end_ = data + size;
    run<true>(false, sink);
    return ended_;
}

void TPxT4Decoder::finishRuns(const RunSink& sink) {
    in_ = end_ = nullptr;
    run<true>(true, sink);
}

void TPxT4Decoder::saveRunState(RunState& state) const {
    state.acc_ = acc_;
    state.avail_ = avail_;
    state.pos_ = pos_;
    state.eolRun_ = eolRun_;
    state.colour_ = colour_;
    state.skippingOnes_ = skippingOnes_;
    state.seenEol_ = seenEol_;
    state.ended_ = ended_;
    state.runs_.assign(runs_.begin(), runs_.begin() + runCount_);
}

bool TPxT4Decoder::inRunState(const RunState& state) const {
    return state.acc_ == acc_ && state.avail_ == avail_ && state.pos_ == pos_ &&
           state.eolRun_ == eolRun_ && state.colour_ == colour_ &&
           state.skippingOnes_ == skippingOnes_ && state.seenEol_ == seenEol_ &&
           state.ended_ == ended_ && state.runs_.size() == runCount_ &&
           std::equal(state.runs_.begin(), state.runs_.end(), runs_.begin());
}

void TPxT4Decoder::restoreRunState(const RunState& state) {
    acc_ = state.acc_;
    avail_ = state.avail_;
    pos_ = state.pos_;
    eolRun_ = state.eolRun_;
    colour_ = state.colour_;
    skippingOnes_ = state.skippingOnes_;
    seenEol_ = state.seenEol_;
    ended_ = state.ended_;
    runCount_ = static_cast<unsigned>(state.runs_.size());
    std::copy(state.runs_.begin(), state.runs_.end(), runs_.begin());
}

namespace {

// Adds `length` pels of one colour to a line kept as runs (see RunSink).
inline void appendRun(uint16_t* runs, unsigned& count, bool black, unsigned length) {
    if (length == 0) {
        return;
    }
    if (count != 0 && ((count - 1) & 1U) == (black ? 1U : 0U)) {
        runs[count - 1] = static_cast<uint16_t>(runs[count - 1] + length);
        return;
    }
    if (count == 0 && black) {
        runs[count++] = 0;
    }
    runs[count++] = static_cast<uint16_t>(length);
}

// Tops the bit accumulator up with whole bytes from one unaligned 64-bit
// load; the caller makes sure that 8 bytes are there and avail <= 56.
inline void refillWord(uint64_t& acc, unsigned& avail, const uint8_t*& in) {
    uint64_t word = 0;
    std::memcpy(&word, in, 8);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word);
    }
    const unsigned bytes = (63 - avail) >> 3;
    acc |= word << avail;
    in += bytes;
    avail += bytes * 8;
    acc &= (uint64_t{1} << avail) - 1;  // no bits beyond those counted
}

}  // namespace

void TPxT4Decoder::refill() {
    if (avail_ > 56) {
        return;
    }
    if (end_ - in_ >= 8) {
        refillWord(acc_, avail_, in_);
        return;
    }
    while (avail_ <= 56 && in_ != end_) {
        acc_ |= uint64_t{*in_++} << avail_;
        avail_ += 8;
    }
}

void TPxT4Decoder::consume(unsigned bits) {
    // All 64 bits at once happens when a run of 1 bits fills the accumulator.
    acc_ = bits < 64 ? acc_ >> bits : 0;
    avail_ -= bits;
    bitsConsumed_ += bits;
}

template <bool kRuns>
inline void TPxT4Decoder::onRun(unsigned run) {
    eolRun_ = 0;
    if (seenEol_ && (pos_ >> 3) + run / 8 < kLineBufferBytes) {
        if constexpr (kRuns) {
            appendRun(runs_.data(), runCount_, colour_ == T4Colour::Black, run);
        } else if (colour_ == T4Colour::Black) {
            rasterSetRun(line_.data(), pos_, run);
        }
        pos_ += run;
    }
    if (run <= kT4MaxTerminating) {
        colour_ = colour_ == T4Colour::White ? T4Colour::Black : T4Colour::White;
    }
}

// Decodes plain run codes as long as they come, keeping the bit state in
// locals: every write to the line buffer is a byte store that could alias
// the members, which would otherwise be reloaded after each run.
template <bool kRuns>
void TPxT4Decoder::decodeRuns() {
    uint64_t acc = acc_;
    unsigned avail = avail_;
    const uint8_t* in = in_;
    const uint8_t* const end = end_;
    unsigned pos = pos_;
    bool black = colour_ == T4Colour::Black;
    uint8_t* const line = line_.data();
    uint16_t* const runs = runs_.data();
    unsigned runCount = runCount_;
    const TPxT4DecodeTable& white = white_;
    const TPxT4DecodeTable& blackTable = black_;
    const bool active = seenEol_;
    uint64_t consumed = 0;
    for (;;) {
        if (avail < 32 && end - in >= 8) {
            refillWord(acc, avail, in);
        }
        if (avail < kT4PeekBits) {
            break;
        }
        const TPxT4DecodeTable& table = black ? blackTable : white;
        T4TableEntry entry = table.shortEntry(static_cast<uint32_t>(acc));
        if (entry.length == 0) {
            entry = table[static_cast<uint32_t>(acc & ((1U << kT4PeekBits) - 1))];
        }
        if (entry.symbol != T4Symbol::Run) {
            break;
        }
        acc >>= entry.length;
        avail -= entry.length;
        consumed += entry.length;
        const unsigned run = entry.run;
        if (active && (pos >> 3) + run / 8 < kLineBufferBytes) {
            if constexpr (kRuns) {
                appendRun(runs, runCount, black, run);
            } else if (black) {
                rasterSetRun(line, pos, run);
            }
            pos += run;
        }
        if (run <= kT4MaxTerminating) {
            black = !black;
        }
    }
    if (consumed != 0) {
        eolRun_ = 0;
    }
    acc_ = acc;
    avail_ = avail;
    in_ = in;
    pos_ = pos;
    runCount_ = runCount;
    colour_ = black ? T4Colour::Black : T4Colour::White;
    bitsConsumed_ += consumed;
}

template <bool kRuns, typename Sink>
void TPxT4Decoder::run(bool final, const Sink& sink) {
    while (!ended_) {
        refill();
        if (skippingOnes_) {
            // After a bad code: skip 1 bits, resume at the next 0 bit.
            const auto ones = static_cast<unsigned>(std::countr_one(acc_));
            if (ones < avail_) {
                consume(ones);
                skippingOnes_ = false;
            } else {
                consume(avail_);
                if (in_ == end_) {
                    return;
                }
                continue;
            }
        }
        decodeRuns<kRuns>();
        refill();
        if (avail_ < kT4PeekBits && !final) {
            return;  // wait for more data; the bits stay in acc_
        }
        if (avail_ == 0) {
            return;
        }
        const T4TableEntry& entry =
            (colour_ == T4Colour::White
                 ? white_
                 : black_)[static_cast<uint32_t>(acc_ & ((1U << kT4PeekBits) - 1))];
        if (entry.length == 0) {
            // Inside a long fill: the EOL's 1 bit ends it.
            if (acc_ != 0) {
                consume(static_cast<unsigned>(std::countr_zero(acc_)) + 1);
                onEol<kRuns>(sink);
                continue;
            }
            if (final) {
                return;
            }
            // Keep eleven 0 bits; more of them change nothing.
            bitsConsumed_ += avail_ - 11;
            avail_ = 11;
            continue;
        }
        if (entry.length > avail_) {
            return;  // a code cut short by the end of the data
        }
        consume(entry.length);
        switch (entry.symbol) {
            case T4Symbol::Run:
                onRun<kRuns>(entry.run);
                break;
            case T4Symbol::Eol:
                onEol<kRuns>(sink);
                break;
            case T4Symbol::NoCode:
                ++badCodes_;
                skippingOnes_ = true;
                break;
            case T4Symbol::Inner:
            default:
                ++badCodes_;
                break;
        }
    }
}

template <bool kRuns, typename Sink>
void TPxT4Decoder::onEol(const Sink& sink) {
    if (seenEol_) {
        const unsigned bytes = pos_ >> 3;
        if ((acceptNormal_ && bytes == kNormalLineBytes) ||
            (acceptWide_ && bytes == kWideLineBytes)) {
            ++delivered_;
            if constexpr (kRuns) {
                sink(runs_.data(), runCount_, bytes * 8);
            } else {
                sink(line_.data(), bytes);
            }
        } else if (pos_ != 0) {
            ++discarded_;
        }
        if constexpr (kRuns) {
            runCount_ = 0;
        } else {
            std::memset(line_.data(), 0, (pos_ >> 3) + 2);
        }
    }
    seenEol_ = true;
    pos_ = 0;
    colour_ = T4Colour::White;
    if (++eolRun_ >= 3) {
        ended_ = true;
    }
}

}  // namespace px
