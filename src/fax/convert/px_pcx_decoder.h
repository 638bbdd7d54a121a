// PCX pictures and DCX files of PCX pages, as converter input.
//
// A PCX picture is a 128-byte header and run-length coded scan lines: a byte
// with its two top bits set repeats the next byte (its low six bits) times;
// any other byte stands for itself. A DCX file is the signature 0x3ADE68B1
// and a table of up to 1024 page offsets ending at a zero entry.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "common/px_errors.h"
#include "fax/convert/px_pcx_format.h"

namespace px {

// Decodes the PCX picture at [offset, end) of the open file `fd`: 1 bit per
// pel in 1 to 4 planes, 2, 4 or 8 bits in one plane, or 8 bits in 3 or 4
// planes (true colour). A 1-bit picture comes out as QImage::Format_Mono,
// any other as RGB32. Data that ends before the last line fails with
// ecReadPastEof; a header that is no PCX picture, or one of a kind not
// listed, with ecBadGraphicsFormat.
ErrorCode decodePcx(int fd, uint64_t offset, uint64_t end, QImage& image);

// Reads the page table of a DCX file: the offsets of its pages (at least
// one), each inside the file. Anything else is ecBadGraphicsFormat.
ErrorCode readDcxPageTable(int fd, uint64_t fileSize, std::vector<uint64_t>& pages);

}  // namespace px
