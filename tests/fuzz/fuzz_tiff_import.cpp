// TIFF files offered for faxing: an APF file or a clean error, and no file
// left behind on failure.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "fax/tiff/px_tiff_import.h"
#include "fuzz_file.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = fuzz::scratchFile("in.tif");
    static const std::string out = fuzz::scratchFile("out.apf");
    fuzz::writeInput(in, data, size);
    TiffImportOptions options;
    options.maxLines = 4096;  // keeps a run short; the bound itself is the same code
    const ErrorCode rc = importTiffToApf(in, out, options);
    if (rc != ecOK && ::access(out.c_str(), F_OK) == 0) {
        std::abort();  // a failed import left a file
    }
    ::unlink(out.c_str());
    return 0;
}
