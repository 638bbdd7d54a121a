#include "fax/tiff/px_tiff_file.h"

#include <cstdarg>
#include <cstdio>

namespace px {

TPxTiffFile::~TPxTiffFile() {
    close();
}

int TPxTiffFile::onError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    char text[512];
    // libtiff hands its own format strings over; they are not ours to check.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(text, sizeof text, fmt, ap);
#pragma GCC diagnostic pop
    auto* self = static_cast<TPxTiffFile*>(user);
    self->error_ = std::string(module != nullptr ? module : "libtiff") + ": " + text;
    return 1;  // handled
}

int TPxTiffFile::onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;  // unknown tags and the like are no concern of ours
}

bool TPxTiffFile::open(const std::string& path, const char* mode) {
    close();
    error_.clear();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TPxTiffFile::onError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TPxTiffFile::onWarning, this);
    // Bound what a hostile file may make libtiff allocate at once.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{256} << 20);
    tif_ = TIFFOpenExt(path.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    return tif_ != nullptr;
}

void TPxTiffFile::close() {
    if (tif_ != nullptr) {
        TIFFClose(tif_);
        tif_ = nullptr;
    }
}

}  // namespace px
