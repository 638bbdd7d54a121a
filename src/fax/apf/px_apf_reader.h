// Reader of APF files: header, page lookup and a page's coded data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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
    // header lies past the end of the file).
    ErrorCode findPage(unsigned n, ApfPageInfo& page) const;

    // Hands out the page's coded data. With length words: record by record
    // until a record cannot be read whole within the page and the file (the
    // page then simply ends); a record above 4096 bytes is cut to 4096 and
    // the rest of it skipped. Without length words: blocks of 4096 bytes up
    // to the image length; data ending early fails with 8001.
    // `consumed` counts the image bytes read, length words included.
    ErrorCode readPage(const ApfPageInfo& page, const ChunkSink& sink,
                       uint64_t* consumed = nullptr) const;

private:
    // Reads exactly `size` bytes at `offset`; false on a short read.
    bool readAt(uint64_t offset, void* data, size_t size) const;

    int fd_ = -1;
    uint64_t fileSize_ = 0;
    ApfFileHeader header_;
};

}  // namespace px
