#include "fax/convert/px_tiff_page_output.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

ErrorCode TPxTiffPageOutput::create(const std::string& path) {
    path_ = path;
    pages_ = 0;
    inPage_ = false;
    return tiff_.create(path) ? ecOK : ecFileNotFound;
}

ErrorCode TPxTiffPageOutput::beginPage(uint16_t flags) {
    if (inPage_) {
        return ecBadArgument;
    }
    // The page number is a 16-bit count, as in an APF file.
    if (pages_ == TPxApfWriter::kMaxPages) {
        return ecTooManyPages;
    }
    flags_ = flags;
    lines_ = 0;
    inPage_ = true;
    return ecOK;
}

ErrorCode TPxTiffPageOutput::writeLine(const uint8_t* record, size_t size) {
    if (!inPage_) {
        return ecBadArgument;
    }
    if (!tiff_.appendStrip(record, size)) {
        return -EIO;
    }
    ++lines_;
    return ecOK;
}

ErrorCode TPxTiffPageOutput::endPage() {
    if (!inPage_) {
        return ecBadArgument;
    }
    const bool wide = (flags_ & kApfWide) != 0;
    const unsigned width = wide ? kWideWidthPels : kNormalWidthPels;
    if (lines_ == 0) {
        // A page needs at least one line.
        const std::vector<uint8_t> white(kWideLineBytes, 0);
        TPxT4Encoder::Record record{};
        const size_t n = TPxT4Encoder::codeLine(white.data(), width, 0, false, record.data());
        if (!tiff_.appendStrip(record.data(), n)) {
            return -EIO;
        }
        lines_ = 1;
    }
    TiffFaxPage page;
    page.width = width;
    page.length = lines_;
    page.fine = (flags_ & kApfFine) != 0;
    page.number = static_cast<uint16_t>(pages_);
    inPage_ = false;
    if (!tiff_.finishPage(page)) {
        return -EIO;
    }
    ++pages_;
    return ecOK;
}

ErrorCode TPxTiffPageOutput::finish(const std::string&) {
    // TIFF Class F keeps no sender; each page learns the page count now.
    if (inPage_ || pages_ == 0 || !tiff_.setPageCount(static_cast<uint16_t>(pages_)) ||
        !tiff_.close()) {
        abandon();
        return inPage_ || pages_ == 0 ? ecBadArgument : -EIO;
    }
    return ecOK;
}

void TPxTiffPageOutput::abandon() {
    tiff_.close();
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
}

}  // namespace px
