// Documents for the PDF tests: pages with text and a photograph-like picture
// drawn through Qt's PDF writer, a PDF assembled object by object (for the
// encrypted case), and parvex-convert run as a separate process.
#pragma once

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/pdf_tools.h"

namespace px::test {

inline const char* const kSampleHeadline = "Quarterly figures";

// `pages` pages of A4 (or Letter): a headline and a line of body text, and a
// shaded picture under them.
inline void writeSamplePdf(const std::string& path, int pages = 1,
                           QPageSize::PageSizeId size = QPageSize::A4) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(size));
    writer.setResolution(300);
    QPainter p(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            writer.newPage();
        }
        QFont headline("DejaVu Sans");
        headline.setPointSize(28);
        p.setFont(headline);
        p.drawText(QPoint(250, 400), QString::fromLatin1(kSampleHeadline));
        QFont body("DejaVu Sans");
        body.setPointSize(12);
        p.setFont(body);
        p.drawText(QPoint(250, 600),
                   QString("Page %1: sales rose in every region this quarter.").arg(page + 1));
        // A photograph: a raster picture of smooth tones, a dark sky
        // lightening towards the bottom with a bright sun in it.
        QImage photo(600, 400, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) {
                const double sky = 30 + 190.0 * y / photo.height();
                const double dx = x - 200.0;
                const double dy = y - 150.0;
                const double sun = 120.0 * std::max(0.0, 1.0 - std::sqrt(dx * dx + dy * dy) / 120);
                const int v = std::min(255, int(sky + sun));
                photo.setPixel(x, y, qRgb(v * 3 / 4, v * 7 / 8, v));
            }
        }
        p.drawImage(QRect(250, 900, 1800, 1200), photo);
    }
}

// A PDF file from its objects, with an exact cross-reference table.
inline std::string assemblePdf(const std::vector<std::string>& objects,
                               const std::string& trailerExtra) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R " +
           trailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// One blank page, encrypted with the standard handler (RC4, 40 bits) under a
// user password: it cannot be read without it.
inline std::string encryptedPdf() {
    const std::string hash32(64, 'a');
    return assemblePdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >>",
         "<< /Filter /Standard /V 1 /R 2 /O <" + hash32 + "> /U <" + hash32 + "> /P -4 >>"},
        "/Encrypt 4 0 R /ID [<00112233445566778899aabbccddeeff> "
        "<00112233445566778899aabbccddeeff>]");
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string convertTool() {
    const char* bin = std::getenv("PARVEX_BIN_DIR");
    const std::filesystem::path dir =
        bin != nullptr
            ? std::filesystem::path(bin)
            : std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
    return (dir / "parvex-convert").string();
}

// Runs parvex-convert; its output (standard output and error) and status.
inline std::string runConvert(const std::string& args, int* status) {
    return runCommand(shellQuote(convertTool()) + " " + args + " 2>&1", status);
}

// The files in a folder, by name.
inline std::vector<std::string> folderFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace px::test
