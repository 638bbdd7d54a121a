#include "fax/t4/px_t4_code_tree.h"

#include <stdexcept>

namespace px {

TPxT4CodeTree::TPxT4CodeTree(T4Colour colour) {
    nodes_.emplace_back();
    for (unsigned run = 0; run <= kT4MaxTerminating; ++run) {
        add(t4TerminatingCode(colour, run), T4Symbol::Run, run);
    }
    for (unsigned run = kT4MakeupStep; run <= kT4MaxMakeup; run += kT4MakeupStep) {
        add(t4MakeupCode(colour, run), T4Symbol::Run, run);
    }
    add(kT4Eol, T4Symbol::Eol, 0);
    // Walk to the node after eleven 0 bits and let it absorb further 0 bits.
    int32_t n = kRoot;
    for (int i = 0; i < 11; ++i) {
        n = nodes_[static_cast<size_t>(n)].child[0];
    }
    nodes_[static_cast<size_t>(n)].child[0] = n;
}

const TPxT4CodeTree& TPxT4CodeTree::forColour(T4Colour colour) {
    static const TPxT4CodeTree white(T4Colour::White);
    static const TPxT4CodeTree black(T4Colour::Black);
    return colour == T4Colour::White ? white : black;
}

void TPxT4CodeTree::add(T4Code code, T4Symbol symbol, unsigned run) {
    int32_t n = kRoot;
    for (int i = code.length - 1; i >= 0; --i) {
        const unsigned bit = (code.msbFirst >> i) & 1U;
        if (nodes_[static_cast<size_t>(n)].symbol != T4Symbol::Inner) {
            throw std::logic_error("T.4 code table is not prefix-free");
        }
        int32_t next = nodes_[static_cast<size_t>(n)].child[bit];
        if (next < 0) {
            next = static_cast<int32_t>(nodes_.size());
            nodes_.emplace_back();
            nodes_[static_cast<size_t>(n)].child[bit] = next;
        }
        n = next;
    }
    Node& leaf = nodes_[static_cast<size_t>(n)];
    if (leaf.symbol != T4Symbol::Inner || leaf.child[0] >= 0 || leaf.child[1] >= 0) {
        throw std::logic_error("T.4 code table is not prefix-free");
    }
    leaf.symbol = symbol;
    leaf.run = static_cast<uint16_t>(run);
}

}  // namespace px
