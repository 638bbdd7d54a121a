#include "fax/tiff/px_tiff_export.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_class_f_writer.h"

namespace px {
namespace {

// The aligned EOL that starts a line record.
constexpr size_t kRecordHead = 2;

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
    TPxT4Decoder::RunState beforeRest;
    TPxT4Decoder::RunState afterRest;
    std::vector<uint8_t> lastRest;
    std::vector<std::vector<uint16_t>> restLines;
    std::vector<uint16_t> lastRuns;
    TPxT4Encoder::Record lastLine{};
    size_t lastLineBytes = 0;
    for (unsigned n = 1; n <= pages; ++n) {
        ApfPageInfo page;
        if (ErrorCode rc = reader.findPage(n, page); rc != ecOK) {
            return fail(rc);
        }
        const unsigned width = page.header.wide() ? kWideWidthPels : kNormalWidthPels;
        // The page goes out as it is decoded, each line passed on as runs and
        // coded again by our own coder (the byte-aligned EOL form the TIFF
        // asks for; the lines a viewer shows, never the file's own codes),
        // then appended to the page's one strip: memory stays bounded
        // however long the page.
        uint32_t row = 0;
        // A line equal to the one before it (every row twice at fine
        // resolution, runs of blank lines) takes the record made for that one.
        auto writeLine = [&](const uint16_t* runs, unsigned count, unsigned) {
            if (lastLineBytes == 0 || count != lastRuns.size() ||
                !std::equal(runs, runs + count, lastRuns.begin())) {
                lastRuns.assign(runs, runs + count);
                lastLineBytes = TPxT4Encoder::codeRuns(runs, count, width, lastLine.data());
            }
            // A failed write stays with the writer: finishing the page fails.
            tiff.appendStrip(lastLine.data(), lastLineBytes);
            ++row;
        };
        // A record is fed as its first two bytes, which end the line before
        // it, and the rest, which decodes its own line. A rest equal to the
        // last one decoded, met in the same state, is not decoded again: the
        // state it left is restored (and the lines it gave, if it gave any,
        // written again).
        decoder.reset();
        decoder.setAcceptedWidths(!page.header.wide(), page.header.wide());
        lastRest.clear();
        lastLineBytes = 0;
        const TPxT4Decoder::RunSink sink = writeLine;
        const TPxT4Decoder::RunSink restSink = [&](const uint16_t* runs, unsigned count,
                                                   unsigned w) {
            restLines.emplace_back(runs, runs + count);
            writeLine(runs, count, w);
        };
        const ErrorCode rc = reader.readPage(page, [&](const uint8_t* data, size_t size) {
            const size_t head = std::min<size_t>(size, kRecordHead);
            if (decoder.feedRuns(data, head, sink)) {
                return false;
            }
            const uint8_t* rest = data + head;
            const size_t restSize = size - head;
            if (!lastRest.empty() && restSize == lastRest.size() &&
                std::equal(rest, rest + restSize, lastRest.begin()) &&
                decoder.inRunState(beforeRest)) {
                decoder.restoreRunState(afterRest);
                for (const std::vector<uint16_t>& line : restLines) {
                    writeLine(line.data(), static_cast<unsigned>(line.size()), width);
                }
                return !decoder.pageEnded();
            }
            decoder.saveRunState(beforeRest);
            restLines.clear();
            const bool ended = decoder.feedRuns(rest, restSize, restSink);
            decoder.saveRunState(afterRest);
            lastRest.assign(rest, rest + restSize);
            return !ended;
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
        TiffFaxPage directory;
        directory.width = width;
        directory.length = row;
        directory.fine = page.header.fine();
        directory.number = static_cast<uint16_t>(n - 1);
        directory.count = static_cast<uint16_t>(pages);
        if (!tiff.finishPage(directory)) {
            return fail(-EIO);
        }
    }
    if (!tiff.close()) {
        return fail(-EIO);
    }
    return ecOK;
}

}  // namespace px
