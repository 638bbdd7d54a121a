// Writer of APF files, page by page.
#pragma once

#include <cstdint>
#include <string>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_buffered_file.h"

namespace px {

// Order of calls: create, then per page beginPage, writeRecord/writeRaw...,
// endPage; then finish. The file header keeps page count 0 and no sender
// until finish (the receiver calls updateHeader after each page instead).
// abandon() closes and deletes the file: no partial file remains.
// Headers are written through at once, so that a header written short is
// told apart (ecShortHeaderWrite) from a failing write of page data. A file
// holds at most 65535 pages: beginPage refuses one more (ecTooManyPages).
class TPxApfWriter {
public:
    TPxApfWriter() = default;
    ~TPxApfWriter();
    TPxApfWriter(const TPxApfWriter&) = delete;
    TPxApfWriter& operator=(const TPxApfWriter&) = delete;

    ErrorCode create(const std::string& path);
    ErrorCode beginPage(uint16_t flags);
    // One line record: its 16-bit length word and its bytes.
    ErrorCode writeRecord(const uint8_t* data, size_t size);
    // Coded bytes without framing (pages without length words).
    ErrorCode writeRaw(const uint8_t* data, size_t size);
    ErrorCode endPage();
    // Rewrites the file header with the current page count.
    ErrorCode updateHeader();
    // Fills in sender and time, rewrites the header and closes the file.
    ErrorCode finish();
    void abandon();

    ApfFileHeader& header() { return header_; }
    uint16_t pageCount() const { return header_.pageCount; }
    uint32_t currentImageLength() const { return page_.imageLength; }
    const std::string& path() const { return path_; }

    // The most pages a file's 16-bit count holds.
    static constexpr uint16_t kMaxPages = 0xFFFF;

private:
    ErrorCode writeHeader(const uint8_t* bytes, size_t size);
    ErrorCode writeHeaderAt(uint64_t offset, const uint8_t* bytes, size_t size);

    TPxBufferedFile file_;
    std::string path_;
    ApfFileHeader header_;
    ApfPageHeader page_;
    uint64_t pageOffset_ = 0;
    bool inPage_ = false;
};

}  // namespace px
