// Raw T.4 streams as a modem hands them over: lines or a clean end. The same
// stream decoded into runs must give the same lines, and the runs must code
// as their raster codes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the widths accepted and the chunk size.
    const bool normal = (data[0] & 1U) != 0;
    const bool wide = (data[0] & 2U) != 0;
    const size_t chunk = 1 + (data[0] >> 2);
    TPxT4Decoder decoder;
    decoder.setAcceptedWidths(normal, wide);
    std::vector<std::vector<uint8_t>> lines;
    auto sink = [&](const uint8_t* raster, unsigned bytes) {
        if (lines.size() < 4096) {
            lines.emplace_back(raster, raster + bytes);
        }
    };
    for (size_t at = 1; at < size; at += chunk) {
        if (decoder.feed(data + at, std::min(chunk, size - at), sink)) {
            break;
        }
    }
    decoder.finish(sink);

    TPxT4Decoder runDecoder;
    runDecoder.setAcceptedWidths(normal, wide);
    size_t line = 0;
    TPxT4Encoder::Record fromRuns{};
    TPxT4Encoder::Record fromRaster{};
    TPxT4Decoder::RunSink runSink = [&](const uint16_t* runs, unsigned count, unsigned width) {
        std::vector<uint8_t> raster(width / 8, 0);
        unsigned pos = 0;
        for (unsigned i = 0; i < count; ++i) {
            if (i % 2 == 1 && pos < width) {
                rasterSetRun(raster.data(), pos, std::min<unsigned>(runs[i], width - pos));
            }
            pos += runs[i];
        }
        if (line < lines.size() && raster != lines[line]) {
            __builtin_trap();  // the runs draw another line
        }
        ++line;
        const size_t a = TPxT4Encoder::codeRuns(runs, count, width, fromRuns.data());
        const size_t b = TPxT4Encoder::codeLine(raster.data(), width, 0, false, fromRaster.data());
        if (a != b || std::memcmp(fromRuns.data(), fromRaster.data(), a) != 0) {
            __builtin_trap();  // the runs code differently from their raster
        }
    };
    for (size_t at = 1; at < size; at += chunk) {
        if (runDecoder.feedRuns(data + at, std::min(chunk, size - at), runSink)) {
            break;
        }
    }
    runDecoder.finishRuns(runSink);
    if (runDecoder.linesDelivered() != decoder.linesDelivered()) {
        __builtin_trap();
    }
    return 0;
}
