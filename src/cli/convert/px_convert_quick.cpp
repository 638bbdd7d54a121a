#include "cli/convert/px_convert_quick.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/convert/px_convert_info.h"
#include "cli/convert/px_convert_options.h"
#include "fax/convert/px_apf_page_output.h"
#include "fax/convert/px_conversion_driver.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_tiff_page_output.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/t4/px_text_reader.h"
#include "fax/tiff/px_tiff_export.h"

namespace px {
namespace {

// The tab stop the converter uses unless told otherwise.
constexpr unsigned kDefaultTabStop = 4;

// Names the full converter reads through Qt's file-name codec; plain ASCII
// comes out of it unchanged, anything else is left to it.
bool plainAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') {
            return false;
        }
    }
    return true;
}

bool isTiffName(const std::string& path) {
    const std::string suffix = lowerSuffix(path);
    return suffix == "tif" || suffix == "tiff";
}

// Text to APF, or with `toTiff` straight to TIFF Class F.
std::optional<int> convertText(const CliArgs& args, bool toTiff) {
    const DocumentToApfOptions options = toApfOptions(args, toTiff ? "to-tiff" : "to-apf");
    const std::string& in = args.positional[0];
    const std::string& out = args.positional[1];
    const std::string inSuffix = lowerSuffix(in);
    // A name without extension gets one, a TIFF must be named so, and a text
    // named as PDF or PostScript is refused: the full converter says so.
    if (!plainAscii(in) || !plainAscii(out) || !plainAscii(options.stationId) ||
        lowerSuffix(out).empty() || (toTiff && !isTiffName(out)) || inSuffix == "pdf" ||
        inSuffix == "ps" || inSuffix == "eps") {
        return std::nullopt;
    }
    // Only a regular file: what is read from a pipe here could not be read
    // again by the full converter.
    struct stat info {};
    if (::stat(in.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    TDocumentKind kind = TDocumentKind::dkOther;
    if (recogniseDocument(in, kind) != ecOK || kind != TDocumentKind::dkText) {
        return std::nullopt;
    }
    const unsigned width = options.wide ? kWideWidthPels : kNormalWidthPels;
    TPxTextReader reader;
    if (reader.setup(options.font.value_or(TFaxFont::ffStandard), options.fine, width,
                     options.leftMargin) != ecOK) {
        return std::nullopt;
    }
    reader.setTabStop(kDefaultTabStop);
    reader.setLinesPerPage(options.linesPerPage);
    ConversionLayout layout;
    layout.widthPels = width;
    layout.fine = options.fine;
    layout.leftMargin = options.leftMargin;
    layout.topMargin = options.topMargin;
    layout.stationId = options.stationId;
    TPxApfPageOutput apf;
    TPxTiffPageOutput tiff;
    TPxPageOutput& output = toTiff ? static_cast<TPxPageOutput&>(tiff) : apf;
    if (runConversion(reader, in, output, out, layout) != ecOK) {
        return std::nullopt;
    }
    return 0;
}

std::optional<int> apfToTiff(const CliArgs& args) {
    fromApfPage(args);  // checked, though a TIFF takes every page
    const std::string& in = args.positional[0];
    const std::string& out = args.positional[1];
    if (!plainAscii(in) || !plainAscii(out) || !isTiffName(out)) {
        return std::nullopt;
    }
    if (exportApfToTiff(in, out, nullptr) != ecOK) {
        return std::nullopt;
    }
    return 0;
}

// A file that cannot be opened is left to the full converter, which says why.
std::optional<int> apfInfo(const CliArgs& args) {
    int status = 0;
    if (args.positional.size() != 1 || printApfInfo(args.positional[0], status) != ecOK) {
        return std::nullopt;
    }
    return status;
}

}  // namespace

std::optional<int> runQuickConvert(const std::vector<std::string>& args) {
    if (args.empty()) {
        return std::nullopt;
    }
    try {
        if (args[0] == "to-apf" || args[0] == "to-tiff") {
            return convertText(parseToApfArgs(args), args[0] == "to-tiff");
        }
        if (args[0] == "from-apf") {
            return apfToTiff(parseFromApfArgs(args));
        }
        if (args[0] == "info") {
            return apfInfo(parseCliArgs(args, {}));
        }
    } catch (const std::exception&) {
        // A usage error or any other: the full converter reports it.
    }
    return std::nullopt;
}

int execFullConverter(const char* fullProgram, char** argv) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string full =
        (ec ? std::filesystem::path(argv[0]).parent_path() : self.parent_path()) / fullProgram;
    ::execv(full.c_str(), argv);
    std::fprintf(stderr, "parvex-convert: cannot start %s: %s\n", full.c_str(),
                 std::strerror(errno));
    return 1;
}

}  // namespace px
