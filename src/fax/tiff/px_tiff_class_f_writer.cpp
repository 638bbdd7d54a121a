#include "fax/tiff/px_tiff_class_f_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace px {
namespace {

// TIFF 6.0 tags of a Class F page, in the ascending order a directory needs.
enum TiffTag : uint16_t {
    kNewSubfileType = 254,
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kFillOrder = 266,
    kStripOffsets = 273,
    kOrientation = 274,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kPlanarConfig = 284,
    kGroup3Options = 292,
    kResolutionUnit = 296,
    kPageNumber = 297,
    kSoftware = 305,
    kCleanFaxData = 327,
};

enum TiffType : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

constexpr uint32_t kSubfilePage = 2;
constexpr uint16_t kCompressionGroup3 = 3;
constexpr uint16_t kPhotometricMinIsWhite = 0;
constexpr uint16_t kFillLsbFirst = 2;
constexpr uint16_t kOrientationTopLeft = 1;
constexpr uint16_t kPlanarContiguous = 1;
constexpr uint16_t kUnitInch = 2;
constexpr uint16_t kCleanFaxClean = 0;
constexpr uint32_t kOneStrip = 0xFFFFFFFF;
constexpr uint32_t kAcrossDpi = 204;
constexpr uint32_t kFineLpi = 196;
constexpr uint32_t kStandardLpi = 98;
constexpr char kSoftwareName[] = "Parvex";
constexpr uint64_t kMaxOffset = 0xFFFFFFFF;
constexpr unsigned kEntryBytes = 12;
// Strip bytes gathered before they are written.
constexpr size_t kWriteChunkBytes = 256 * 1024;

class DirectoryBuilder {
public:
    // `at` is the directory's offset in the file; longer values follow it.
    DirectoryBuilder(uint32_t at, unsigned entries)
        : at_(at), extra_(at + 2 + entries * kEntryBytes + 4) {
        put16(static_cast<uint16_t>(entries));
    }

    void shortValue(uint16_t tag, uint16_t value) { entry(tag, kShort, 1, value); }
    void longValue(uint16_t tag, uint32_t value) { entry(tag, kLong, 1, value); }
    // SHORT when the value fits, as libtiff writes sizes.
    void shortOrLong(uint16_t tag, uint32_t value) {
        if (value <= 0xFFFF) {
            shortValue(tag, static_cast<uint16_t>(value));
        } else {
            longValue(tag, value);
        }
    }
    // Where the value of the next entry goes in the file.
    uint64_t nextValueOffset() const { return at_ + bytes_.size() + 8; }
    void shortPair(uint16_t tag, uint16_t first, uint16_t second) {
        entry(tag, kShort, 2, uint32_t{first} | (uint32_t{second} << 16));
    }
    void rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
        uint8_t value[8];
        store32(value, numerator);
        store32(value + 4, denominator);
        entry(tag, kRational, 1, outOfLine(value, sizeof value));
    }
    void ascii(uint16_t tag, const char* text) {
        const size_t size = std::strlen(text) + 1;
        entry(tag, kAscii, static_cast<uint32_t>(size),
              outOfLine(reinterpret_cast<const uint8_t*>(text), size));
    }

    // The directory with no next one, then the longer values.
    std::vector<uint8_t> finish() {
        put32(0);
        bytes_.insert(bytes_.end(), values_.begin(), values_.end());
        return std::move(bytes_);
    }

private:
    static void store32(uint8_t* p, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            p[i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    void put16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void put32(uint32_t v) {
        put16(static_cast<uint16_t>(v));
        put16(static_cast<uint16_t>(v >> 16));
    }
    void entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16(tag);
        put16(type);
        put32(count);
        put32(value);
    }
    // Values longer than four bytes go after the directory, each on a word
    // boundary; returns the value's offset.
    uint32_t outOfLine(const uint8_t* data, size_t size) {
        if ((extra_ + values_.size()) & 1U) {
            values_.push_back(0);
        }
        const auto offset = static_cast<uint32_t>(extra_ + values_.size());
        values_.insert(values_.end(), data, data + size);
        return offset;
    }

    uint32_t at_;
    uint64_t extra_;
    std::vector<uint8_t> bytes_;
    std::vector<uint8_t> values_;
};

constexpr unsigned kPageEntries = 20;

}  // namespace

TPxTiffClassFWriter::~TPxTiffClassFWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool TPxTiffClassFWriter::fail(const std::string& what, int error) {
    if (error_.empty()) {
        error_ = path_ + ": " + what + (error != 0 ? std::string(": ") + std::strerror(error) : "");
    }
    return false;
}

bool TPxTiffClassFWriter::writeAt(uint64_t offset, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size != 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return fail("cannot write", n < 0 ? errno : ENOSPC);
        }
        p += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool TPxTiffClassFWriter::create(const std::string& path) {
    path_ = path;
    error_.clear();
    pageNumbers_.clear();
    pending_.clear();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        return fail("cannot create the file", errno);
    }
    // Little-endian ("II"), version 42, first directory offset to follow.
    const uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};
    end_ = 0;
    link_ = 4;
    if (!writeAt(0, header, sizeof header)) {
        return false;
    }
    end_ = stripStart_ = sizeof header;
    stripBytes_ = 0;
    return true;
}

bool TPxTiffClassFWriter::writePending() {
    if (pending_.empty()) {
        return true;
    }
    const bool ok = writeAt(end_, pending_.data(), pending_.size());
    end_ += pending_.size();
    pending_.clear();
    return ok;
}

bool TPxTiffClassFWriter::appendStrip(const uint8_t* data, size_t size) {
    if (fd_ < 0 || !error_.empty()) {
        return false;
    }
    if (end_ + pending_.size() + size > kMaxOffset) {
        return fail("the file would reach the 4 GiB limit of TIFF", 0);
    }
    stripBytes_ += size;
    if (pending_.size() + size >= kWriteChunkBytes && !writePending()) {
        return false;
    }
    if (size < kWriteChunkBytes) {
        pending_.insert(pending_.end(), data, data + size);
        return true;
    }
    // A big piece is written as it stands, never copied.
    if (!writeAt(end_, data, size)) {
        return false;
    }
    end_ += size;
    return true;
}

bool TPxTiffClassFWriter::finishPage(const TiffFaxPage& page) {
    if (fd_ < 0 || !error_.empty() || !writePending()) {
        return false;
    }
    const uint64_t at = (end_ + 1) & ~uint64_t{1};  // a directory starts on a word
    DirectoryBuilder d(static_cast<uint32_t>(at), kPageEntries);
    d.longValue(kNewSubfileType, kSubfilePage);
    d.shortOrLong(kImageWidth, page.width);
    d.shortOrLong(kImageLength, page.length);
    d.shortValue(kBitsPerSample, 1);
    d.shortValue(kCompression, kCompressionGroup3);
    d.shortValue(kPhotometric, kPhotometricMinIsWhite);
    d.shortValue(kFillOrder, kFillLsbFirst);
    d.longValue(kStripOffsets, static_cast<uint32_t>(stripStart_));
    d.shortValue(kOrientation, kOrientationTopLeft);
    d.shortValue(kSamplesPerPixel, 1);
    d.longValue(kRowsPerStrip, kOneStrip);
    d.longValue(kStripByteCounts, static_cast<uint32_t>(stripBytes_));
    d.rational(kXResolution, kAcrossDpi, 1);
    d.rational(kYResolution, page.fine ? kFineLpi : kStandardLpi, 1);
    d.shortValue(kPlanarConfig, kPlanarContiguous);
    d.longValue(kGroup3Options, page.group3Options);
    d.shortValue(kResolutionUnit, kUnitInch);
    pageNumbers_.emplace_back(page.number, d.nextValueOffset());
    d.shortPair(kPageNumber, page.number, page.count);
    d.ascii(kSoftware, kSoftwareName);
    d.shortValue(kCleanFaxData, kCleanFaxClean);
    std::vector<uint8_t> bytes = d.finish();
    if (at != end_) {
        bytes.insert(bytes.begin(), 0);  // the pad byte before the directory
    }
    if (end_ + bytes.size() > kMaxOffset) {
        return fail("the file would reach the 4 GiB limit of TIFF", 0);
    }
    uint8_t link[4];
    for (int i = 0; i < 4; ++i) {
        link[i] = static_cast<uint8_t>(at >> (8 * i));
    }
    // The directory first, then the link to it: a reader never meets a link
    // to a directory not yet there.
    if (!writeAt(end_, bytes.data(), bytes.size()) || !writeAt(link_, link, sizeof link)) {
        return false;
    }
    end_ += bytes.size();
    link_ = at + 2 + kPageEntries * kEntryBytes;
    stripStart_ = end_;
    stripBytes_ = 0;
    return true;
}

bool TPxTiffClassFWriter::setPageCount(uint16_t count) {
    if (fd_ < 0 || !error_.empty()) {
        return false;
    }
    for (const auto& [number, offset] : pageNumbers_) {
        const uint8_t value[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                                  static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)};
        if (!writeAt(offset, value, sizeof value)) {
            return false;
        }
    }
    return true;
}

bool TPxTiffClassFWriter::close() {
    if (fd_ < 0) {
        return error_.empty();
    }
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
        return fail("cannot write", errno);
    }
    return error_.empty();
}

}  // namespace px
