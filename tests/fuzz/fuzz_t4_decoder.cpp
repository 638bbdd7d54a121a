// Raw T.4 streams as a modem hands them over: lines or a clean end.
#include <cstdint>

#include "fax/t4/px_t4_decoder.h"

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
    uint64_t lines = 0;
    auto sink = [&](const uint8_t*, unsigned) { ++lines; };
    for (size_t at = 1; at < size; at += chunk) {
        if (decoder.feed(data + at, std::min(chunk, size - at), sink)) {
            break;
        }
    }
    decoder.finish(sink);
    return 0;
}
