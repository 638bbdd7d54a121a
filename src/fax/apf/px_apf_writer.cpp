#include "fax/apf/px_apf_writer.h"

#include <unistd.h>

#include <limits>

namespace px {

TPxApfWriter::~TPxApfWriter() {
    if (file_.isOpen()) {
        abandon();
    }
}

ErrorCode TPxApfWriter::create(const std::string& path) {
    if (path.empty()) {
        return ecFileNotFound;
    }
    path_ = path;
    header_ = ApfFileHeader{};
    inPage_ = false;
    if (ErrorCode rc = file_.create(path); rc != ecOK) {
        return rc;
    }
    const auto bytes = header_.pack();
    return writeHeader(bytes.data(), bytes.size());
}

ErrorCode TPxApfWriter::beginPage(uint16_t flags) {
    if (!file_.isOpen() || inPage_) {
        return ecBadArgument;
    }
    if (header_.pageCount == kMaxPages) {
        return ecTooManyPages;
    }
    pageOffset_ = file_.position();
    page_ = ApfPageHeader{0, flags};
    inPage_ = true;
    const auto bytes = page_.pack();
    return writeHeader(bytes.data(), bytes.size());
}

ErrorCode TPxApfWriter::writeRecord(const uint8_t* data, size_t size) {
    if (!inPage_ || size > std::numeric_limits<uint16_t>::max()) {
        return ecBadArgument;
    }
    const uint8_t count[2] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
    if (ErrorCode rc = file_.write(count, 2); rc != ecOK) {
        return rc;
    }
    page_.imageLength += 2;
    return writeRaw(data, size);
}

ErrorCode TPxApfWriter::writeRaw(const uint8_t* data, size_t size) {
    if (!inPage_) {
        return ecBadArgument;
    }
    if (uint64_t{page_.imageLength} + size > std::numeric_limits<uint32_t>::max()) {
        return ecBufferTooBig;
    }
    if (ErrorCode rc = file_.write(data, size); rc != ecOK) {
        return rc;
    }
    page_.imageLength += static_cast<uint32_t>(size);
    return ecOK;
}

ErrorCode TPxApfWriter::writeHeader(const uint8_t* bytes, size_t size) {
    // Data still buffered is not part of the header: its failure is its own.
    if (ErrorCode rc = file_.flush(); rc != ecOK) {
        return rc;
    }
    size_t written = 0;
    if (file_.writeThrough(bytes, size, written) != ecOK || written < size) {
        return ecShortHeaderWrite;
    }
    return ecOK;
}

ErrorCode TPxApfWriter::writeHeaderAt(uint64_t offset, const uint8_t* bytes, size_t size) {
    if (ErrorCode rc = file_.seek(offset); rc != ecOK) {
        return rc;
    }
    if (ErrorCode rc = writeHeader(bytes, size); rc != ecOK) {
        return rc;
    }
    return file_.seekEnd();
}

ErrorCode TPxApfWriter::endPage() {
    if (!inPage_) {
        return ecBadArgument;
    }
    inPage_ = false;
    ++header_.pageCount;
    const auto bytes = page_.pack();
    return writeHeaderAt(pageOffset_, bytes.data(), bytes.size());
}

ErrorCode TPxApfWriter::updateHeader() {
    const auto bytes = header_.pack();
    return writeHeaderAt(0, bytes.data(), bytes.size());
}

ErrorCode TPxApfWriter::finish() {
    if (inPage_) {
        return ecBadArgument;
    }
    header_.dateTime = apfDosDateTimeNow();
    if (ErrorCode rc = updateHeader(); rc != ecOK) {
        return rc;
    }
    return file_.close();
}

void TPxApfWriter::abandon() {
    file_.close();
    inPage_ = false;
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
}

}  // namespace px
