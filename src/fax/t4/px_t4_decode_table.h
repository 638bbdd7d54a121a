// Lookup tables that decode one T.4 code per step from the next 13 bits.
#pragma once

#include <array>
#include <cstdint>

#include "fax/t4/px_t4_code_tree.h"

namespace px {

// Entry for the next kT4PeekBits bits of the stream, the first bit in bit 0.
// It gives exactly what walking the code tree bit by bit would reach:
// a run or EOL after `length` bits, a no-code after `length` bits (the bit
// that left the tree included), or ZeroRun when all peeked bits are 0 and the
// walk is still inside the fill in front of an EOL.
struct T4TableEntry {
    uint16_t run = 0;
    uint8_t length = 0;
    T4Symbol symbol = T4Symbol::NoCode;
};

constexpr unsigned kT4PeekBits = 13;

class TPxT4DecodeTable {
public:
    explicit TPxT4DecodeTable(T4Colour colour);
    static const TPxT4DecodeTable& forColour(T4Colour colour);

    const T4TableEntry& operator[](uint32_t bits) const { return entries_[bits]; }

private:
    std::array<T4TableEntry, 1U << kT4PeekBits> entries_{};
};

}  // namespace px
