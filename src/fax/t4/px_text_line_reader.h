// Reads a text file line by line in blocks of 4096 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

// A line ends at CR, at CR LF (also when the LF starts the next block) and,
// as text files on this platform have it, at a lone LF. A Ctrl-Z as the last
// byte of a block ends the data.
//
// Only the first kMaxKept bytes of a line are kept, enough for the widest
// page in the narrowest glyphs even as UTF-8; the rest is skipped, so memory
// stays bounded on a file with no line break at all.
class TPxTextLineReader {
public:
    static constexpr size_t kBlockSize = 4096;
    static constexpr size_t kMaxKept = 8192;

    TPxTextLineReader() = default;
    ~TPxTextLineReader();
    TPxTextLineReader(const TPxTextLineReader&) = delete;
    TPxTextLineReader& operator=(const TPxTextLineReader&) = delete;

    ErrorCode open(const std::string& path);
    void close();
    // False at the end of the data (then check error()).
    bool readLine(std::string& line);
    // The same, but a form feed also ends the piece read; `formFeed` tells
    // that it did. After a form feed, an empty rest of its line is no piece
    // of its own.
    bool readPiece(std::string& line, bool& formFeed);
    // Bytes of lines skipped beyond kMaxKept, so far.
    uint64_t bytesSkipped() const { return skipped_; }
    ErrorCode error() const { return error_; }

    uint64_t bytesRead() const { return bytesRead_; }
    uint64_t fileSize() const { return fileSize_; }

private:
    bool fill();
    bool read(std::string& line, bool stopAtFormFeed, bool& formFeed);

    int fd_ = -1;
    char block_[kBlockSize] = {};
    size_t pos_ = 0;
    size_t len_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;         // the last line ended with CR: an LF next belongs to it
    bool afterFormFeed_ = false;  // the last piece ended at a form feed
    uint64_t skipped_ = 0;
    uint64_t bytesRead_ = 0;
    uint64_t fileSize_ = 0;
    ErrorCode error_ = ecOK;
};

}  // namespace px
