// Reading PDF files back through poppler's command-line tools (pdftoppm,
// pdftotext, pdfinfo), for tests that check printed output.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/shell_command.h"

namespace px::test {

inline bool havePopplerTools() {
    return haveProgram("pdftoppm") && haveProgram("pdftotext") && haveProgram("pdfinfo");
}

// The page count pdfinfo reports, -1 when it cannot read the file.
inline int pdfPageCount(const std::string& pdf) {
    int status = 0;
    const std::string info = runCommand("pdfinfo " + shellQuote(pdf) + " 2>/dev/null", &status);
    const auto at = info.find("Pages:");
    if (status != 0 || at == std::string::npos) {
        return -1;
    }
    return std::atoi(info.c_str() + at + 6);
}

// One page rendered in grey at `dpi`; with a crop (x, y, w, h in pixels at
// that resolution) only that part.
inline QImage renderPdfPage(const std::string& pdf, int page, int dpi, const std::string& scratch,
                            const QRect& crop = {}) {
    std::string command = "pdftoppm -gray -r " + std::to_string(dpi) + " -f " +
                          std::to_string(page) + " -l " + std::to_string(page) + " -singlefile";
    if (crop.isValid()) {
        command += " -x " + std::to_string(crop.x()) + " -y " + std::to_string(crop.y()) + " -W " +
                   std::to_string(crop.width()) + " -H " + std::to_string(crop.height());
    }
    const std::string base = scratch + "/render";
    command += " " + shellQuote(pdf) + " " + shellQuote(base);
    int status = 0;
    runCommand(command + " 2>/dev/null", &status);
    if (status != 0) {
        return {};
    }
    QImage image(QString::fromStdString(base + ".pgm"));
    std::remove((base + ".pgm").c_str());
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// The text of one page (0: all), its layout kept. Ligatures the fonts set
// for "ff", "fi", "fl", "ffi" and "ffl" (a temporary folder's random name
// may hold them) come back as their letters.
inline std::string pdfText(const std::string& pdf, int page = 0) {
    std::string command = "pdftotext -layout";
    if (page > 0) {
        command += " -f " + std::to_string(page) + " -l " + std::to_string(page);
    }
    std::string text = runCommand(command + " " + shellQuote(pdf) + " - 2>/dev/null");
    // U+FB00 to U+FB04 in UTF-8: EF AC 80 to EF AC 84.
    static const char* const kLetters[] = {"ff", "fi", "fl", "ffi", "ffl"};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
            static_cast<unsigned char>(text[i + 1]) == 0xAC &&
            static_cast<unsigned char>(text[i + 2]) <= 0x84 &&
            static_cast<unsigned char>(text[i + 2]) >= 0x80) {
            out += kLetters[static_cast<unsigned char>(text[i + 2]) - 0x80];
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace px::test
