// What a document file holds, told by its content rather than its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/px_errors.h"

namespace px {

enum class TDocumentKind {
    dkText,
    dkTiff,
    dkPcx,
    dkDcx,
    dkBmp,
    dkPng,
    dkJpeg,
    dkGif,
    dkPnm,
    dkPdf,         // rendered page by page
    dkPostScript,  // also an EPS file, bare or behind a DOS EPS header
    dkOther
};

// How many leading bytes recognition looks at.
constexpr size_t kDocumentSniffBytes = 4096;

// How far into a file "%PDF-" is looked for: readers allow a little junk
// before it.
constexpr size_t kPdfMagicWithin = 1024;

// The kind of a file that starts with `head` (its first bytes, at most
// kDocumentSniffBytes of them). PDF and PostScript come first, whatever else
// their bytes look like: "%PDF-" within the first kilobyte, "%!PS" at the
// start or where a DOS EPS header points (when that lies within `head`).
// Text is what carries no NUL byte and few other control characters; an
// empty file is text.
TDocumentKind recogniseDocumentBytes(const uint8_t* head, size_t size);

// Reads the start of `path` and recognises it (following a DOS EPS header
// wherever it points); a file that cannot be read fails with the system's
// error (a directory: -EISDIR).
ErrorCode recogniseDocument(const std::string& path, TDocumentKind& kind);

// A BMP file whose headers promise more pel data than the file holds fails
// with ecReadPastEof; one whose headers are cut, too.
ErrorCode checkBmpComplete(const std::string& path);

// Reader-facing name of a kind ("PCX picture", "text", …) for messages.
const char* documentKindName(TDocumentKind kind);

}  // namespace px
