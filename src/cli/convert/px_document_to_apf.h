// Any document Parvex takes into an APF fax file, told by its content: text,
// a picture, a DCX or TIFF file (every page), a PDF or PostScript file.
// parvex-convert and the program's "New Fax from File…" both use it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/px_errors.h"
#include "fax/t4/px_fax_font.h"

namespace px {

struct DocumentToApfOptions {
    bool fine = false;    // 196 lines per inch; else 98
    bool wide = false;    // 2048-pel lines for text and pictures
    bool letter = false;  // the paper of a PostScript job that names none; else A4
    std::optional<TFaxFont> font;
    std::string stationId;
    unsigned leftMargin = 50;
    unsigned topMargin = 0;
    unsigned linesPerPage = 60;
};

// A document that could not be converted, with its reason. `code` is the
// document error behind it, when there is one (0 for a refused PDF or
// PostScript file, whose reason is in the text alone).
class DocumentRefused : public std::runtime_error {
public:
    DocumentRefused(const std::string& what, ErrorCode code)
        : std::runtime_error(what), code_(code) {}
    ErrorCode code() const { return code_; }

private:
    ErrorCode code_;
};

// Converts `in` into the APF file `out`; throws DocumentRefused. Nothing is
// left at `out` after a failure. Returns warnings about what was left out.
std::vector<std::string> convertDocumentToApf(const std::string& in, const std::string& out,
                                              const DocumentToApfOptions& options);

}  // namespace px
