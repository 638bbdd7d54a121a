#include "fax/pdf/px_pdf_import.h"

#include <fcntl.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/convert/px_document_kind.h"
#include "fax/pdf/px_page_binarizer.h"
#include "fax/pdf/px_pdf_end_marker.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kAcrossDpi = 204.0;
constexpr double kFineDpi = 196.0;
constexpr double kStandardDpi = 98.0;
// The longest page kept at full size: a little over two A4 pages. A longer
// page is shrunk to fit, so a file cannot ask for an unbounded raster.
constexpr double kMaxPageInches = 24.0;
constexpr unsigned kTempAttempts = 100;

// Poppler reports every flaw it works around on the terminal; a damaged
// file is refused with one message of ours instead.
void dropPopplerMessage(const std::string& /*text*/, void* /*closure*/) {}

// The APF file under construction: a hidden temporary name in the target
// folder, renamed into place by commit() and removed otherwise.
class TPendingApf {
public:
    explicit TPendingApf(const std::string& target) : target_(target) {
        // A hidden name beside the target, made with the usual permissions
        // (mkstemp would make it private to the user).
        const std::filesystem::path t(target);
        const std::filesystem::path folder =
            t.parent_path().empty() ? std::filesystem::path(".") : t.parent_path();
        for (unsigned attempt = 0; attempt < kTempAttempts && temp_.empty(); ++attempt) {
            const std::string name =
                (folder / ("." + t.filename().string() + "." + std::to_string(::getpid()) + "-" +
                           std::to_string(attempt) + ".part"))
                    .string();
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                temp_ = name;
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    ~TPendingApf() {
        if (!temp_.empty()) {
            writer.abandon();
            std::remove(temp_.c_str());
        }
    }
    TPendingApf(const TPendingApf&) = delete;
    TPendingApf& operator=(const TPendingApf&) = delete;

    bool ok() const { return !temp_.empty(); }
    const std::string& tempPath() const { return temp_; }
    ErrorCode commit() {
        if (ErrorCode rc = writer.finish(); rc != ecOK) {
            return rc;
        }
        if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            return ecAccessDenied;
        }
        temp_.clear();
        return ecOK;
    }

    TPxApfWriter writer;

private:
    std::string target_;
    std::string temp_;
};

ErrorCode refuse(std::string* message, const std::string& why, ErrorCode rc = ecBadGraphicsFormat) {
    if (message != nullptr) {
        *message = why;
    }
    return rc;
}

struct TPageGeometry {
    double xres = 0;
    double yres = 0;
};

// The resolutions that render the page at fax resolution, shrunk where it is
// wider than the fax line or longer than the longest page kept.
bool fitPage(const poppler::page& page, bool fine, TPageGeometry& out) {
    const poppler::rectf box = page.page_rect(poppler::crop_box);
    double width = box.width();
    double height = box.height();
    const poppler::page::orientation_enum o = page.orientation();
    if (o == poppler::page::landscape || o == poppler::page::seascape) {
        std::swap(width, height);
    }
    if (!(width >= 1.0) || !(height >= 1.0) || !std::isfinite(width) || !std::isfinite(height)) {
        return false;
    }
    const double yDpi = fine ? kFineDpi : kStandardDpi;
    double scale = 1.0;
    scale = std::min(scale, kNormalWidthPels / (width / kPointsPerInch * kAcrossDpi));
    scale = std::min(scale, kMaxPageInches * kPointsPerInch / height);
    out.xres = kAcrossDpi * scale;
    out.yres = yDpi * scale;
    return true;
}

ErrorCode writePage(TPxApfWriter& writer, const poppler::image& image, bool fine) {
    const auto width = static_cast<unsigned>(std::min(image.width(), int(kNormalWidthPels)));
    const auto height = static_cast<unsigned>(image.height());
    const unsigned offset = (kNormalWidthPels - width) / 2;
    TPageBinarizer binarizer(reinterpret_cast<const std::uint8_t*>(image.const_data()), width,
                             height, static_cast<std::size_t>(image.bytes_per_row()));
    const auto flags = static_cast<uint16_t>(kApfLengthWords | (fine ? kApfFine : 0));
    if (ErrorCode rc = writer.beginPage(flags); rc != ecOK) {
        return rc;
    }
    std::vector<uint8_t> raster(kNormalLineBytes);
    TPxT4Encoder::Record record{};
    for (unsigned y = 0; y < height; ++y) {
        std::fill(raster.begin(), raster.end(), 0);
        binarizer.nextRow(raster.data(), offset);
        const size_t n =
            TPxT4Encoder::codeLine(raster.data(), kNormalWidthPels, 0, false, record.data());
        if (ErrorCode rc = writer.writeRecord(record.data(), n); rc != ecOK) {
            return rc;
        }
    }
    if (ErrorCode rc = writer.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        rc != ecOK) {
        return rc;
    }
    return writer.endPage();
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Poppler keeps the font configuration it loads through fontconfig for the
// life of the process; the leak checker of sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

ErrorCode importPdfToApf(const std::string& pdfPath, const std::string& apfPath,
                         const PdfImportOptions& options, std::string* message) {
    TDocumentKind kind = TDocumentKind::dkOther;
    if (recogniseDocument(pdfPath, kind) != ecOK) {
        return refuse(message, "cannot read " + pdfPath, ecFileNotFound);
    }
    if (kind != TDocumentKind::dkPdf) {
        return refuse(message, "not a PDF file");
    }
    if (!pdfHasEndMarker(pdfPath)) {
        return refuse(message, "the PDF file is cut short (no end-of-file marker)");
    }
    poppler::set_debug_error_function(dropPopplerMessage, nullptr);
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(pdfPath));
    if (!doc) {
        return refuse(message, "the PDF file is damaged or encrypted and cannot be read");
    }
    if (doc->is_locked()) {
        return refuse(message, "the PDF file is encrypted: it needs a password");
    }
    const int pages = doc->pages();
    if (pages <= 0) {
        return refuse(message, "the PDF file has no pages");
    }
    if (static_cast<unsigned>(pages) > options.maxPages) {
        return refuse(message, "the PDF file has " + std::to_string(pages) +
                                   " pages, more than the " + std::to_string(options.maxPages) +
                                   " a fax may have");
    }

    TPendingApf out(apfPath);
    if (!out.ok()) {
        return refuse(message, "cannot write beside " + apfPath, ecAccessDenied);
    }
    if (ErrorCode rc = out.writer.create(out.tempPath()); rc != ecOK) {
        return refuse(message, "cannot write " + apfPath, rc);
    }
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hint(poppler::page_renderer::antialiasing);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing);
    renderer.set_paper_color(0xFFFFFFFF);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeLimitMs);
    for (int i = 0; i < pages; ++i) {
        if (std::chrono::steady_clock::now() > deadline) {
            return refuse(message, "the PDF file took too long to render", ecTimeout);
        }
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        TPageGeometry geometry;
        if (!page || !fitPage(*page, options.fine, geometry)) {
            return refuse(message, "page " + std::to_string(i + 1) + " of the PDF file is damaged");
        }
        const poppler::image image = renderer.render_page(page.get(), geometry.xres, geometry.yres);
        if (!image.is_valid() || image.format() != poppler::image::format_gray8) {
            return refuse(message,
                          "page " + std::to_string(i + 1) + " of the PDF file cannot be rendered");
        }
        if (ErrorCode rc = writePage(out.writer, image, options.fine); rc != ecOK) {
            return refuse(message, "cannot write " + apfPath, rc);
        }
    }
    apfSetSenderIdConverter(out.writer.header(), options.stationId);
    if (ErrorCode rc = out.commit(); rc != ecOK) {
        return refuse(message, "cannot write " + apfPath, rc);
    }
    return ecOK;
}

}  // namespace px
