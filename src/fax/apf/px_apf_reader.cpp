#include "fax/apf/px_apf_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "fax/apf/px_buffered_file.h"

namespace px {
namespace {

int openForReading(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

TPxApfReader::~TPxApfReader() {
    close();
}

bool TPxApfReader::isApf(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const int fd = openForReading(path);
    if (fd < 0) {
        return false;
    }
    std::array<uint8_t, 6> head{};
    const ssize_t n = ::pread(fd, head.data(), head.size(), 0);
    ::close(fd);
    return n == static_cast<ssize_t>(head.size()) && head == kApfSignature;
}

ErrorCode TPxApfReader::open(const std::string& path) {
    close();
    if (path.empty()) {
        return ecFileNotFound;
    }
    fd_ = openForReading(path);
    if (fd_ < 0) {
        return lastSystemError();
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const ErrorCode rc = lastSystemError();
        close();
        return rc;
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        return -EISDIR;
    }
    fileSize_ = static_cast<uint64_t>(st.st_size);
    std::array<uint8_t, kApfFileHeaderSize> bytes{};
    if (!readAt(0, bytes.data(), bytes.size()) || !ApfFileHeader::unpack(bytes.data(), header_)) {
        close();
        return ecFaxBadFormat;
    }
    return ecOK;
}

void TPxApfReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    header_ = ApfFileHeader{};
    fileSize_ = 0;
    pageOffsets_.clear();
    windowLength_ = 0;
}

bool TPxApfReader::readAt(uint64_t offset, void* data, size_t size) const {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        ++readCalls_;
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool TPxApfReader::readBuffered(uint64_t offset, void* data, size_t size) const {
    auto* out = static_cast<uint8_t*>(data);
    while (size > 0) {
        if (offset < windowStart_ || offset >= windowStart_ + windowLength_) {
            if (size >= kWindowSize) {
                return readAt(offset, out, size);
            }
            window_.resize(kWindowSize);
            const uint64_t left = fileSize_ > offset ? fileSize_ - offset : 0;
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kWindowSize, left));
            if (want < size || !readAt(offset, window_.data(), want)) {
                windowLength_ = 0;
                return false;
            }
            windowStart_ = offset;
            windowLength_ = want;
        }
        const auto at = static_cast<size_t>(offset - windowStart_);
        const size_t take = std::min(size, windowLength_ - at);
        std::copy_n(window_.data() + at, take, out);
        out += take;
        size -= take;
        offset += take;
    }
    return true;
}

ErrorCode TPxApfReader::findPage(unsigned n, ApfPageInfo& page) const {
    if (fd_ < 0) {
        return ecFileNotFound;
    }
    if (n == 0 || n > header_.pageCount) {
        return ecFaxBadFormat;
    }
    if (pageOffsets_.empty()) {
        pageOffsets_.push_back(header_.firstPageOffset);
    }
    std::array<uint8_t, kApfPageHeaderSize> bytes{};
    auto readHeader = [&](uint64_t offset) {
        if (offset + kApfPageHeaderSize > fileSize_ ||
            !readAt(offset, bytes.data(), bytes.size())) {
            return false;
        }
        ++headersRead_;
        page.header = ApfPageHeader::unpack(bytes.data());
        return true;
    };
    // Continue the walk from the last page found so far.
    while (pageOffsets_.size() < n) {
        const uint64_t offset = pageOffsets_.back();
        if (!readHeader(offset)) {
            return ecFaxBadFormat;
        }
        pageOffsets_.push_back(offset + kApfPageHeaderSize + uint64_t{page.header.imageLength});
    }
    const uint64_t offset = pageOffsets_[n - 1];
    if (!readHeader(offset)) {
        return ecFaxBadFormat;
    }
    page.number = n;
    page.headerOffset = offset;
    return ecOK;
}

ErrorCode TPxApfReader::readPage(const ApfPageInfo& page, const ChunkSink& sink,
                                 uint64_t* consumed) const {
    if (fd_ < 0) {
        return ecFileNotFound;
    }
    const uint64_t start = page.headerOffset + kApfPageHeaderSize;
    const uint64_t end = start + page.header.imageLength;
    std::array<uint8_t, kApfMaxRecord> buffer{};
    uint64_t pos = start;
    auto report = [&] {
        if (consumed != nullptr) {
            *consumed = pos - start;
        }
    };
    if (page.header.lengthWords()) {
        const uint64_t limit = std::min(end, fileSize_);
        for (;;) {
            uint8_t count[2];
            if (pos + 2 > limit || !readBuffered(pos, count, 2)) {
                break;
            }
            const size_t size = static_cast<size_t>(count[0] | (count[1] << 8));
            if (pos + 2 + size > limit) {
                break;  // a record past the page: the page ends here
            }
            const size_t take = std::min(size, kApfMaxRecord);
            if (!readBuffered(pos + 2, buffer.data(), take)) {
                break;
            }
            pos += 2 + size;
            report();
            if (!sink(buffer.data(), take)) {
                break;
            }
        }
        report();
        return ecOK;
    }
    while (pos < end) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), end - pos));
        const ssize_t n = ::pread(fd_, buffer.data(), want, static_cast<off_t>(pos));
        ++readCalls_;
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            report();
            return lastSystemError();
        }
        if (n == 0) {
            report();
            return ecFaxBadFormat;  // image data ends early
        }
        pos += static_cast<uint64_t>(n);
        report();
        if (!sink(buffer.data(), static_cast<size_t>(n))) {
            break;
        }
    }
    report();
    return ecOK;
}

}  // namespace px
