// A decoded page collected in memory, 1 = black, at a fixed line stride.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/px_errors.h"

namespace px {

struct PageScaling {
    bool enabled = false;
    unsigned horizMult = 1;
    unsigned horizDiv = 1;
    unsigned vertMult = 1;
    unsigned vertDiv = 1;
};

// Lines go into slots of the page's line size in one block that grows 1024
// slots at a time. A page keeps at most kMaxLines lines (over ten metres of
// fine-resolution paper); further lines are dropped and counted, so that a
// hostile page cannot claim unbounded memory.
class TPxPageBitmap {
public:
    static constexpr size_t kGrowLines = 1024;
    static constexpr size_t kMaxLines = 65536;
    // Largest scaled bitmap, in bytes.
    static constexpr uint64_t kMaxScaledBytes = uint64_t{256} << 20;

    ErrorCode start(unsigned slotBytes);
    // A line of 0 bytes is an all-white line.
    ErrorCode addLine(const uint8_t* data, unsigned bytes);
    // Cuts the lines to the used width (even bytes) and applies scaling.
    ErrorCode finish(const PageScaling& scaling);

    bool empty() const { return lines_ == 0 || stride_ == 0; }
    unsigned widthPels() const { return widthPels_; }
    unsigned strideBytes() const { return stride_; }
    unsigned lines() const { return lines_; }
    const uint8_t* row(unsigned y) const { return data_.data() + size_t{y} * stride_; }
    uint64_t droppedLines() const { return dropped_; }

private:
    std::vector<uint8_t> data_;
    unsigned slot_ = 0;
    unsigned lines_ = 0;
    unsigned usedBytes_ = 0;
    unsigned stride_ = 0;
    unsigned widthPels_ = 0;
    uint64_t dropped_ = 0;
};

}  // namespace px
