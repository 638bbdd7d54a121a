#include "fax/t4/px_t4_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "fax/t4/px_t4_raster.h"

namespace px {
namespace {

// A code with its bits reversed, ready to be or-ed into an LSB-first stream.
struct LsbCode {
    uint16_t bits = 0;
    uint8_t length = 0;
};

LsbCode toLsb(T4Code code) {
    LsbCode out;
    for (unsigned i = 0; i < code.length; ++i) {
        const unsigned bit = (code.msbFirst >> (code.length - 1 - i)) & 1U;
        out.bits = static_cast<uint16_t>(out.bits | (bit << i));
    }
    out.length = code.length;
    return out;
}

struct LsbTables {
    LsbCode terminating[2][kT4MaxTerminating + 1];
    LsbCode makeup[2][kT4MakeupCount + 1];  // index = run / 64
    T4LsbCode run[2][kT4MaxMakeup + 2];     // see t4LsbRunCodes

    LsbTables() {
        for (int c = 0; c < 2; ++c) {
            const auto colour = static_cast<T4Colour>(c);
            for (unsigned r = 0; r <= kT4MaxTerminating; ++r) {
                terminating[c][r] = toLsb(t4TerminatingCode(colour, r));
            }
            for (unsigned k = 1; k <= kT4MakeupCount; ++k) {
                makeup[c][k] = toLsb(t4MakeupCode(colour, k * kT4MakeupStep));
            }
            for (unsigned r = 0; r <= kT4MaxMakeup; ++r) {
                const LsbCode term = terminating[c][r % kT4MakeupStep];
                const LsbCode lead =
                    r > kT4MaxTerminating ? makeup[c][r / kT4MakeupStep] : LsbCode{};
                run[c][r].bits = lead.bits | (uint32_t{term.bits} << lead.length);
                run[c][r].length = static_cast<uint8_t>(lead.length + term.length);
            }
            run[c][kT4MaxMakeup + 1] = {makeup[c][kT4MakeupCount].bits,
                                        makeup[c][kT4MakeupCount].length};
        }
    }
};

const LsbTables& tables() {
    static const LsbTables t;
    return t;
}

// Writes runs as codes, LSB first. `Sink` decides how bits reach memory.
template <typename Sink>
void writeRun(const LsbTables& t, Sink& sink, int colour, unsigned length) {
    while (length > kT4MaxMakeup) {
        sink.put(t.makeup[colour][kT4MakeupCount]);
        length -= kT4MaxMakeup;
    }
    if (length > kT4MaxTerminating) {
        sink.put(t.makeup[colour][length / kT4MakeupStep]);
        length %= kT4MakeupStep;
    }
    sink.put(t.terminating[colour][length]);
}

// Ors codes into a zeroed buffer at any bit position.
class OrWriter {
public:
    OrWriter(uint8_t* out, size_t bitPos) : out_(out), bitPos_(bitPos) {}

    void put(LsbCode code) {
        uint32_t v = uint32_t{code.bits} << (bitPos_ & 7U);
        uint8_t* p = out_ + (bitPos_ >> 3);
        while (v != 0) {
            *p++ |= static_cast<uint8_t>(v);
            v >>= 8;
        }
        bitPos_ += code.length;
    }

    size_t bitPos() const { return bitPos_; }

private:
    uint8_t* out_;
    size_t bitPos_;
};

}  // namespace

const T4LsbCode* t4LsbRunCodes(T4Colour colour) {
    return tables().run[colour == T4Colour::Black ? 1 : 0];
}

size_t TPxT4RecordWriter::finish() {
    // Flush the partial word, zero-filled; then zero bytes so that the
    // record holds the complete bytes + 2.
    const size_t bits = 16 + written_ * 8 + bits_;
    for (unsigned i = 0; i < (bits_ + 7) / 8; ++i) {
        out_[written_ + i] = static_cast<uint8_t>(acc_ >> (8 * i));
    }
    const size_t length = bits / 8 + 2;
    for (size_t i = (bits + 7) / 8; i < length; ++i) {
        out_[i - 2] = 0;
    }
    return length;
}

size_t TPxT4Encoder::codeLine(const uint8_t* raster, unsigned width, unsigned leftMargin,
                              bool doubleWidth, uint8_t* record) {
    width = std::min(width, kMaxLinePels);
    TPxT4RecordWriter writer(record);
    const T4LsbCode* codes[2] = {t4LsbRunCodes(T4Colour::White), t4LsbRunCodes(T4Colour::Black)};
    const unsigned margin = std::min(leftMargin, width);
    const unsigned imagePels = width - margin;
    if (rasterIsWhite(raster, width / 8)) {
        writer.run(codes[0], width);
    } else {
        // Source pels taken from the raster, and how many line pels each makes.
        const unsigned scale = doubleWidth ? 2 : 1;
        const unsigned sourcePels = (imagePels + scale - 1) / scale;
        unsigned produced = 0;
        unsigned pos = 0;
        bool black = false;
        unsigned pending = margin;  // the margin joins the first white run
        auto runTo = [&](unsigned next) {
            const unsigned length = std::min((next - pos) * scale, imagePels - produced);
            produced += length;
            writer.run(codes[black ? 1 : 0], pending + length);
            pending = 0;
            pos = next;
            black = !black;
        };
        // The changes of colour, 64 pels at a time: a set bit marks a pel
        // that differs from the one before it (the pel before the first is
        // white). Words never reach past the line's width / 8 bytes.
        uint64_t previous = 0;
        for (unsigned base = 0; base < sourcePels; base += 64) {
            uint64_t word = 0;
            const unsigned bytes = std::min(8U, (sourcePels - base + 7) / 8);
            std::memcpy(&word, raster + base / 8, bytes);
            if constexpr (std::endian::native == std::endian::little) {
                word = __builtin_bswap64(word);
            }
            uint64_t changes = word ^ ((word >> 1) | (previous << 63));
            previous = word & 1U;
            if (sourcePels - base < 64) {
                changes &= ~(~uint64_t{0} >> (sourcePels - base));
            }
            while (changes != 0) {
                const auto lead = static_cast<unsigned>(std::countl_zero(changes));
                runTo(base + lead);
                changes ^= uint64_t{1} << (63 - lead);
            }
        }
        if (pos < sourcePels) {
            runTo(sourcePels);
        }
        if (pending != 0) {
            writer.run(codes[0], pending);
        }
    }
    return writer.finish();
}

size_t TPxT4Encoder::codeRuns(const uint16_t* runs, unsigned count, unsigned width,
                              uint8_t* record) {
    width = std::min(width, kMaxLinePels);
    TPxT4RecordWriter writer(record);
    const T4LsbCode* codes[2] = {t4LsbRunCodes(T4Colour::White), t4LsbRunCodes(T4Colour::Black)};
    unsigned left = width;
    for (unsigned i = 0; i < count && left != 0; ++i) {
        // Runs short of the width end white, as in a cleared raster.
        const bool lastWhite = i + 1 == count && (i & 1U) == 0;
        const unsigned length = lastWhite ? left : std::min<unsigned>(runs[i], left);
        writer.run(codes[i & 1U], length);
        left -= length;
    }
    if (left != 0) {
        writer.run(codes[0], left);
    }
    return writer.finish();
}

void TPxT4Encoder::codeRun(T4Colour colour, unsigned run, uint8_t* out, size_t& bitPos) {
    OrWriter writer(out, bitPos);
    writeRun(tables(), writer, colour == T4Colour::Black ? 1 : 0, run);
    bitPos = writer.bitPos();
}

}  // namespace px
