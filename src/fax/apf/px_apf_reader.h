// Reader of APF files: header, page lookup and a page's coded data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fax/apf/px_apf_format.h"

namespace px {

struct ApfPageInfo {
    unsigned number = 0;  // 1-based
    uint64_t headerOffset = 0;
    ApfPageHeader header;
};

class TPxApfReader {
public:
    // Receives the next piece of coded data (one line record, or a block of
    // a raw page); returns false to stop reading.
    using ChunkSink = std::function<bool(const uint8_t* data, size_t size)>;

    TPxApfReader() = default;
    ~TPxApfReader();
    TPxApfReader(const TPxApfReader&) = delete;
    TPxApfReader& operator=(const TPxApfReader&) = delete;

    // True only for a readable file starting with the 6-byte signature.
    static bool isApf(const std::string& path);

    // Opens the file and reads its header (8001 when it is not APF).
    ErrorCode open(const std::string& path);
    void close();

    const ApfFileHeader& header() const { return header_; }
    uint16_t pageCount() const { return header_.pageCount; }
    uint64_t fileSize() const { return fileSize_; }

    // Walks the page headers to page n (8001 above the page count or when a
    // header lies past the end of the file). The offsets walked are kept, so
    // that reading every page of a file reads each page header once or twice,
    // not once per page before it.
    ErrorCode findPage(unsigned n, ApfPageInfo& page) const;

    // Hands out the page's coded data. With length words: record by record
    // until a record cannot be read whole within the page and the file (the
    // page then simply ends); a record above 4096 bytes is cut to 4096 and
    // the rest of it skipped. Without length words: blocks of 4096 bytes up
    // to the image length; data ending early fails with 8001.
    // `consumed` counts the image bytes read, length words included.
    ErrorCode readPage(const ApfPageInfo& page, const ChunkSink& sink,
                       uint64_t* consumed = nullptr) const;

    // Work done so far, for callers that bound it: page headers read from
    // the file, and read calls made on it.
    uint64_t pageHeadersRead() const { return headersRead_; }
    uint64_t readCalls() const { return readCalls_; }

private:
    // Size of the read-ahead window: a page's line records come out of it
    // instead of two reads per record.
    static constexpr size_t kWindowSize = 64 * 1024;

    // Reads exactly `size` bytes at `offset`; false on a short read.
    bool readAt(uint64_t offset, void* data, size_t size) const;
    // The same through the read-ahead window.
    bool readBuffered(uint64_t offset, void* data, size_t size) const;

    int fd_ = -1;
    uint64_t fileSize_ = 0;
    ApfFileHeader header_;
    // Offsets of the page headers found so far, page 1 first.
    mutable std::vector<uint64_t> pageOffsets_;
    mutable std::vector<uint8_t> window_;
    mutable uint64_t windowStart_ = 0;
    mutable size_t windowLength_ = 0;
    mutable uint64_t headersRead_ = 0;
    mutable uint64_t readCalls_ = 0;
};

}  // namespace px
