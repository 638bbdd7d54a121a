// Exports of a fax beyond the unpacker's page files: a page as PNG, the
// whole fax as PDF at its true size.
#pragma once

#include <QString>

#include "common/px_errors.h"
#include "fax/unpack/px_fax_unpacker.h"

namespace px {

// Horizontal resolution of every fax page, and the vertical ones (T.4).
inline constexpr double kFaxDpiAcross = 204.0;
inline constexpr double kFaxDpiStandard = 98.0;
inline constexpr double kFaxDpiFine = 196.0;

// Page n through `unpacker` (its settings apply) as a PNG file, black on
// white; an all-white page gives a 1 by 1 white picture. Raises the
// unpacker's errors, EInOutError when the file cannot be written.
void exportPagePng(TPxFaxUnpacker& unpacker, unsigned page, const QString& path);

// Every page of `apfPath` as one PDF page of the fax's true size: the line
// width (1728 or 2048 pels) at 204 pels per inch across, the lines at 98 or
// 196 per inch down. A partial file is removed on failure.
ErrorCode exportFaxPdf(const QString& apfPath, const QString& pdfPath);

}  // namespace px
