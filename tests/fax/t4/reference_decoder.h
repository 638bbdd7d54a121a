// A decoder that walks the code tree one bit at a time, exactly as the rules
// read; the table-driven decoder must give the same lines.
#pragma once

#include <cstdint>
#include <vector>

#include "fax/t4/px_t4_code_tree.h"
#include "fax/t4/px_t4_raster.h"

namespace px::test {

struct ReferenceResult {
    std::vector<std::vector<uint8_t>> lines;
    uint64_t badCodes = 0;
    bool ended = false;
};

inline ReferenceResult referenceDecode(const std::vector<uint8_t>& data) {
    ReferenceResult result;
    std::vector<uint8_t> line(520, 0);
    T4Colour colour = T4Colour::White;
    unsigned pos = 0;
    bool seenEol = false;
    unsigned eols = 0;
    bool skipping = false;
    int32_t node = TPxT4CodeTree::kRoot;
    for (size_t i = 0; i < data.size() * 8 && !result.ended; ++i) {
        const unsigned bit = (data[i / 8] >> (i % 8)) & 1U;
        if (skipping) {
            if (bit == 1) {
                continue;
            }
            skipping = false;
        }
        const TPxT4CodeTree& tree = TPxT4CodeTree::forColour(colour);
        node = tree.node(node).child[bit];
        if (node < 0) {
            ++result.badCodes;
            node = TPxT4CodeTree::kRoot;
            skipping = true;
            continue;
        }
        const auto& n = tree.node(node);
        if (n.symbol == T4Symbol::Run) {
            node = TPxT4CodeTree::kRoot;
            eols = 0;
            if (seenEol && (pos >> 3) + n.run / 8 < 512) {
                if (colour == T4Colour::Black) {
                    rasterSetRun(line.data(), pos, n.run);
                }
                pos += n.run;
            }
            if (n.run < 64) {
                colour = colour == T4Colour::White ? T4Colour::Black : T4Colour::White;
            }
        } else if (n.symbol == T4Symbol::Eol) {
            node = TPxT4CodeTree::kRoot;
            if (seenEol && ((pos >> 3) == kNormalLineBytes || (pos >> 3) == kWideLineBytes)) {
                result.lines.emplace_back(line.begin(), line.begin() + (pos >> 3));
            }
            std::fill(line.begin(), line.end(), 0);
            seenEol = true;
            pos = 0;
            colour = T4Colour::White;
            if (++eols >= 3) {
                result.ended = true;
            }
        }
    }
    return result;
}

}  // namespace px::test
