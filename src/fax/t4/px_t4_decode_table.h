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

    // The same for the next 8 bits where they settle the code (most codes
    // are that short), small enough to stay in the first-level cache; an
    // entry of length 0 sends the caller to the full table.
    const T4TableEntry& shortEntry(uint32_t bits) const { return short_[bits & 0xFF]; }

private:
    std::array<T4TableEntry, 1U << kT4PeekBits> entries_{};
    std::array<T4TableEntry, 256> short_{};
};

}  // namespace px
