#include "fax/t4/px_t4_decode_table.h"

namespace px {

TPxT4DecodeTable::TPxT4DecodeTable(T4Colour colour) {
    const TPxT4CodeTree& tree = TPxT4CodeTree::forColour(colour);
    for (uint32_t bits = 0; bits < entries_.size(); ++bits) {
        T4TableEntry& entry = entries_[bits];
        int32_t n = TPxT4CodeTree::kRoot;
        entry.symbol = T4Symbol::Inner;
        for (unsigned i = 0; i < kT4PeekBits; ++i) {
            n = tree.node(n).child[(bits >> i) & 1U];
            if (n < 0) {
                entry.symbol = T4Symbol::NoCode;
                entry.length = static_cast<uint8_t>(i + 1);
                break;
            }
            if (tree.node(n).symbol != T4Symbol::Inner) {
                entry.symbol = tree.node(n).symbol;
                entry.run = tree.node(n).run;
                entry.length = static_cast<uint8_t>(i + 1);
                break;
            }
        }
        // Only an all-zero peek stays inside the tree for 13 bits: no code
        // is longer than 13 bits, so the walk is in the fill before an EOL.
        if (entry.symbol == T4Symbol::Inner) {
            entry.length = 0;
        }
    }
    for (uint32_t bits = 0; bits < short_.size(); ++bits) {
        const T4TableEntry& full = entries_[bits];
        short_[bits] =
            full.length != 0 && full.length <= 8 ? full : T4TableEntry{0, 0, T4Symbol::Inner};
    }
}

const TPxT4DecodeTable& TPxT4DecodeTable::forColour(T4Colour colour) {
    static const TPxT4DecodeTable white(T4Colour::White);
    static const TPxT4DecodeTable black(T4Colour::Black);
    return colour == T4Colour::White ? white : black;
}

}  // namespace px
