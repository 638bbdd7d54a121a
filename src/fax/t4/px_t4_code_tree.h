// Binary decoding tree of the T.4 one-dimensional code, one per colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fax/t4/px_t4_codes.h"

namespace px {

enum class T4Symbol : uint8_t {
    Inner,   // not a leaf: keep walking
    Run,     // a run length (terminating or makeup)
    Eol,     // eleven or more 0 bits followed by a 1 bit
    NoCode,  // the bits walked so far match no code
};

// The tree is walked one bit per step from the root. The node reached after
// eleven 0 bits loops on further 0 bits, so that fill bits of any length in
// front of an EOL (T.4 section 4.1.3) decode as one EOL.
class TPxT4CodeTree {
public:
    struct Node {
        int32_t child[2] = {-1, -1};  // -1: no code continues with this bit
        T4Symbol symbol = T4Symbol::Inner;
        uint16_t run = 0;
    };

    explicit TPxT4CodeTree(T4Colour colour);

    // Shared trees, built once.
    static const TPxT4CodeTree& forColour(T4Colour colour);

    static constexpr int32_t kRoot = 0;
    const Node& node(int32_t index) const { return nodes_[static_cast<size_t>(index)]; }
    size_t size() const { return nodes_.size(); }

private:
    void add(T4Code code, T4Symbol symbol, unsigned run);

    std::vector<Node> nodes_;
};

}  // namespace px
