#include "fax/convert/px_pcx_decoder.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace px {
namespace {

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool readExactly(int fd, uint64_t offset, uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

// The run-length coded bytes of a picture, read through a small buffer.
class RunLengthSource {
public:
    RunLengthSource(int fd, uint64_t offset, uint64_t end) : fd_(fd), pos_(offset), end_(end) {}

    // Fills `out` with the next `size` decoded bytes; false when the data
    // ends first. A run may go on into the next line, as some writers have it.
    bool decode(uint8_t* out, size_t size) {
        while (size > 0) {
            if (runLeft_ > 0) {
                const size_t take = std::min<size_t>(size, runLeft_);
                std::fill_n(out, take, runValue_);
                out += take;
                size -= take;
                runLeft_ -= static_cast<unsigned>(take);
                continue;
            }
            uint8_t b = 0;
            if (!next(b)) {
                return false;
            }
            if ((b & kPcxRunMarker) == kPcxRunMarker) {
                runLeft_ = b & 0x3FU;
                if (!next(runValue_)) {
                    return false;
                }
            } else {
                *out++ = b;
                --size;
            }
        }
        return true;
    }

private:
    bool next(uint8_t& b) {
        if (at_ == filled_) {
            if (pos_ >= end_) {
                return false;
            }
            const auto want = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), end_ - pos_));
            if (!readExactly(fd_, pos_, buffer_.data(), want)) {
                return false;
            }
            pos_ += want;
            at_ = 0;
            filled_ = want;
        }
        b = buffer_[at_++];
        return true;
    }

    int fd_;
    uint64_t pos_;
    uint64_t end_;
    std::array<uint8_t, 16384> buffer_{};
    size_t at_ = 0;
    size_t filled_ = 0;
    unsigned runLeft_ = 0;
    uint8_t runValue_ = 0;
};

struct PcxHeader {
    uint8_t version = 0;
    unsigned bitsPerPel = 0;
    unsigned planes = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned bytesPerLine = 0;
    std::array<QRgb, 16> palette16{};
};

bool parseHeader(const uint8_t* h, PcxHeader& out) {
    if (h[0] != kPcxManufacturer || h[2] != kPcxRunLengthCoding) {
        return false;
    }
    const uint8_t version = h[1];
    if (version != 0 && version != 2 && version != 3 && version != 4 && version != 5) {
        return false;
    }
    const unsigned xMin = le16(h + 4);
    const unsigned yMin = le16(h + 6);
    const unsigned xMax = le16(h + 8);
    const unsigned yMax = le16(h + 10);
    if (xMax < xMin || yMax < yMin) {
        return false;
    }
    out.version = version;
    out.bitsPerPel = h[3];
    out.planes = h[65];
    out.width = xMax - xMin + 1;
    out.height = yMax - yMin + 1;
    out.bytesPerLine = le16(h + 66);
    for (unsigned i = 0; i < 16; ++i) {
        out.palette16[i] = qRgb(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
    }
    const unsigned b = out.bitsPerPel;
    const unsigned p = out.planes;
    const bool known = (b == 1 && p >= 1 && p <= 4) || ((b == 2 || b == 4 || b == 8) && p == 1) ||
                       (b == 8 && (p == 3 || p == 4));
    if (!known) {
        return false;
    }
    const uint64_t pels = uint64_t{out.width} * out.height;
    const bool mono = b == 1 && p == 1;
    if (pels > (mono ? kPcxMaxMonoPels : kPcxMaxColourPels)) {
        return false;
    }
    return uint64_t{out.bytesPerLine} * 8 >= uint64_t{out.width} * b;
}

// Index of pel x in a line of one plane of `bits` bits per pel.
unsigned pelIndex(const uint8_t* line, unsigned x, unsigned bits) {
    const unsigned bit = x * bits;
    return (line[bit / 8] >> (8 - bits - bit % 8)) & ((1U << bits) - 1U);
}

}  // namespace

ErrorCode decodePcx(int fd, uint64_t offset, uint64_t end, QImage& image) {
    std::array<uint8_t, kPcxHeaderSize> head{};
    if (end < offset + kPcxHeaderSize || !readExactly(fd, offset, head.data(), head.size())) {
        // Cut in its header: a PCX picture when what there is says so.
        const bool started =
            end > offset && readExactly(fd, offset, head.data(), 1) && head[0] == kPcxManufacturer;
        return started ? ecReadPastEof : ecBadGraphicsFormat;
    }
    PcxHeader h;
    if (!parseHeader(head.data(), h)) {
        return ecBadGraphicsFormat;
    }
    const bool mono = h.bitsPerPel == 1 && h.planes == 1;
    const bool trueColour = h.bitsPerPel == 8 && h.planes >= 3;
    // The 256-colour palette sits in the last 769 bytes of the picture.
    std::array<QRgb, 256> palette{};
    if (h.bitsPerPel == 8 && h.planes == 1) {
        std::array<uint8_t, kPcxPaletteSize + 1> tail{};
        const bool present = end >= offset + kPcxHeaderSize + tail.size() &&
                             readExactly(fd, end - tail.size(), tail.data(), tail.size()) &&
                             tail[0] == kPcxPaletteMarker;
        for (unsigned i = 0; i < 256; ++i) {
            palette[i] = present ? qRgb(tail[1 + 3 * i], tail[2 + 3 * i], tail[3 + 3 * i])
                                 : qRgb(i, i, i);  // no palette: grey levels
        }
        if (present) {
            end -= tail.size();
        }
    } else if (h.bitsPerPel * h.planes <= 4) {
        const bool monoPalette = mono;
        for (unsigned i = 0; i < 16; ++i) {
            palette[i] = h.palette16[i];
        }
        if (monoPalette || h.version < 2) {
            // Two-colour pictures and early versions carry no usable palette:
            // black and white, or the standard sixteen colours' grey ramp.
            const unsigned levels = 1U << (h.bitsPerPel * h.planes);
            for (unsigned i = 0; i < levels; ++i) {
                const int v = static_cast<int>(255 * i / (levels - 1));
                palette[i] = qRgb(v, v, v);
            }
        }
    }

    image = QImage(static_cast<int>(h.width), static_cast<int>(h.height),
                   mono ? QImage::Format_Mono : QImage::Format_RGB32);
    if (image.isNull()) {
        return ecOutOfMemory;
    }
    if (mono) {
        image.setColorTable({palette[0], palette[1]});
    }
    RunLengthSource source(fd, offset + kPcxHeaderSize, end);
    std::vector<uint8_t> line(size_t{h.bytesPerLine} * h.planes);
    for (unsigned y = 0; y < h.height; ++y) {
        if (!source.decode(line.data(), line.size())) {
            image = QImage();
            return ecReadPastEof;
        }
        uchar* out = image.scanLine(static_cast<int>(y));
        if (mono) {
            std::copy_n(line.data(), (h.width + 7) / 8, out);
            continue;
        }
        auto* rgb = reinterpret_cast<QRgb*>(out);
        const uint8_t* plane0 = line.data();
        for (unsigned x = 0; x < h.width; ++x) {
            if (trueColour) {
                rgb[x] =
                    qRgb(plane0[x], plane0[h.bytesPerLine + x], plane0[2 * h.bytesPerLine + x]);
            } else if (h.planes == 1) {
                rgb[x] = palette[pelIndex(plane0, x, h.bitsPerPel)];
            } else {
                unsigned index = 0;
                for (unsigned p = 0; p < h.planes; ++p) {
                    index |= pelIndex(plane0 + size_t{p} * h.bytesPerLine, x, 1) << p;
                }
                rgb[x] = palette[index];
            }
        }
    }
    return ecOK;
}

ErrorCode readDcxPageTable(int fd, uint64_t fileSize, std::vector<uint64_t>& pages) {
    pages.clear();
    std::array<uint8_t, 4 + 4 * kDcxMaxPages> table{};
    const auto want = static_cast<size_t>(std::min<uint64_t>(table.size(), fileSize));
    if (want < 8 || !readExactly(fd, 0, table.data(), want) ||
        le32(table.data()) != kDcxSignature) {
        return ecBadGraphicsFormat;
    }
    const uint64_t firstData = 4;
    for (size_t at = 4; at + 4 <= want; at += 4) {
        const uint32_t offset = le32(table.data() + at);
        if (offset == 0) {
            break;
        }
        if (offset < firstData + 4 || uint64_t{offset} + kPcxHeaderSize > fileSize) {
            return ecReadPastEof;
        }
        pages.push_back(offset);
    }
    return pages.empty() ? ecBadGraphicsFormat : ecOK;
}

}  // namespace px
