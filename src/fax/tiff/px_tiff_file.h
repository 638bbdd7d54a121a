// A libtiff handle whose messages stay with it instead of going to stderr.
#pragma once

#include <tiffio.h>

#include <string>

namespace px {

class TPxTiffFile {
public:
    TPxTiffFile() = default;
    ~TPxTiffFile();
    TPxTiffFile(const TPxTiffFile&) = delete;
    TPxTiffFile& operator=(const TPxTiffFile&) = delete;

    // Mode as for TIFFOpen ("r", "w"). False on failure; see lastError().
    bool open(const std::string& path, const char* mode);
    void close();
    TIFF* get() const { return tif_; }
    const std::string& lastError() const { return error_; }

private:
    static int onError(TIFF*, void* user, const char* module, const char* fmt, va_list ap);
    static int onWarning(TIFF*, void* user, const char* module, const char* fmt, va_list ap);

    TIFF* tif_ = nullptr;
    std::string error_;
};

}  // namespace px
