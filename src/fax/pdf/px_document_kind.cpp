#include "fax/pdf/px_document_kind.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace px {

namespace {

constexpr std::size_t kSniffBytes = 1024;
constexpr std::string_view kPdfMagic = "%PDF-";
constexpr std::string_view kPostScriptMagic = "%!PS";
constexpr std::string_view kPdfEndMarker = "%%EOF";
// A DOS EPS file: C5 D0 D3 C6, then the offset of the PostScript section (little endian).
constexpr std::array<std::uint8_t, 4> kDosEpsMagic = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr std::size_t kDosEpsHeaderBytes = 30;

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
    }
    return v;
}

bool startsWith(const std::string& bytes, std::string_view magic) {
    return std::string_view(bytes).substr(0, magic.size()) == magic;
}

}  // namespace

TPageDescriptionKind pageDescriptionKind(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return TPageDescriptionKind::Missing;
    }
    std::string head(kSniffBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.find(kPdfMagic) != std::string::npos) {
        return TPageDescriptionKind::Pdf;
    }
    if (startsWith(head, kPostScriptMagic)) {
        return TPageDescriptionKind::PostScript;
    }
    if (head.size() >= kDosEpsHeaderBytes &&
        std::equal(kDosEpsMagic.begin(), kDosEpsMagic.end(), head.begin(),
                   [](std::uint8_t m, char c) { return m == static_cast<std::uint8_t>(c); })) {
        in.clear();
        in.seekg(littleEndian32(head, 4));
        std::string section(kPostScriptMagic.size(), '\0');
        in.read(section.data(), static_cast<std::streamsize>(section.size()));
        if (in && section == kPostScriptMagic) {
            return TPageDescriptionKind::PostScript;
        }
    }
    return TPageDescriptionKind::Unknown;
}

bool pdfHasEndMarker(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    const std::streamoff from = size > std::streamoff(kSniffBytes) ? size - kSniffBytes : 0;
    in.seekg(from);
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return tail.find(kPdfEndMarker) != std::string::npos;
}

}  // namespace px
