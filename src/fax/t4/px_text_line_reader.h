// Reads a text file line by line in blocks of 4096 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

// A line ends at CR, at CR LF (also when the LF starts the next block) and,
// as text files on this platform have it, at a lone LF. A Ctrl-Z as the last
// byte of a block ends the data.
class TPxTextLineReader {
public:
    static constexpr size_t kBlockSize = 4096;

    TPxTextLineReader() = default;
    ~TPxTextLineReader();
    TPxTextLineReader(const TPxTextLineReader&) = delete;
    TPxTextLineReader& operator=(const TPxTextLineReader&) = delete;

    ErrorCode open(const std::string& path);
    void close();
    // False at the end of the data (then check error()).
    bool readLine(std::string& line);
    ErrorCode error() const { return error_; }

    uint64_t bytesRead() const { return bytesRead_; }
    uint64_t fileSize() const { return fileSize_; }

private:
    bool fill();

    int fd_ = -1;
    char block_[kBlockSize] = {};
    size_t pos_ = 0;
    size_t len_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;  // the last line ended with CR: an LF next belongs to it
    uint64_t bytesRead_ = 0;
    uint64_t fileSize_ = 0;
    ErrorCode error_ = ecOK;
};

}  // namespace px
