#include "fax/t4/px_t4_encoder.h"

#include <algorithm>
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

    LsbTables() {
        for (int c = 0; c < 2; ++c) {
            const auto colour = static_cast<T4Colour>(c);
            for (unsigned r = 0; r <= kT4MaxTerminating; ++r) {
                terminating[c][r] = toLsb(t4TerminatingCode(colour, r));
            }
            for (unsigned k = 1; k <= kT4MakeupCount; ++k) {
                makeup[c][k] = toLsb(t4MakeupCode(colour, k * kT4MakeupStep));
            }
        }
    }
};

const LsbTables& tables() {
    static const LsbTables t;
    return t;
}

// LSB-first bit writer over a byte buffer that was zeroed beforehand.
class BitWriter {
public:
    BitWriter(uint8_t* out, size_t bitPos) : out_(out), bitPos_(bitPos) {}

    void put(LsbCode code) {
        uint32_t v = uint32_t{code.bits} << (bitPos_ & 7U);
        uint8_t* p = out_ + (bitPos_ >> 3);
        while (v != 0) {
            *p++ |= static_cast<uint8_t>(v);
            v >>= 8;
        }
        bitPos_ += code.length;
    }

    void run(int colour, unsigned length) {
        const LsbTables& t = tables();
        while (length > kT4MaxMakeup) {
            put(t.makeup[colour][kT4MakeupCount]);
            length -= kT4MaxMakeup;
        }
        if (length > kT4MaxTerminating) {
            put(t.makeup[colour][length / kT4MakeupStep]);
            length %= kT4MakeupStep;
        }
        put(t.terminating[colour][length]);
    }

    size_t bitPos() const { return bitPos_; }

private:
    uint8_t* out_;
    size_t bitPos_;
};

}  // namespace

size_t TPxT4Encoder::codeLine(const uint8_t* raster, unsigned width, unsigned leftMargin,
                              bool doubleWidth, uint8_t* record) {
    // A pel costs at most 6 bits (a white run of 1 between black pels), so
    // 4096 pels fit the record buffer with room to spare.
    width = std::min(width, kMaxLinePels);
    std::memset(record, 0, std::min<size_t>(kMaxRecordBytes, width + 16));
    record[1] = 0x80;  // fill 0000 + EOL 000000000001, LSB first
    BitWriter writer(record, 16);

    const unsigned margin = std::min(leftMargin, width);
    const unsigned imagePels = width - margin;
    if (rasterIsWhite(raster, width / 8)) {
        writer.run(0, width);
    } else {
        // Source pels taken from the raster, and how many line pels each makes.
        const unsigned scale = doubleWidth ? 2 : 1;
        const unsigned sourcePels = (imagePels + scale - 1) / scale;
        unsigned produced = 0;
        unsigned pos = 0;
        bool black = false;
        unsigned pending = margin;  // the margin joins the first white run
        while (pos < sourcePels) {
            const unsigned next = rasterFindChange(raster, pos, sourcePels, black);
            const unsigned length = std::min((next - pos) * scale, imagePels - produced);
            produced += length;
            writer.run(black ? 1 : 0, pending + length);
            pending = 0;
            pos = next;
            black = !black;
        }
        if (pending != 0) {
            writer.run(0, pending);
        }
    }
    return writer.bitPos() / 8 + 2;
}

void TPxT4Encoder::codeRun(T4Colour colour, unsigned run, uint8_t* out, size_t& bitPos) {
    BitWriter writer(out, bitPos);
    writer.run(colour == T4Colour::Black ? 1 : 0, run);
    bitPos = writer.bitPos();
}

}  // namespace px
