#include "fax/apf/px_buffered_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace px {

ErrorCode lastSystemError() {
    return errno != 0 ? -errno : ecReadFault;
}

TPxBufferedFile::~TPxBufferedFile() {
    close();
}

ErrorCode TPxBufferedFile::create(const std::string& path) {
    close();
    if (path.empty()) {
        return ecFileNotFound;
    }
    do {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        return lastSystemError();
    }
    filePos_ = 0;
    used_ = 0;
    return ecOK;
}

ErrorCode TPxBufferedFile::writeDirect(const uint8_t* data, size_t size, size_t* written) {
    if (written != nullptr) {
        *written = 0;
    }
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, data, size, static_cast<off_t>(filePos_));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastSystemError();
        }
        if (n == 0) {
            return -ENOSPC;
        }
        if (written != nullptr) {
            *written += static_cast<size_t>(n);
        }
        data += n;
        size -= static_cast<size_t>(n);
        filePos_ += static_cast<uint64_t>(n);
    }
    return ecOK;
}

ErrorCode TPxBufferedFile::write(const void* data, size_t size) {
    if (fd_ < 0) {
        return ecFileNotFound;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    if (used_ + size < kBufferSize) {
        std::memcpy(buffer_.data() + used_, p, size);
        used_ += size;
        return ecOK;
    }
    if (ErrorCode rc = flush(); rc != ecOK) {
        return rc;
    }
    const size_t direct = size - size % kBufferSize;
    if (ErrorCode rc = writeDirect(p, direct); rc != ecOK) {
        return rc;
    }
    std::memcpy(buffer_.data(), p + direct, size - direct);
    used_ = size - direct;
    return ecOK;
}

ErrorCode TPxBufferedFile::writeThrough(const void* data, size_t size, size_t& written) {
    written = 0;
    if (fd_ < 0) {
        return ecFileNotFound;
    }
    if (ErrorCode rc = flush(); rc != ecOK) {
        return rc;
    }
    return writeDirect(static_cast<const uint8_t*>(data), size, &written);
}

ErrorCode TPxBufferedFile::flush() {
    if (fd_ < 0 || used_ == 0) {
        return ecOK;
    }
    const size_t n = used_;
    used_ = 0;
    return writeDirect(buffer_.data(), n);
}

ErrorCode TPxBufferedFile::seek(uint64_t offset) {
    if (ErrorCode rc = flush(); rc != ecOK) {
        return rc;
    }
    filePos_ = offset;
    return ecOK;
}

ErrorCode TPxBufferedFile::seekEnd() {
    if (ErrorCode rc = flush(); rc != ecOK) {
        return rc;
    }
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) {
        return lastSystemError();
    }
    filePos_ = static_cast<uint64_t>(end);
    return ecOK;
}

ErrorCode TPxBufferedFile::close() {
    if (fd_ < 0) {
        return ecOK;
    }
    ErrorCode rc = flush();
    if (::close(fd_) != 0 && rc == ecOK) {
        rc = lastSystemError();
    }
    fd_ = -1;
    return rc;
}

}  // namespace px
