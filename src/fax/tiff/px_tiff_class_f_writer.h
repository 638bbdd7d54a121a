// Writer of multi-page TIFF Class F files: Group 3 pages whose coded data the
// caller hands over as it comes, one strip per page. It needs no imaging
// library, so that a converter writing fax TIFF starts in no time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace px {

// Group 3 option: each EOL padded with fill bits to end on a byte boundary,
// as our coder writes every line.
constexpr uint32_t kTiffGroup3FillBits = 4;

// What a page's directory says besides its strip.
struct TiffFaxPage {
    uint32_t width = 0;                            // pels
    uint32_t length = 0;                           // scan lines
    bool fine = false;                             // 196 lines per inch, else 98
    uint32_t group3Options = kTiffGroup3FillBits;  // GROUP3OPT_* bits
    uint16_t number = 0;                           // from 0
    uint16_t count = 0;                            // pages in the file
};

// The file is laid out as libtiff lays out one written strip by strip: the
// 8-byte header, then per page its strip, its directory on a word boundary
// and the directory's longer values after it. Offsets are 32-bit: a file
// that would reach 4 GiB fails instead of wrapping.
class TPxTiffClassFWriter {
public:
    TPxTiffClassFWriter() = default;
    ~TPxTiffClassFWriter();
    TPxTiffClassFWriter(const TPxTiffClassFWriter&) = delete;
    TPxTiffClassFWriter& operator=(const TPxTiffClassFWriter&) = delete;

    // Creates or truncates the file and writes the header.
    bool create(const std::string& path);
    // Appends coded data to the current page's strip. Small pieces (a line
    // record at a time) are gathered and written some hundred kilobytes at a
    // time: few write calls, memory bounded however long the page.
    bool appendStrip(const uint8_t* data, size_t size);
    // Writes the current page's directory; the next append starts a page.
    bool finishPage(const TiffFaxPage& page);
    // Writes `count` as the page count of every page written so far, for a
    // writer that learns the count only at the end.
    bool setPageCount(uint16_t count);
    // Closes the file; false when a write failed on the way.
    bool close();

    // What went wrong, in words, naming the file.
    const std::string& lastError() const { return error_; }

private:
    bool fail(const std::string& what, int error);
    bool writeAt(uint64_t offset, const void* data, size_t size);
    bool writePending();

    int fd_ = -1;
    std::string path_;
    std::string error_;
    uint64_t end_ = 0;         // bytes in the file
    uint64_t stripStart_ = 0;  // the current page's strip
    uint64_t stripBytes_ = 0;
    std::vector<uint8_t> pending_;  // appended, not yet written at end_
    uint64_t link_ = 4;             // where the next directory's offset goes
    // Each page's number and where its page number entry keeps the value.
    std::vector<std::pair<uint16_t, uint64_t>> pageNumbers_;
};

}  // namespace px
