// Decodes one APF page into delivered raster lines: whitespace compression,
// inversion for in-memory bitmaps and the standard-resolution aspect fix.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_decoder.h"

namespace px {

enum class TAutoScaleMode { asNone, asDoubleHeight, asHalfWidth };

struct UnpackSettings {
    bool whitespaceCompression = false;
    unsigned whitespaceFrom = 0;
    unsigned whitespaceTo = 0;
    TAutoScaleMode autoScale = TAutoScaleMode::asDoubleHeight;
};

class TPxPageUnpacker {
public:
    // A delivered line; `bytes` is 0 for a compressed-away blank line.
    using LineSink = std::function<void(const uint8_t* data, unsigned bytes)>;
    // File name, page, bytes consumed, image length.
    using StatusHook = std::function<void(const std::string&, unsigned, uint64_t, uint64_t)>;
    // Lets the application handle one pending message; ecGotQuitMsg on quit.
    using YieldHook = std::function<ErrorCode()>;

    void setSettings(const UnpackSettings& s) { settings_ = s; }
    void setStatusHook(StatusHook hook) { status_ = std::move(hook); }
    void setYieldHook(YieldHook hook) { yield_ = std::move(hook); }
    // Polled between chunks; a set flag ends the page early (no error).
    void setAbortFlag(const bool* flag) { abort_ = flag; }

    // Decodes page n of `path`; lines carry 1 = black. `forBitmap` tells
    // that the lines end in a bitmap whose bits are inverted (1 = white):
    // halving the width then keeps a pel pair white when either pel is white,
    // where a file keeps it black when either pel is black.
    ErrorCode unpack(const std::string& path, unsigned page, bool forBitmap, const LineSink& sink);
    // The same on a file already open: a caller that reads many pages keeps
    // one reader, so that each page is found from the one before it.
    ErrorCode unpack(const TPxApfReader& reader, const std::string& path, unsigned page,
                     bool forBitmap, const LineSink& sink);

    // Flags of the page last unpacked.
    const ApfPageHeader& pageHeader() const { return header_; }
    uint64_t badCodes() const { return badCodes_; }

private:
    bool settingsValid() const;
    void decoded(const uint8_t* raster, unsigned bytes);
    void flushBlank();
    void deliver(const uint8_t* raster, unsigned bytes);

    UnpackSettings settings_;
    StatusHook status_;
    YieldHook yield_;
    const bool* abort_ = nullptr;

    ApfPageHeader header_;
    bool forBitmap_ = false;
    const LineSink* sink_ = nullptr;
    uint64_t pendingBlank_ = 0;
    uint64_t decodedLines_ = 0;
    uint64_t badCodes_ = 0;
    std::vector<uint8_t> scratch_;
};

}  // namespace px
