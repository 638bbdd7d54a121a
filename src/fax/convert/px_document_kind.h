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
    dkOther
};

// How many leading bytes recognition looks at.
constexpr size_t kDocumentSniffBytes = 4096;

// The kind of a file that starts with `head` (its first bytes, at most
// kDocumentSniffBytes of them). Text is what carries no NUL byte and few
// other control characters; an empty file is text.
TDocumentKind recogniseDocumentBytes(const uint8_t* head, size_t size);

// Reads the start of `path` and recognises it; a file that cannot be read
// fails with the system's error (a directory: -EISDIR).
ErrorCode recogniseDocument(const std::string& path, TDocumentKind& kind);

// A BMP file whose headers promise more pel data than the file holds fails
// with ecReadPastEof; one whose headers are cut, too.
ErrorCode checkBmpComplete(const std::string& path);

// Reader-facing name of a kind ("PCX picture", "text", …) for messages.
const char* documentKindName(TDocumentKind kind);

}  // namespace px
