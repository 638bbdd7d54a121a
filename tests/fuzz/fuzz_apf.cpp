// APF files from strangers: the reader, the T.4 decoder, the page bitmap,
// the page exports and the TIFF export must give a page or a clean error,
// whatever the bytes.
#include <cstdint>

#include "fax/tiff/px_tiff_export.h"
#include "fax/unpack/px_page_bitmap.h"
#include "fax/unpack/px_page_export.h"
#include "fax/unpack/px_page_unpacker.h"
#include "fuzz_file.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = fuzz::scratchFile("in.apf");
    static const std::string out = fuzz::scratchFile("out");
    static const std::string tif = fuzz::scratchFile("out.tif");
    fuzz::writeInput(in, data, size);
    TPxApfReader reader;
    if (reader.open(in) != ecOK) {
        return 0;
    }
    if (reader.pageCount() <= 256) {  // each page costs a TIFF directory
        exportApfToTiff(in, tif);
    }
    const unsigned pages = std::min<unsigned>(reader.pageCount(), 4);
    for (unsigned n = 1; n <= pages; ++n) {
        TPxPageUnpacker unpacker;
        UnpackSettings settings;
        settings.whitespaceCompression = (n & 1U) != 0;
        settings.whitespaceFrom = 4;
        settings.whitespaceTo = 1;
        settings.autoScale = n == 2 ? TAutoScaleMode::asHalfWidth : TAutoScaleMode::asDoubleHeight;
        unpacker.setSettings(settings);
        TPxPageBitmap bitmap;
        bool started = false;
        const ErrorCode rc =
            unpacker.unpack(reader, in, n, n == 3, [&](const uint8_t* line, unsigned bytes) {
                if (!started) {
                    started = true;
                    bitmap.start(unpacker.pageHeader().wide() ? 256 : 216);
                }
                bitmap.addLine(line, bytes);
            });
        if (rc != ecOK || !started) {
            continue;
        }
        PageScaling scaling;
        scaling.enabled = n == 4;
        scaling.horizMult = 3;
        scaling.vertDiv = 2;
        if (bitmap.finish(scaling) != ecOK) {
            continue;
        }
        writePagePcx(out, bitmap);
        writePageDcx(out, bitmap);
        writePageBmp(out, bitmap);
    }
    return 0;
}
