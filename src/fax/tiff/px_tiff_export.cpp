#include "fax/tiff/px_tiff_export.h"

#include <unistd.h>

#include <cerrno>

#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_class_f_writer.h"

namespace px {
namespace {

// Coded bytes gathered before they are appended to the page's strip: few
// write calls, and memory bounded however long the page.
constexpr size_t kChunkBytes = 256 * 1024;
// EOLs padded with fill bits to end on a byte boundary.
constexpr uint32_t kGroup3FillBits = 4;

}  // namespace

ErrorCode exportApfToTiff(const std::string& apfPath, const std::string& tiffPath,
                          std::string* message) {
    TPxApfReader reader;
    if (ErrorCode rc = reader.open(apfPath); rc != ecOK) {
        return rc;
    }
    const unsigned pages = reader.pageCount();
    if (pages == 0) {
        return ecFaxBadFormat;
    }
    TPxTiffClassFWriter tiff;
    auto fail = [&](ErrorCode rc) {
        if (message != nullptr) {
            *message = tiff.lastError();
        }
        tiff.close();
        ::unlink(tiffPath.c_str());
        return rc;
    };
    if (!tiff.create(tiffPath)) {
        return fail(ecFileNotFound);
    }
    TPxT4Decoder decoder;
    TPxT4Encoder::Record record{};
    std::vector<uint8_t> stripData;
    stripData.reserve(kChunkBytes + TPxT4Encoder::kMaxRecordBytes);
    for (unsigned n = 1; n <= pages; ++n) {
        ApfPageInfo page;
        if (ErrorCode rc = reader.findPage(n, page); rc != ecOK) {
            return fail(rc);
        }
        const unsigned width = page.header.wide() ? kWideWidthPels : kNormalWidthPels;
        // The page goes out as it is decoded, each line passed on as runs and
        // coded again by our own coder (the byte-aligned EOL form the TIFF
        // asks for; the lines a viewer shows, never the file's own codes),
        // then appended to the page's one strip about kChunkBytes at a time:
        // memory stays bounded however long the page.
        uint32_t row = 0;
        bool writeFailed = false;
        auto flushChunk = [&] {
            if (!writeFailed && !stripData.empty() &&
                !tiff.appendStrip(stripData.data(), stripData.size())) {
                writeFailed = true;
            }
            stripData.clear();
        };
        auto writeLine = [&](const uint16_t* runs, unsigned count, unsigned) {
            const size_t bytes = TPxT4Encoder::codeRuns(runs, count, width, record.data());
            stripData.insert(stripData.end(), record.begin(),
                             record.begin() + static_cast<long>(bytes));
            ++row;
            if (stripData.size() >= kChunkBytes) {
                flushChunk();
            }
        };
        // A wide page keeps only 2048-pel lines, a normal one only 1728-pel
        // lines, as when the page is shown.
        decoder.reset();
        decoder.setAcceptedWidths(!page.header.wide(), page.header.wide());
        const TPxT4Decoder::RunSink sink = writeLine;
        const ErrorCode rc = reader.readPage(page, [&](const uint8_t* data, size_t size) {
            return !decoder.feedRuns(data, size, sink);
        });
        if (rc != ecOK) {
            return fail(rc);
        }
        if (!decoder.pageEnded()) {
            decoder.finishRuns(sink);
        }
        if (row == 0) {
            writeLine(nullptr, 0, width);  // a page needs at least one line
        }
        flushChunk();
        TiffFaxPage directory;
        directory.width = width;
        directory.length = row;
        directory.fine = page.header.fine();
        directory.group3Options = kGroup3FillBits;
        directory.number = static_cast<uint16_t>(n - 1);
        directory.count = static_cast<uint16_t>(pages);
        if (writeFailed || !tiff.finishPage(directory)) {
            return fail(-EIO);
        }
    }
    if (!tiff.close()) {
        return fail(-EIO);
    }
    return ecOK;
}

}  // namespace px
