// Modified Huffman code tables of ITU-T T.4 (one-dimensional coding).
#pragma once

#include <array>
#include <cstdint>

namespace px {

// One code word as it appears on the line: `length` bits, the first
// transmitted bit being the most significant of `msbFirst`.
struct T4Code {
    uint16_t msbFirst = 0;
    uint8_t length = 0;
};

enum class T4Colour : uint8_t { White = 0, Black = 1 };

constexpr unsigned kT4MaxTerminating = 63;
constexpr unsigned kT4MakeupStep = 64;
constexpr unsigned kT4MaxMakeup = 2560;
// Makeup codes exist for 64..1728 per colour and 1792..2560 for both.
constexpr unsigned kT4MakeupCount = kT4MaxMakeup / kT4MakeupStep;

// The EOL code: eleven 0 bits and a 1 bit.
constexpr T4Code kT4Eol{0x001, 12};

// Terminating code of `run` (0..63) for a colour.
T4Code t4TerminatingCode(T4Colour colour, unsigned run);
// Makeup code of `run` (a multiple of 64 from 64 to 2560) for a colour.
T4Code t4MakeupCode(T4Colour colour, unsigned run);

}  // namespace px
