#include "fax/convert/px_conversion_driver.h"

#include <algorithm>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/convert/px_apf_page_output.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

ErrorCode runConversion(TPxFaxInputReader& reader, const std::string& input,
                        const std::string& output, const ConversionLayout& layout,
                        const ConversionHooks& hooks) {
    TPxApfPageOutput apf;
    return runConversion(reader, input, apf, output, layout, hooks);
}

ErrorCode runConversion(TPxFaxInputReader& reader, const std::string& input, TPxPageOutput& writer,
                        const std::string& output, const ConversionLayout& layout,
                        const ConversionHooks& hooks) {
    unsigned pages = 0;
    unsigned lines = 0;
    auto status = [&](bool starting, bool ending) {
        return hooks.status && hooks.status(starting, ending, pages, lines);
    };
    auto yieldOnce = [&] { return hooks.yield ? hooks.yield() : ecOK; };
    if (status(true, false)) {
        return ecConvertAbort;
    }
    if (ErrorCode rc = reader.open(input); rc != ecOK) {
        return rc;
    }
    auto fail = [&](ErrorCode rc) {
        status(false, true);
        reader.close();
        writer.abandon();
        return rc;
    };
    if (ErrorCode rc = writer.create(output); rc != ecOK) {
        return fail(rc);
    }
    const unsigned width = layout.widthPels;
    const auto flags = static_cast<uint16_t>(kApfLengthWords | (layout.fine ? kApfFine : 0) |
                                             (width == kWideWidthPels ? kApfWide : 0));
    // A reader that codes its own lines spares drawing and scanning them.
    const bool readerCodes =
        !layout.doubleWidth && reader.codeLinesItself(width, layout.leftMargin);
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes, 0);
    TPxT4Encoder::Record record{};
    // The top margin's white lines, as wide as the page's other lines (on a
    // 1728-pel page the standard blank record).
    TPxT4Encoder::Record blank{};
    const size_t blankBytes = TPxT4Encoder::codeLine(raster.data(), width, 0, false, blank.data());
    size_t dirty = raster.size();
    bool morePages = true;
    while (morePages) {
        ++pages;
        unsigned lineOnPage = 0;
        if (ErrorCode rc = writer.beginPage(flags); rc != ecOK) {
            return fail(rc);
        }
        for (unsigned i = 0; i < layout.topMargin; ++i) {
            if (ErrorCode rc = writer.writeLine(blank.data(), blankBytes); rc != ecOK) {
                return fail(rc);
            }
        }
        for (;;) {
            std::fill_n(raster.begin(), std::max<size_t>(dirty, width / 8), 0);
            unsigned len = 0;
            bool endOfPage = false;
            bool more = false;
            if (ErrorCode rc = reader.readLine(raster.data(), len, endOfPage, more); rc != ecOK) {
                return fail(rc);
            }
            dirty = std::min<size_t>(raster.size(), len);
            ++lineOnPage;
            ++lines;
            if (status(false, false)) {
                return fail(ecConvertAbort);
            }
            if (endOfPage) {
                morePages = more;
                break;
            }
            if (!layout.halfHeight || lineOnPage % 2 == 1) {
                const size_t n =
                    readerCodes ? reader.codeLastLine(record.data())
                                : TPxT4Encoder::codeLine(raster.data(), width, layout.leftMargin,
                                                         layout.doubleWidth, record.data());
                if (ErrorCode rc = writer.writeLine(record.data(), n); rc != ecOK) {
                    return fail(rc);
                }
                if (hooks.outputLine) {
                    hooks.outputLine(record.data(), static_cast<unsigned>(n), false, true);
                }
            }
            if (layout.yield && layout.yieldOften && lineOnPage % 16 == 0) {
                if (ErrorCode rc = yieldOnce(); rc != ecOK) {
                    return fail(rc);
                }
            }
        }
        if (hooks.outputLine) {
            hooks.outputLine(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size(), true,
                             morePages);
        }
        if (ErrorCode rc = writer.endPage(); rc != ecOK) {
            return fail(rc);
        }
        if (layout.yield) {
            if (ErrorCode rc = yieldOnce(); rc != ecOK) {
                return fail(rc);
            }
        }
    }
    status(false, true);
    reader.close();
    if (ErrorCode rc = writer.finish(layout.stationId); rc != ecOK) {
        return rc;
    }
    return ecOK;
}

}  // namespace px
