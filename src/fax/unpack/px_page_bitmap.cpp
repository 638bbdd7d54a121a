#include "fax/unpack/px_page_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace px {

ErrorCode TPxPageBitmap::start(unsigned slotBytes) {
    slot_ = slotBytes;
    lines_ = usedBytes_ = stride_ = widthPels_ = 0;
    dropped_ = 0;
    try {
        data_.assign(kGrowLines * slot_, 0);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    return ecOK;
}

ErrorCode TPxPageBitmap::addLine(const uint8_t* data, unsigned bytes) {
    if (lines_ >= kMaxLines) {
        ++dropped_;
        return ecOK;
    }
    if (lines_ != 0 && lines_ % kGrowLines == 0) {
        try {
            data_.resize(data_.size() + kGrowLines * slot_, 0);
        } catch (const std::bad_alloc&) {
            return ecOutOfMemory;
        }
    }
    bytes = std::min(bytes, slot_);
    uint8_t* dst = data_.data() + size_t{lines_} * slot_;
    if (bytes != 0) {
        std::memcpy(dst, data, bytes);
        for (unsigned i = bytes; i-- > 0;) {
            if (dst[i] != 0) {
                usedBytes_ = std::max(usedBytes_, i + 1);
                break;
            }
        }
    }
    ++lines_;
    return ecOK;
}

ErrorCode TPxPageBitmap::finish(const PageScaling& scaling) {
    if (usedBytes_ == 0 || lines_ == 0) {
        lines_ = stride_ = widthPels_ = 0;
        data_.clear();
        return ecOK;
    }
    stride_ = (usedBytes_ + 1) & ~1U;
    for (unsigned y = 0; y < lines_; ++y) {
        std::memmove(data_.data() + size_t{y} * stride_, data_.data() + size_t{y} * slot_, stride_);
    }
    data_.resize(size_t{lines_} * stride_);
    widthPels_ = stride_ * 8;

    const bool identity =
        scaling.horizMult == scaling.horizDiv && scaling.vertMult == scaling.vertDiv;
    if (!scaling.enabled || identity || scaling.horizDiv == 0 || scaling.vertDiv == 0) {
        return ecOK;
    }
    const uint64_t newWidth = uint64_t{widthPels_} * scaling.horizMult / scaling.horizDiv;
    const uint64_t newLines = uint64_t{lines_} * scaling.vertMult / scaling.vertDiv;
    const uint64_t newStride = (newWidth + 15) / 16 * 2;
    if (newWidth == 0 || newLines == 0) {
        lines_ = stride_ = widthPels_ = 0;
        data_.clear();
        return ecOK;
    }
    if (newStride * newLines > kMaxScaledBytes) {
        return ecOutOfMemory;
    }
    std::vector<uint8_t> scaled;
    try {
        scaled.assign(newStride * newLines, 0);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    std::vector<unsigned> sourceX(newWidth);
    for (uint64_t x = 0; x < newWidth; ++x) {
        sourceX[x] = static_cast<unsigned>(x * scaling.horizDiv / scaling.horizMult);
    }
    for (uint64_t y = 0; y < newLines; ++y) {
        const uint8_t* src = row(static_cast<unsigned>(y * scaling.vertDiv / scaling.vertMult));
        uint8_t* dst = scaled.data() + y * newStride;
        for (uint64_t x = 0; x < newWidth; ++x) {
            const unsigned sx = sourceX[x];
            if ((src[sx >> 3] & (0x80U >> (sx & 7U))) != 0) {
                dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] | (0x80U >> (x & 7U)));
            }
        }
    }
    data_ = std::move(scaled);
    stride_ = static_cast<unsigned>(newStride);
    widthPels_ = static_cast<unsigned>(newWidth);
    lines_ = static_cast<unsigned>(newLines);
    return ecOK;
}

}  // namespace px
