#include "fax/t4/px_text_line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace px {

TPxTextLineReader::~TPxTextLineReader() {
    close();
}

ErrorCode TPxTextLineReader::open(const std::string& path) {
    close();
    if (path.empty()) {
        return ecFileNotFound;
    }
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        return errno != 0 ? -errno : ecFileNotFound;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const ErrorCode rc = errno != 0 ? -errno : ecFileNotFound;
        close();
        return rc;
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        return -EISDIR;
    }
    fileSize_ = static_cast<uint64_t>(st.st_size);
    pos_ = len_ = 0;
    eof_ = skipLf_ = afterFormFeed_ = false;
    bytesRead_ = 0;
    skipped_ = 0;
    error_ = ecOK;
    return ecOK;
}

void TPxTextLineReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    eof_ = true;
}

bool TPxTextLineReader::fill() {
    if (eof_ || fd_ < 0) {
        return false;
    }
    ssize_t n = 0;
    do {
        n = ::read(fd_, block_, kBlockSize);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        error_ = -errno;
        eof_ = true;
        return false;
    }
    if (n == 0) {
        eof_ = true;
        return false;
    }
    bytesRead_ += static_cast<uint64_t>(n);
    pos_ = 0;
    len_ = static_cast<size_t>(n);
    if (block_[len_ - 1] == '\x1A') {
        --len_;
        eof_ = true;  // the data ends with this block
        ::close(fd_);
        fd_ = -1;
    }
    return true;
}

bool TPxTextLineReader::readLine(std::string& line) {
    bool formFeed = false;
    return read(line, false, formFeed);
}

bool TPxTextLineReader::readPiece(std::string& line, bool& formFeed) {
    return read(line, true, formFeed);
}

bool TPxTextLineReader::read(std::string& line, bool stopAtFormFeed, bool& formFeed) {
    line.clear();
    formFeed = false;
    bool any = false;
    for (;;) {
        if (pos_ == len_ && !fill()) {
            afterFormFeed_ = false;
            return any;
        }
        if (len_ == 0) {
            continue;
        }
        if (skipLf_) {
            skipLf_ = false;
            if (block_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        any = true;
        while (pos_ < len_) {
            const char ch = block_[pos_++];
            if (ch == '\r' || ch == '\n') {
                skipLf_ = ch == '\r';
                if (afterFormFeed_ && line.empty()) {
                    // The line ended right after its form feed: nothing
                    // follows the break on this line.
                    afterFormFeed_ = false;
                    any = false;
                    break;
                }
                afterFormFeed_ = false;
                return true;
            }
            if (ch == '\f' && stopAtFormFeed) {
                formFeed = afterFormFeed_ = true;
                return true;
            }
            if (line.size() < kMaxKept) {
                line.push_back(ch);
            } else {
                ++skipped_;
            }
        }
    }
}

}  // namespace px
