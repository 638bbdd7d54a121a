// The converter's view of an input document: raster lines, page by page.
#pragma once

#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

class TPxFaxInputReader {
public:
    // Size of the raster handed to readLine.
    static constexpr size_t kRasterBytes = 4096;

    virtual ~TPxFaxInputReader() = default;

    virtual ErrorCode open(const std::string& name) = 0;
    // Fills the cleared raster with the next line and sets `len` to its length
    // in bytes. With `endOfPage` set no line was read; `morePages` then tells
    // whether another page follows.
    virtual ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage,
                               bool& morePages) = 0;
    virtual void close() = 0;
    // A reader that can code its lines without a raster says so here, asked
    // once after open with the line width and left margin. It then leaves the
    // raster blank and codes each line read on codeLastLine(), into the
    // record TPxT4Encoder::codeLine would make of the raster (single width).
    virtual bool codeLinesItself(unsigned /*width*/, unsigned /*leftMargin*/) { return false; }
    virtual size_t codeLastLine(uint8_t* /*record*/) { return 0; }

    virtual uint64_t bytesRead() const = 0;
    virtual uint64_t bytesToRead() const = 0;
    // Extension given to an input name that has none ("TXT" for text).
    virtual std::string defaultExtension() const { return {}; }
};

}  // namespace px
