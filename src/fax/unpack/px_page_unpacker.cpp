#include "fax/unpack/px_page_unpacker.h"

#include <algorithm>

#include "fax/t4/px_t4_raster.h"

namespace px {

ErrorCode TPxPageUnpacker::unpack(const std::string& path, unsigned page, bool forBitmap,
                                  const LineSink& sink) {
    if (path.empty()) {
        return ecFileNotFound;
    }
    if (!settingsValid()) {
        return ecBadArgument;
    }
    TPxApfReader reader;
    if (ErrorCode rc = reader.open(path); rc != ecOK) {
        return rc;
    }
    return unpack(reader, path, page, forBitmap, sink);
}

ErrorCode TPxPageUnpacker::unpack(const TPxApfReader& reader, const std::string& path,
                                  unsigned page, bool forBitmap, const LineSink& sink) {
    if (!settingsValid()) {
        return ecBadArgument;
    }
    ApfPageInfo info;
    if (ErrorCode rc = reader.findPage(page, info); rc != ecOK) {
        return rc;
    }
    header_ = info.header;
    forBitmap_ = forBitmap;
    sink_ = &sink;
    pendingBlank_ = 0;
    decodedLines_ = 0;
    scratch_.assign(kWideLineBytes, 0);

    TPxT4Decoder decoder;
    // A wide page keeps only 2048-pel lines, a normal one only 1728-pel lines:
    // a line of the other width would not fit the page's line slots.
    decoder.setAcceptedWidths(!header_.wide(), header_.wide());
    auto onLine = [this](const uint8_t* raster, unsigned bytes) { decoded(raster, bytes); };
    ErrorCode yieldResult = ecOK;
    uint64_t consumed = 0;
    const ErrorCode rc = reader.readPage(
        info,
        [&](const uint8_t* data, size_t size) {
            const uint64_t before = decoder.linesDelivered() + decoder.linesDiscarded();
            const bool ended = decoder.feed(data, size, onLine);
            if (status_) {
                status_(path, page, consumed + size, header_.imageLength);
            }
            consumed += size;
            if (yield_) {
                // Yield when the decoded line count crossed a multiple of 16.
                const uint64_t after = decoder.linesDelivered() + decoder.linesDiscarded();
                if (after / 16 != before / 16 || after == 0) {
                    yieldResult = yield_();
                    if (yieldResult != ecOK) {
                        return false;
                    }
                }
            }
            if (abort_ != nullptr && *abort_) {
                return false;
            }
            return !ended;
        },
        nullptr);
    badCodes_ = decoder.badCodes();
    if (yieldResult != ecOK) {
        return yieldResult;
    }
    if (rc != ecOK) {
        return rc;
    }
    if (!decoder.pageEnded() && (abort_ == nullptr || !*abort_)) {
        decoder.finish(onLine);
    }
    flushBlank();
    return ecOK;
}

bool TPxPageUnpacker::settingsValid() const {
    const UnpackSettings& s = settings_;
    return !s.whitespaceCompression ||
           (s.whitespaceFrom >= s.whitespaceTo && (s.whitespaceFrom != 0 || s.whitespaceTo == 0));
}

void TPxPageUnpacker::decoded(const uint8_t* raster, unsigned bytes) {
    ++decodedLines_;
    if (settings_.whitespaceCompression && rasterIsWhite(raster, bytes)) {
        ++pendingBlank_;
        return;
    }
    flushBlank();
    deliver(raster, bytes);
}

void TPxPageUnpacker::flushBlank() {
    if (pendingBlank_ == 0) {
        return;
    }
    uint64_t count = pendingBlank_;
    pendingBlank_ = 0;
    if (settings_.whitespaceFrom != 0 && count >= settings_.whitespaceFrom) {
        count = settings_.whitespaceTo;
    }
    for (uint64_t i = 0; i < count; ++i) {
        deliver(nullptr, 0);
    }
}

void TPxPageUnpacker::deliver(const uint8_t* raster, unsigned bytes) {
    uint8_t* line = scratch_.data();
    std::copy_n(raster, bytes, line);
    const LineSink& sink = *sink_;
    if (header_.fine()) {
        sink(line, bytes);
        return;
    }
    switch (settings_.autoScale) {
        case TAutoScaleMode::asDoubleHeight:
            sink(line, bytes);
            sink(line, bytes);
            break;
        case TAutoScaleMode::asHalfWidth: {
            // Two pels become one by OR of their bits in the sink's polarity.
            for (unsigned i = 0; i < bytes / 2; ++i) {
                unsigned out = 0;
                for (unsigned k = 0; k < 2; ++k) {
                    const unsigned b = line[2 * i + k];
                    for (unsigned p = 0; p < 4; ++p) {
                        const unsigned pair = (b >> (6 - 2 * p)) & 3U;
                        const bool black = forBitmap_ ? pair == 3U : pair != 0U;
                        out = (out << 1) | (black ? 1U : 0U);
                    }
                }
                line[i] = static_cast<uint8_t>(out);
            }
            sink(line, bytes / 2);
            break;
        }
        case TAutoScaleMode::asNone:
        default:
            sink(line, bytes);
            break;
    }
}

}  // namespace px
