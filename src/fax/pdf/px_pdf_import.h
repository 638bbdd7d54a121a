// PDF documents into APF fax files: each page rendered by poppler at fax
// resolution, fitted into the 1728-pel line, text thresholded and pictures
// dithered.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

struct PdfImportOptions {
    bool fine = true;  // 204 x 196 dpi; standard is 204 x 98
    std::string stationId;
    // Bounds on what a file may ask for: more pages are refused, and so is a
    // document that is still rendering after the time limit.
    unsigned maxPages = 1000;
    int timeLimitMs = 120000;
};

// Converts every page of a PDF file. Refused, with ecBadGraphicsFormat and
// the reason in `message`: a file that is not PDF, one cut short or damaged
// beyond reading, one that needs a password, one with no pages or too many.
// The APF file is written under a temporary name beside `apfPath` and takes
// its name only when complete: a refusal or failure leaves nothing behind.
ErrorCode importPdfToApf(const std::string& pdfPath, const std::string& apfPath,
                         const PdfImportOptions& options, std::string* message = nullptr);

}  // namespace px
