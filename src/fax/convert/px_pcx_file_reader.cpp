#include "fax/convert/px_pcx_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "fax/convert/px_pcx_decoder.h"

namespace px {

TPxPcxFileReader::~TPxPcxFileReader() {
    close();
}

ErrorCode TPxPcxFileReader::load(const std::string& name) {
    close();
    do {
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        return errno != 0 ? -errno : ecFileNotFound;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const ErrorCode rc = -errno;
        close();
        return rc;
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        return -EISDIR;
    }
    fileSize_ = static_cast<uint64_t>(st.st_size);
    ErrorCode rc = ecOK;
    if (form_ == Form::Dcx) {
        rc = readDcxPageTable(fd_, fileSize_, pages_);
    } else {
        pages_.assign(1, 0);
    }
    if (rc == ecOK) {
        rc = decodePcx(fd_, pages_[0], pageEnd(0), first_);
    }
    if (rc != ecOK) {
        close();
    }
    return rc;
}

uint64_t TPxPcxFileReader::pageEnd(size_t index) const {
    // A page ends where the next one starts, or at the end of the file when
    // the table does not list its pages in order.
    if (index + 1 < pages_.size() && pages_[index + 1] > pages_[index]) {
        return pages_[index + 1];
    }
    return fileSize_;
}

ErrorCode TPxPcxFileReader::startPage(const QImage& image) {
    page_ = std::make_unique<TPxBitmapReader>();
    page_->setBitmap(image);
    page_->setOffsetBytes(offset_);
    page_->setMessagePump(pump_);
    return page_->open({});
}

ErrorCode TPxPcxFileReader::open(const std::string& name) {
    if (fd_ < 0) {
        if (ErrorCode rc = load(name); rc != ecOK) {
            return rc;
        }
    }
    current_ = 0;
    done_ = 0;
    const ErrorCode rc = startPage(first_);
    first_ = QImage();  // the page reader holds it now
    return rc;
}

ErrorCode TPxPcxFileReader::readLine(uint8_t* raster, unsigned& len, bool& endOfPage,
                                     bool& morePages) {
    if (!page_) {
        return ecBadArgument;
    }
    if (ErrorCode rc = page_->readLine(raster, len, endOfPage, morePages); rc != ecOK) {
        return rc;
    }
    if (!endOfPage) {
        return ecOK;
    }
    morePages = current_ + 1 < pages_.size();
    if (!morePages) {
        return ecOK;
    }
    // The next page is decoded now, so that a damaged one fails the
    // conversion before its page is begun.
    done_ += page_->bytesRead();
    ++current_;
    QImage next;
    if (ErrorCode rc = decodePcx(fd_, pages_[current_], pageEnd(current_), next); rc != ecOK) {
        return rc;
    }
    return startPage(next);
}

void TPxPcxFileReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    page_.reset();
}

}  // namespace px
