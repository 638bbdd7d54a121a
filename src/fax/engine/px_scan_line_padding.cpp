#include "fax/engine/px_scan_line_padding.h"

namespace px {

namespace {

// An EOL is eleven 0 bits and a 1 bit; fill may make the zeros more.
constexpr size_t kEolZeros = 11;

// Appends bits to an octet vector, first bit in the lowest position.
class BitSink {
public:
    explicit BitSink(std::vector<uint8_t>& out) : out_(out) {}
    void bit(bool one) {
        if (used_ == 0) {
            out_.push_back(0);
        }
        if (one) {
            out_.back() = static_cast<uint8_t>(out_.back() | (1u << used_));
        }
        used_ = (used_ + 1) % 8;
    }
    void zeros(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            bit(false);
        }
    }

private:
    std::vector<uint8_t>& out_;
    int used_ = 0;
};

}  // namespace

std::vector<uint8_t> padScanLines(const uint8_t* data, size_t size, uint32_t minOctets) {
    std::vector<uint8_t> out;
    if (minOctets == 0) {
        out.assign(data, data + size);
        return out;
    }
    out.reserve(size + size / 4);
    BitSink sink(out);
    const size_t minBits = static_cast<size_t>(minOctets) * 8;
    size_t lineBits = 0;  // bits of the line so far, trailing zeros included
    size_t zeroRun = 0;   // the zeros at its end
    bool hasData = false;
    for (size_t i = 0; i < size; ++i) {
        for (int b = 0; b < 8; ++b) {
            const bool one = ((data[i] >> b) & 1u) != 0;
            ++lineBits;
            if (!one) {
                ++zeroRun;
                sink.bit(false);
                continue;
            }
            if (zeroRun >= kEolZeros) {
                // This 1 ends an EOL: the fill goes among the zeros in front of it.
                if (hasData && lineBits < minBits) {
                    const size_t missing = minBits - lineBits;
                    sink.zeros((missing + 7) / 8 * 8);
                }
                sink.bit(true);
                lineBits = 0;
                hasData = false;
            } else {
                sink.bit(true);
                hasData = true;
            }
            zeroRun = 0;
        }
    }
    return out;
}

}  // namespace px
