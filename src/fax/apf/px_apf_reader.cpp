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
        return ecAccessDenied;
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
}

bool TPxApfReader::readAt(uint64_t offset, void* data, size_t size) const {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
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

ErrorCode TPxApfReader::findPage(unsigned n, ApfPageInfo& page) const {
    if (fd_ < 0) {
        return ecFileNotFound;
    }
    if (n == 0 || n > header_.pageCount) {
        return ecFaxBadFormat;
    }
    uint64_t offset = header_.firstPageOffset;
    std::array<uint8_t, kApfPageHeaderSize> bytes{};
    for (unsigned i = 1;; ++i) {
        if (offset + kApfPageHeaderSize > fileSize_ ||
            !readAt(offset, bytes.data(), bytes.size())) {
            return ecFaxBadFormat;
        }
        page.header = ApfPageHeader::unpack(bytes.data());
        if (i == n) {
            break;
        }
        offset += kApfPageHeaderSize + uint64_t{page.header.imageLength};
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
            if (pos + 2 > limit || !readAt(pos, count, 2)) {
                break;
            }
            const size_t size = static_cast<size_t>(count[0] | (count[1] << 8));
            if (pos + 2 + size > limit) {
                break;  // a record past the page: the page ends here
            }
            const size_t take = std::min(size, kApfMaxRecord);
            if (!readAt(pos + 2, buffer.data(), take)) {
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
