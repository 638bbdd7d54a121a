// An output file written through a 4096-byte buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

// A write that fits is copied into the buffer; one that does not fill the
// buffer, flushes it, writes whole 4096-byte multiples directly and keeps the
// remainder. Seeking flushes first. Failures return the negated errno.
class TPxBufferedFile {
public:
    static constexpr size_t kBufferSize = 4096;

    TPxBufferedFile() = default;
    ~TPxBufferedFile();
    TPxBufferedFile(const TPxBufferedFile&) = delete;
    TPxBufferedFile& operator=(const TPxBufferedFile&) = delete;

    // Creates or truncates the file.
    ErrorCode create(const std::string& path);
    ErrorCode write(const void* data, size_t size);
    // Flushes, then writes `size` bytes at the current position at once,
    // unbuffered; `written` tells how many reached the file.
    ErrorCode writeThrough(const void* data, size_t size, size_t& written);
    ErrorCode flush();
    ErrorCode seek(uint64_t offset);
    ErrorCode seekEnd();
    uint64_t position() const { return filePos_ + used_; }
    ErrorCode close();
    bool isOpen() const { return fd_ >= 0; }

private:
    ErrorCode writeDirect(const uint8_t* data, size_t size, size_t* written = nullptr);

    int fd_ = -1;
    uint64_t filePos_ = 0;  // file offset of the buffer's first byte
    size_t used_ = 0;
    std::array<uint8_t, kBufferSize> buffer_{};
};

// The negated errno of the last failing call, never 0.
ErrorCode lastSystemError();

}  // namespace px
