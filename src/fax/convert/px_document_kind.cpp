#include "fax/convert/px_document_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "fax/convert/px_pcx_format.h"

namespace px {
namespace {

// BMP: "BM", then a file header of 14 bytes and an information header whose
// size names its version.
constexpr size_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpCoreHeaderSize = 12;
constexpr std::array<uint32_t, 6> kBmpInfoHeaderSizes = {12, 40, 52, 56, 108, 124};
constexpr uint32_t kBmpRgb = 0;
constexpr uint32_t kBmpBitfields = 3;
constexpr uint32_t kBmpAlphaBitfields = 6;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool startsWith(const uint8_t* head, size_t size, const char* magic, size_t n) {
    return size >= n && std::memcmp(head, magic, n) == 0;
}

bool isBmp(const uint8_t* head, size_t size) {
    if (size < kBmpFileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M') {
        return false;
    }
    const uint32_t infoSize = le32(head + kBmpFileHeaderSize);
    bool known = false;
    for (uint32_t s : kBmpInfoHeaderSizes) {
        known = known || s == infoSize;
    }
    return known && le32(head + 10) >= kBmpFileHeaderSize + infoSize;
}

bool isPcx(const uint8_t* head, size_t size) {
    if (size < 4 || head[0] != kPcxManufacturer || head[2] != kPcxRunLengthCoding) {
        return false;
    }
    const uint8_t version = head[1];
    const uint8_t bits = head[3];
    return (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

bool isPnm(const uint8_t* head, size_t size) {
    return size >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6' &&
           std::strchr(" \t\r\n", head[2]) != nullptr && head[2] != '\0';
}

constexpr char kPdfMagic[] = "%PDF-";
constexpr char kPostScriptMagic[] = "%!PS";
constexpr size_t kPostScriptMagicSize = sizeof kPostScriptMagic - 1;
// A DOS EPS file: C5 D0 D3 C6, then the offset of its PostScript section
// (little endian), in a header of 30 bytes.
constexpr char kDosEpsMagic[] = "\xC5\xD0\xD3\xC6";
constexpr size_t kDosEpsHeaderSize = 30;

bool hasPdfMagic(const uint8_t* head, size_t size) {
    const std::string_view within(reinterpret_cast<const char*>(head),
                                  std::min(size, kPdfMagicWithin));
    return within.find(kPdfMagic) != std::string_view::npos;
}

// Where a DOS EPS file's PostScript section begins, or 0 when `head` is no
// DOS EPS header.
uint32_t dosEpsSection(const uint8_t* head, size_t size) {
    if (size < kDosEpsHeaderSize || !startsWith(head, size, kDosEpsMagic, 4)) {
        return 0;
    }
    return le32(head + 4);
}

bool isPostScriptAt(const uint8_t* data, size_t size) {
    return startsWith(data, size, kPostScriptMagic, kPostScriptMagicSize);
}

bool isText(const uint8_t* head, size_t size) {
    size_t controls = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = head[i];
        if (c == 0) {
            return false;
        }
        // Tab, line ends, form feed, Ctrl-Z, escape and backspace are text's own.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A &&
            c != 0x1B && c != '\b') {
            ++controls;
        }
    }
    return controls * 16 <= size;
}

}  // namespace

TDocumentKind recogniseDocumentBytes(const uint8_t* head, size_t size) {
    if (hasPdfMagic(head, size)) {
        return TDocumentKind::dkPdf;
    }
    if (isPostScriptAt(head, size)) {
        return TDocumentKind::dkPostScript;
    }
    if (const uint32_t section = dosEpsSection(head, size);
        section != 0 && section < size && isPostScriptAt(head + section, size - section)) {
        return TDocumentKind::dkPostScript;
    }
    if (startsWith(head, size, "II*\0", 4) || startsWith(head, size, "MM\0*", 4)) {
        return TDocumentKind::dkTiff;
    }
    if (size >= 4 && le32(head) == kDcxSignature) {
        return TDocumentKind::dkDcx;
    }
    if (startsWith(head, size, "\x89PNG\r\n\x1A\n", 8)) {
        return TDocumentKind::dkPng;
    }
    if (startsWith(head, size, "\xFF\xD8\xFF", 3)) {
        return TDocumentKind::dkJpeg;
    }
    if (startsWith(head, size, "GIF87a", 6) || startsWith(head, size, "GIF89a", 6)) {
        return TDocumentKind::dkGif;
    }
    if (isBmp(head, size)) {
        return TDocumentKind::dkBmp;
    }
    if (isPcx(head, size)) {
        return TDocumentKind::dkPcx;
    }
    if (isPnm(head, size)) {
        return TDocumentKind::dkPnm;
    }
    return isText(head, size) ? TDocumentKind::dkText : TDocumentKind::dkOther;
}

namespace {

// Opens `path` for reading; a directory is -EISDIR, not a read error later.
ErrorCode openRegular(const std::string& path, int& fd, uint64_t& size) {
    if (path.empty()) {
        return ecFileNotFound;
    }
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return errno != 0 ? -errno : ecFileNotFound;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const ErrorCode rc = S_ISDIR(st.st_mode) ? -EISDIR : -errno;
        ::close(fd);
        fd = -1;
        return rc;
    }
    size = static_cast<uint64_t>(st.st_size);
    return ecOK;
}

size_t readHead(int fd, uint8_t* data, size_t size) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    return got;
}

}  // namespace

ErrorCode recogniseDocument(const std::string& path, TDocumentKind& kind) {
    int fd = -1;
    uint64_t size = 0;
    if (ErrorCode rc = openRegular(path, fd, size); rc != ecOK) {
        return rc;
    }
    std::array<uint8_t, kDocumentSniffBytes> head{};
    const size_t got = readHead(fd, head.data(), head.size());
    kind = recogniseDocumentBytes(head.data(), got);
    if (const uint32_t section = dosEpsSection(head.data(), got);
        section >= got && section < size && kind != TDocumentKind::dkPostScript) {
        // The PostScript section lies beyond the bytes read so far.
        std::array<uint8_t, kPostScriptMagicSize> magic{};
        ssize_t n = 0;
        do {
            n = ::pread(fd, magic.data(), magic.size(), static_cast<off_t>(section));
        } while (n < 0 && errno == EINTR);
        if (n > 0 && isPostScriptAt(magic.data(), static_cast<size_t>(n))) {
            kind = TDocumentKind::dkPostScript;
        }
    }
    ::close(fd);
    return ecOK;
}

ErrorCode checkBmpComplete(const std::string& path) {
    int fd = -1;
    uint64_t size = 0;
    if (ErrorCode rc = openRegular(path, fd, size); rc != ecOK) {
        return rc;
    }
    std::array<uint8_t, kBmpFileHeaderSize + 40> head{};
    const size_t got = readHead(fd, head.data(), head.size());
    ::close(fd);
    if (got < kBmpFileHeaderSize + 4) {
        return ecReadPastEof;
    }
    const uint32_t infoSize = le32(head.data() + kBmpFileHeaderSize);
    const bool core = infoSize == kBmpCoreHeaderSize;
    if (got < kBmpFileHeaderSize + (core ? kBmpCoreHeaderSize : 20)) {
        return ecReadPastEof;
    }
    const uint8_t* info = head.data() + kBmpFileHeaderSize;
    const uint64_t dataOffset = le32(head.data() + 10);
    uint64_t width = 0;
    uint64_t height = 0;
    unsigned bits = 0;
    uint32_t compression = kBmpRgb;
    if (core) {
        width = le16(info + 4);
        height = le16(info + 6);
        bits = le16(info + 10);
    } else {
        const auto w = static_cast<int32_t>(le32(info + 4));
        const auto h = static_cast<int32_t>(le32(info + 8));
        width = static_cast<uint64_t>(w < 0 ? -int64_t{w} : w);
        height = static_cast<uint64_t>(h < 0 ? -int64_t{h} : h);
        bits = le16(info + 14);
        compression = le32(info + 16);
    }
    if (compression == kBmpRgb || compression == kBmpBitfields ||
        compression == kBmpAlphaBitfields) {
        const uint64_t rowBytes = (width * bits + 31) / 32 * 4;
        if (dataOffset + rowBytes * height > size) {
            return ecReadPastEof;
        }
    } else if (le32(head.data() + 2) > size) {
        // Run-length coded: only the size the file header gives can be checked.
        return ecReadPastEof;
    }
    return ecOK;
}

const char* documentKindName(TDocumentKind kind) {
    switch (kind) {
        case TDocumentKind::dkText:
            return "text";
        case TDocumentKind::dkTiff:
            return "TIFF picture";
        case TDocumentKind::dkPcx:
            return "PCX picture";
        case TDocumentKind::dkDcx:
            return "DCX file";
        case TDocumentKind::dkBmp:
            return "BMP picture";
        case TDocumentKind::dkPng:
            return "PNG picture";
        case TDocumentKind::dkJpeg:
            return "JPEG picture";
        case TDocumentKind::dkGif:
            return "GIF picture";
        case TDocumentKind::dkPnm:
            return "PNM picture";
        case TDocumentKind::dkPdf:
            return "PDF document";
        case TDocumentKind::dkPostScript:
            return "PostScript document";
        case TDocumentKind::dkOther:
        default:
            return "unrecognised data";
    }
}

}  // namespace px
