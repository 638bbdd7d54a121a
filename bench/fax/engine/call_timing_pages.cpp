// Converts a text letter as parvex-fax does and prints the coded octets of
// each page: the page data a call puts on the line (header and padding aside).
//   call_timing_pages LETTER.txt OUT.apf
#include <cstdio>

#include "cli/fax/px_text_fax.h"
#include "fax/apf/px_apf_reader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: call_timing_pages LETTER.txt OUT.apf\n");
        return 2;
    }
    if (px::textToApf(argv[1], argv[2], true) != px::ecOK) {
        std::fprintf(stderr, "cannot convert %s\n", argv[1]);
        return 1;
    }
    px::TPxApfReader reader;
    if (reader.open(argv[2]) != px::ecOK) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    for (unsigned n = 1; n <= reader.pageCount(); ++n) {
        px::ApfPageInfo page;
        size_t octets = 0;
        if (reader.findPage(n, page) != px::ecOK ||
            reader.readPage(page, [&](const uint8_t*, size_t size) {
                octets += size;
                return true;
            }) != px::ecOK) {
            std::fprintf(stderr, "page %u unreadable\n", n);
            return 1;
        }
        std::printf("%s%zu", n > 1 ? " " : "", octets);
    }
    std::printf("\n");
    return 0;
}
