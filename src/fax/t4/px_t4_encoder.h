// Encoder of raster lines into T.4 one-dimensional line records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fax/t4/px_t4_codes.h"

namespace px {

// A code or a run of codes, LSB first as it goes into the stream.
struct T4LsbCode {
    uint32_t bits = 0;
    uint8_t length = 0;  // at most 32
};

// The codes of a run of 0 to 2560 pels of `colour`, indexed by the run: its
// makeup code, when the run has one, then its terminating code. One entry
// more, at kT4MaxMakeup + 1, holds the 2560 makeup code alone, which longer
// runs repeat.
const T4LsbCode* t4LsbRunCodes(T4Colour colour);

// Builds a line record from runs and ready-made codes: an aligned EOL first
// (0x00 0x80), then what is put, then fill and zero bytes (see codeLine).
class TPxT4RecordWriter {
public:
    explicit TPxT4RecordWriter(uint8_t* record) : out_(record + 2) {
        record[0] = 0x00;
        record[1] = 0x80;  // fill 0000 + EOL 000000000001, LSB first
    }

    void put(T4LsbCode code) {
        acc_ |= uint64_t{code.bits} << bits_;
        bits_ += code.length;
        if (bits_ >= 32) {
            const auto word = static_cast<uint32_t>(acc_);
            const uint8_t bytes[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                                      static_cast<uint8_t>(word >> 16),
                                      static_cast<uint8_t>(word >> 24)};
            std::memcpy(out_ + written_, bytes, 4);
            written_ += 4;
            acc_ >>= 32;
            bits_ -= 32;
        }
    }

    // A run of any length, with the codes of its colour (t4LsbRunCodes).
    void run(const T4LsbCode* codes, unsigned length) {
        while (length > kT4MaxMakeup) {
            put(codes[kT4MaxMakeup + 1]);
            length -= kT4MaxMakeup;
        }
        put(codes[length]);
    }

    // Ends the record; returns its length.
    size_t finish();

private:
    uint8_t* out_;
    size_t written_ = 0;
    uint64_t acc_ = 0;
    unsigned bits_ = 0;
};

// Codes one raster line as a line record:
//   - four 0 fill bits and an EOL, so the record starts 0x00 0x80;
//   - the runs from the left edge, `leftMargin` white pels in front of the
//     image, the first run always white (length 0 when the image starts black);
//   - 0 bits to the byte boundary and zero bytes, so that the record length is
//     the number of complete bytes of code plus 2.
// The line always totals `width` pels: image pels past width − margin are cut;
// with double width every image pel counts twice.
class TPxT4Encoder {
public:
    // Worst case of a 2048-pel line of alternating pels is well below this.
    static constexpr size_t kMaxRecordBytes = 4096;
    using Record = std::array<uint8_t, kMaxRecordBytes>;
    // Wider lines are cut to this many pels.
    static constexpr unsigned kMaxLinePels = 4096;

    // `raster` holds at least width / 8 bytes. Returns the record length.
    static size_t codeLine(const uint8_t* raster, unsigned width, unsigned leftMargin,
                           bool doubleWidth, uint8_t* record);

    // The record codeLine makes (no margin, single width) of the line that
    // `runs` draw (alternating from white, as the decoder gives them), cut
    // to `width` pels; the runs total at least `width`.
    static size_t codeRuns(const uint16_t* runs, unsigned count, unsigned width, uint8_t* record);

    // Codes a bare sequence of runs (alternating from white) with no EOL and
    // no fill, LSB first; `bitPos` is advanced. Runs longer than 2560 are
    // coded as repeated 2560 makeup codes (T.4 section 4.1.2). Used for
    // TIFF Class F strips.
    static void codeRun(T4Colour colour, unsigned run, uint8_t* out, size_t& bitPos);
};

}  // namespace px
