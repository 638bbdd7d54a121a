#include "fax/unpack/px_page_export.h"

#include <unistd.h>

#include <vector>

#include "fax/apf/px_buffered_file.h"

namespace px {
namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// PCX image: 128-byte header, then each line inverted (1 = white) and run
// length coded.
Bytes pcxImage(const TPxPageBitmap& page) {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 2;
    out[2] = 1;
    out[3] = 1;
    put16(out, 8, (page.widthPels() - 1) & 0xFFFF);
    put16(out, 10, (page.lines() - 1) & 0xFFFF);
    out[65] = 1;
    put16(out, 66, page.strideBytes());
    for (unsigned y = 0; y < page.lines(); ++y) {
        const uint8_t* row = page.row(y);
        unsigned x = 0;
        while (x < page.strideBytes()) {
            const auto value = static_cast<uint8_t>(~row[x]);
            unsigned n = 1;
            while (n < 63 && x + n < page.strideBytes() &&
                   static_cast<uint8_t>(~row[x + n]) == value) {
                ++n;
            }
            if (n > 1 || value >= 0xC0) {
                out.push_back(static_cast<uint8_t>(0xC0 + n));
            }
            out.push_back(value);
            x += n;
        }
    }
    return out;
}

ErrorCode writeFile(const std::string& path, const Bytes& bytes) {
    TPxBufferedFile file;
    ErrorCode rc = file.create(path);
    if (rc == ecOK) {
        rc = file.write(bytes.data(), bytes.size());
    }
    if (ErrorCode closed = file.close(); rc == ecOK) {
        rc = closed;
    }
    if (rc != ecOK && !path.empty()) {
        ::unlink(path.c_str());
    }
    return rc;
}

}  // namespace

ErrorCode writePagePcx(const std::string& path, const TPxPageBitmap& page) {
    return writeFile(path, pcxImage(page));
}

ErrorCode writePageDcx(const std::string& path, const TPxPageBitmap& page) {
    constexpr size_t kTableEntries = 1024;
    Bytes out(4 + 4 * kTableEntries, 0);
    put32(out, 0, 0x3ADE68B1);
    put32(out, 4, static_cast<uint32_t>(out.size()));
    const Bytes pcx = pcxImage(page);
    out.insert(out.end(), pcx.begin(), pcx.end());
    return writeFile(path, out);
}

ErrorCode writePageBmp(const std::string& path, const TPxPageBitmap& page) {
    if (page.lines() >= 32768) {
        return ecBmpTooBig;
    }
    const uint32_t rowBytes = (page.strideBytes() + 3) / 4 * 4;
    const uint32_t dataSize = rowBytes * page.lines();
    Bytes out(62, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, dataSize + 62);
    put32(out, 10, 62);
    put32(out, 14, 40);
    put32(out, 18, page.widthPels());
    put32(out, 22, page.lines());
    put16(out, 26, 1);
    put16(out, 28, 1);
    // Palette: black, then white.
    out[58] = out[59] = out[60] = 255;
    out.reserve(out.size() + dataSize);
    for (unsigned y = page.lines(); y-- > 0;) {
        const uint8_t* row = page.row(y);
        for (unsigned x = 0; x < rowBytes; ++x) {
            out.push_back(x < page.strideBytes() ? static_cast<uint8_t>(~row[x]) : 0xFF);
        }
    }
    return writeFile(path, out);
}

}  // namespace px
