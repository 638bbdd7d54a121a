#include "fax/engine/px_response_collector.h"

#include "fax/engine/px_fax_types.h"
#include "fax/engine/px_hdlc_frame.h"

namespace px {

TPxResponseCollector::Result TPxResponseCollector::feed(uint8_t byte) {
    if (inFrame_) {
        if (dle_) {
            dle_ = false;
            if (byte == kEtx) {
                inFrame_ = false;
                frame_ = std::move(framePartial_);
                framePartial_.clear();
                return Result::Frame;
            }
            if (byte != kDle) {
                return Result::None;  // other DLE pairs carry nothing in frame data
            }
        } else if (byte == kDle) {
            dle_ = true;
            return Result::None;
        }
        if (framePartial_.size() < kMaxFrame) {
            framePartial_.push_back(byte);
        }
        return Result::None;
    }
    // A frame starts with the address octet where no line is under way;
    // text lines never hold it.
    if (byte == kHdlcAddress && trimLine(partial_).empty()) {
        partial_.clear();
        inFrame_ = true;
        dle_ = false;
        framePartial_.assign(1, byte);
        return Result::None;
    }
    if (byte == kDle) {
        // DLE ETX with no frame open (an empty or aborted frame).
        dle_ = true;
        return Result::None;
    }
    if (dle_) {
        dle_ = false;
        if (byte == kEtx) {
            frame_.clear();
            partial_.clear();
            return Result::Frame;
        }
    }
    // Results end with CR LF; the line ends at the LF, so that page data
    // right after a CONNECT starts with its own first octet.
    if (byte == '\n') {
        std::string text = trimLine(partial_);
        partial_.clear();
        if (text.empty()) {
            return Result::None;
        }
        line_ = std::move(text);
        return Result::Line;
    }
    if (byte >= 32 && partial_.size() < kMaxLine) {
        partial_.push_back(static_cast<char>(byte));
    }
    return Result::None;
}

void TPxResponseCollector::reset() {
    partial_.clear();
    framePartial_.clear();
    inFrame_ = false;
    dle_ = false;
}

std::string trimLine(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

}  // namespace px
