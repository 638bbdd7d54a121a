#include "cli/convert/px_convert_info.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_fax_error.h"
#include "fax/t4/px_t4_decoder.h"

namespace px {
namespace {

// A DOS date and time as the file header keeps it.
std::string dosTime(uint32_t v) {
    if (v == 0) {
        return "none";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (v >> 25),
                  (v >> 21) & 15U, (v >> 16) & 31U, (v >> 11) & 31U, (v >> 5) & 63U, (v & 31U) * 2);
    return text;
}

}  // namespace

ErrorCode printApfInfo(const std::string& path, int& status) {
    TPxApfReader reader;
    if (ErrorCode rc = reader.open(path); rc != ecOK) {
        return rc;
    }
    status = 0;
    const ApfFileHeader& h = reader.header();
    std::printf("file: %s\n", path.c_str());
    std::printf("created: %s\n", dosTime(h.dateTime).c_str());
    std::printf("sender id: \"%s\" (length byte %u)\n", h.senderText().c_str(), h.senderIdLength);
    std::printf("pages: %u\n", h.pageCount);
    std::printf("first page offset: %u\n", h.firstPageOffset);
    for (unsigned n = 1; n <= h.pageCount; ++n) {
        ApfPageInfo page;
        if (ErrorCode rc = reader.findPage(n, page); rc != ecOK) {
            std::printf("page %u: %s\n", n, faxDocumentErrorText(rc).c_str());
            status = 1;
            return ecOK;
        }
        TPxT4Decoder decoder;
        decoder.setAcceptedWidths(!page.header.wide(), page.header.wide());
        auto sink = [](const uint8_t*, unsigned) {};
        const ErrorCode rc = reader.readPage(
            page, [&](const uint8_t* d, size_t s) { return !decoder.feed(d, s, sink); });
        decoder.finish(sink);
        std::printf(
            "page %u: offset %llu, image length %u, flags 0x%04X (%s, %s, %s), %llu lines%s\n", n,
            static_cast<unsigned long long>(page.headerOffset), page.header.imageLength,
            page.header.flags, page.header.fine() ? "fine" : "standard",
            page.header.wide() ? "2048 pels" : "1728 pels",
            page.header.lengthWords() ? "line records" : "raw stream",
            static_cast<unsigned long long>(decoder.linesDelivered()),
            rc != ecOK ? " (data ends early)" : "");
    }
    return ecOK;
}

}  // namespace px
