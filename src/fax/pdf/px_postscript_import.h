// PostScript documents into APF fax files: Ghostscript, run with -dSAFER as
// a child process under a time limit, turns the job into PDF, which is then
// converted as any PDF file.
#pragma once

#include <string>

#include "common/px_errors.h"
#include "fax/pdf/px_pdf_import.h"

namespace px {

struct PostScriptImportOptions {
    PdfImportOptions pdf;
    bool letter = false;  // the paper a job that names none is set on: A4 or Letter
    int timeLimitMs = 60000;
    std::string ghostscript = "gs";
};

// Refused with ecBadGraphicsFormat and the reason in `message`: a file that is
// not PostScript or that Ghostscript cannot interpret; ecTimeout when it is
// still running after the time limit (it is then killed); ecFileNotFound
// without Ghostscript. Nothing is left behind on failure.
ErrorCode importPostScriptToApf(const std::string& psPath, const std::string& apfPath,
                                const PostScriptImportOptions& options,
                                std::string* message = nullptr);

}  // namespace px
