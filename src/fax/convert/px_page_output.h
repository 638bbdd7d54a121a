// Where the pages of a conversion go: an APF file, or a TIFF Class F file
// written straight from the coded lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

class TPxPageOutput {
public:
    virtual ~TPxPageOutput() = default;

    virtual ErrorCode create(const std::string& path) = 0;
    // APF page flags (fine, wide, length words).
    virtual ErrorCode beginPage(uint16_t flags) = 0;
    // One coded line: a line record as TPxT4Encoder::codeLine makes them,
    // exactly as wide as the page.
    virtual ErrorCode writeLine(const uint8_t* record, size_t size) = 0;
    virtual ErrorCode endPage() = 0;
    // Completes the file; the station ID goes where the format keeps one.
    virtual ErrorCode finish(const std::string& stationId) = 0;
    // Deletes what was written.
    virtual void abandon() = 0;
    // What went wrong last, in words, when the format tells more than a code.
    virtual std::string lastError() const { return {}; }
};

}  // namespace px
