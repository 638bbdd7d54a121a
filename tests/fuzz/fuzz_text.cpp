// Text documents: pages of raster lines, with memory bounded per line.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fax/t4/px_text_line_reader.h"
#include "fax/t4/px_text_reader.h"
#include "fuzz_file.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = fuzz::scratchFile("in.txt");
    fuzz::writeInput(in, data, size);
    TPxTextReader reader;
    const bool small = size > 0 && (data[0] & 1U) != 0;
    if (reader.setup(small ? TFaxFont::ffSmall : TFaxFont::ffStandard, size > 1 && data[1] > 127,
                     1728, 50) != ecOK) {
        std::abort();
    }
    reader.setTabStop(size > 2 ? data[2] % 9 : 4);
    reader.setLinesPerPage(size > 3 ? data[3] % 70 : 60);
    if (reader.open(in) != ecOK) {
        return 0;
    }
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (;;) {
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        if (reader.readLine(raster.data(), len, endOfPage, more) != ecOK) {
            break;
        }
        if (len > raster.size() || reader.largestTextHeld() > TPxTextLineReader::kMaxKept) {
            std::abort();
        }
        if (endOfPage && !more) {
            break;
        }
    }
    reader.close();
    return 0;
}
