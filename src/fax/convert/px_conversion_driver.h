// The page loop of a conversion: lines from an input reader, coded and
// written as the pages of an APF file (or another page output). Free of Qt, so that a text
// conversion can run without the toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/px_errors.h"
#include "fax/convert/px_page_output.h"
#include "fax/t4/px_fax_input_reader.h"

namespace px {

struct ConversionLayout {
    unsigned widthPels = 1728;
    bool fine = false;
    unsigned leftMargin = 50;
    unsigned topMargin = 0;
    bool doubleWidth = false;
    bool halfHeight = false;  // keep lines 1, 3, 5, … of each page
    bool yield = false;       // let the application run once per page
    bool yieldOften = false;  // … and every 16 lines as well
    std::string stationId;    // Latin-1, at most 20 characters
};

struct ConversionHooks {
    // Progress: pages and lines so far; returns true to abort (8003).
    std::function<bool(bool starting, bool ending, unsigned pages, unsigned lines)> status;
    // Lets the application handle one pending message.
    std::function<ErrorCode()> yield;
    // Each coded record as it is written.
    std::function<void(const uint8_t* data, unsigned size, bool endOfPage, bool morePages)>
        outputLine;
};

// Opens `input` with `reader`, writes `output`; on failure the output file
// is deleted. The reader is closed in every case once opened.
ErrorCode runConversion(TPxFaxInputReader& reader, const std::string& input,
                        const std::string& output, const ConversionLayout& layout,
                        const ConversionHooks& hooks = {});
// The same into another page output, created at `output`.
ErrorCode runConversion(TPxFaxInputReader& reader, const std::string& input, TPxPageOutput& writer,
                        const std::string& output, const ConversionLayout& layout,
                        const ConversionHooks& hooks = {});

}  // namespace px
