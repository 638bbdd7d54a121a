#include "cli/convert/px_convert_cli.h"

#include <unistd.h>
#include <QImage>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/convert/px_convert_info.h"
#include "cli/convert/px_convert_options.h"
#include "cli/convert/px_document_to_apf.h"
#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_fax_converter.h"
#include "fax/pdf/px_pdf_import.h"
#include "fax/pdf/px_postscript_import.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/tiff/px_tiff_export.h"
#include "fax/tiff/px_tiff_import.h"
#include "fax/unpack/px_fax_unpacker.h"
#include "fax/unpack/px_page_bitmap.h"

namespace px {

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  parvex-convert to-apf INPUT OUTPUT.apf [--fine] [--wide] [--font small|standard]\n"
    "                 [--station-id ID] [--left-margin N] [--top-margin N] [--lines-per-page N]\n"
    "      INPUT, told by its content: text, a picture (PCX, BMP, PNG, JPEG, GIF, PBM),\n"
    "      a DCX file (every page) or a TIFF file (every page, resolution from the file)\n"
    "      a PDF or PostScript file, known by its content, is rendered page by page\n"
    "      (--letter: the paper of a PostScript job that names none, else A4)\n"
    "  parvex-convert to-tiff INPUT OUTPUT.tif [the options of to-apf]\n"
    "      INPUT as for to-apf, every page into one TIFF Class F file\n"
    "  parvex-convert from-apf INPUT.apf OUTPUT.{bmp,pcx,dcx,png,pbm,tif} [--page N]\n"
    "      one page (default 1); .tif takes every page (TIFF Class F);\n"
    "      .png and .pbm hold the page raster as coded, one pel per fax pel\n"
    "  parvex-convert info FILE.apf\n";

using Args = CliArgs;

// A failure that concerns one file: reported with the file's name.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& what, ErrorCode code)
        : std::runtime_error(what + ": " + faxDocumentErrorText(code)), code_(code) {}
    // A refusal whose text names the file and the reason already.
    explicit FileError(const DocumentRefused& refused)
        : std::runtime_error(refused.what()), code_(refused.code()) {}
    ErrorCode code() const { return code_; }

private:
    ErrorCode code_;
};

void warn(const std::string& text) {
    std::fprintf(stderr, "parvex-convert: warning: %s\n", text.c_str());
}

[[noreturn]] void fail(ErrorCode rc) {
    checkFaxResult(rc == ecOK ? ecInternal : rc);
    throw std::logic_error("unreachable");
}

int toApf(const Args& args) {
    // Options first: a usage error is told before anything is read.
    const DocumentToApfOptions options = toApfOptions(args);
    try {
        for (const std::string& warning :
             convertDocumentToApf(args.positional[0], args.positional[1], options)) {
            warn(warning);
        }
    } catch (const DocumentRefused& e) {
        if (e.code() == ecOK) {
            throw std::runtime_error(e.what());
        }
        throw FileError(e);
    }
    return 0;
}

// A temporary APF file beside the output, deleted when it goes.
class TemporaryApf {
public:
    explicit TemporaryApf(const std::string& beside) {
        const size_t slash = beside.rfind('/');
        std::string name =
            (slash == std::string::npos ? std::string() : beside.substr(0, slash + 1)) +
            ".parvex-convert-XXXXXX.apf";
        const int fd = ::mkstemps(name.data(), 4);
        if (fd < 0) {
            throw std::runtime_error("cannot create a file beside " + beside + ": " +
                                     std::strerror(errno));
        }
        ::close(fd);
        path_ = name;
    }
    ~TemporaryApf() { ::unlink(path_.c_str()); }
    TemporaryApf(const TemporaryApf&) = delete;
    TemporaryApf& operator=(const TemporaryApf&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Any document to TIFF Class F: converted as to-apf would, then exported as
// from-apf would; the APF file between them does not stay.
int toTiff(const Args& args) {
    const DocumentToApfOptions options = toApfOptions(args, "to-tiff");
    const std::string& in = args.positional[0];
    const std::string& out = args.positional[1];
    const std::string ext = lowerSuffix(out);
    if (ext != "tif" && ext != "tiff") {
        throw UsageError("to-tiff writes OUTPUT.tif");
    }
    const TemporaryApf apf(out);
    try {
        for (const std::string& warning : convertDocumentToApf(in, apf.path(), options)) {
            warn(warning);
        }
    } catch (const DocumentRefused& e) {
        if (e.code() == ecOK) {
            throw std::runtime_error(e.what());
        }
        throw FileError(e);
    }
    std::string message;
    if (ErrorCode rc = exportApfToTiff(apf.path(), out, &message); rc != ecOK) {
        throw FileError(in + " -> " + out + (message.empty() ? "" : " (" + message + ")"), rc);
    }
    return 0;
}

// The page raster as coded: full width, one pel per fax pel, 1 = black.
QImage pageRaster(const std::string& path, unsigned page) {
    TPxPageUnpacker unpacker;
    UnpackSettings settings;
    settings.autoScale = TAutoScaleMode::asNone;
    unpacker.setSettings(settings);
    std::vector<uint8_t> lines;
    uint64_t kept = 0;
    uint64_t dropped = 0;
    const ErrorCode rc = unpacker.unpack(path, page, false, [&](const uint8_t* d, unsigned n) {
        if (kept < TPxPageBitmap::kMaxLines) {
            lines.insert(lines.end(), d, d + n);
            ++kept;
        } else {
            ++dropped;
        }
    });
    if (rc != ecOK) {
        throw FileError(path, rc);
    }
    if (dropped != 0) {
        warn(path + ": page " + std::to_string(page) + " is longer than " +
             std::to_string(TPxPageBitmap::kMaxLines) + " lines; " + std::to_string(dropped) +
             " lines left out");
    }
    const unsigned lineBytes = unpacker.pageHeader().wide() ? kWideLineBytes : kNormalLineBytes;
    const int rows = std::max(1, static_cast<int>(lines.size() / lineBytes));
    QImage image(static_cast<int>(lineBytes * 8), rows, QImage::Format_Mono);
    if (image.isNull()) {
        fail(ecCantMakeBitmap);
    }
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < rows && size_t(y + 1) * lineBytes <= lines.size(); ++y) {
        std::copy_n(lines.begin() + static_cast<long>(size_t(y) * lineBytes), lineBytes,
                    image.scanLine(y));
    }
    return image;
}

int fromApf(const Args& args) {
    const unsigned page = fromApfPage(args);
    const std::string& in = args.positional[0];
    const std::string& out = args.positional[1];
    const std::string ext = lowerSuffix(out);
    if (ext == "tif" || ext == "tiff") {
        std::string message;
        if (ErrorCode rc = exportApfToTiff(in, out, &message); rc != ecOK) {
            throw FileError(in + " -> " + out + (message.empty() ? "" : " (" + message + ")"), rc);
        }
        return 0;
    }
    if (ext == "png" || ext == "pbm") {
        const QImage image = pageRaster(in, page);
        if (!image.save(QString::fromStdString(out), ext == "png" ? "PNG" : "PBM")) {
            throw std::runtime_error("cannot write " + out);
        }
        return 0;
    }
    TPxFaxUnpacker u;
    u.setOptions(0);
    u.setInFileName(QString::fromStdString(in));
    u.setOutFileName(QString::fromStdString(out));
    if (ext != "bmp" && ext != "pcx" && ext != "dcx") {
        throw UsageError("unknown output format ." + ext);
    }
    try {
        if (ext == "bmp") {
            u.unpackPageToBmp(page);
        } else if (ext == "pcx") {
            u.unpackPageToPcx(page);
        } else {
            u.unpackPageToDcx(page);
        }
    } catch (const EPxException& e) {
        throw FileError(in + " -> " + out, e.ErrorCode());
    }
    if (u.droppedLines() != 0) {
        warn(in + ": page " + std::to_string(page) + " is longer than " +
             std::to_string(TPxPageBitmap::kMaxLines) + " lines; " +
             std::to_string(u.droppedLines()) + " lines left out");
    }
    return 0;
}

int info(const Args& args) {
    if (args.positional.size() != 1) {
        throw UsageError("info needs FILE.apf");
    }
    int status = 0;
    if (ErrorCode rc = printApfInfo(args.positional[0], status); rc != ecOK) {
        throw FileError(args.positional[0], rc);
    }
    return status;
}

}  // namespace

int runConvertCli(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[0];
    try {
        if (command == "to-apf") {
            return toApf(parseToApfArgs(argv));
        }
        if (command == "to-tiff") {
            return toTiff(parseToApfArgs(argv));
        }
        if (command == "from-apf") {
            return fromApf(parseFromApfArgs(argv));
        }
        if (command == "info") {
            return info(parseCliArgs(argv, {}));
        }
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        throw UsageError("unknown command " + command);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "parvex-convert: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const FileError& e) {
        std::fprintf(stderr, "parvex-convert: %s (error %d)\n", e.what(), -e.code());
        return 1;
    } catch (const EPxException& e) {
        std::fprintf(stderr, "parvex-convert: %s (error %d)\n", e.what(), -e.ErrorCode());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex-convert: %s\n", e.what());
        return 1;
    }
}

}  // namespace px
