#include "fax/pdf/px_pdf_end_marker.h"

#include <fstream>
#include <string_view>

namespace px {

namespace {

constexpr std::streamoff kTailBytes = 1024;
constexpr std::string_view kPdfEndMarker = "%%EOF";

}  // namespace

bool pdfHasEndMarker(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    const std::streamoff from = size > kTailBytes ? size - kTailBytes : 0;
    in.seekg(from);
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return tail.find(kPdfEndMarker) != std::string::npos;
}

}  // namespace px
