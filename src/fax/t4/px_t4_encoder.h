// Encoder of raster lines into T.4 one-dimensional line records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "fax/t4/px_t4_codes.h"

namespace px {

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

    // Codes a bare sequence of runs (alternating from white) with no EOL and
    // no fill, LSB first; `bitPos` is advanced. Runs longer than 2560 are
    // coded as repeated 2560 makeup codes (T.4 section 4.1.2). Used for
    // TIFF Class F strips.
    static void codeRun(T4Colour colour, unsigned run, uint8_t* out, size_t& bitPos);
};

}  // namespace px
