// Printing a 20-page fax of real scanned pages into a PDF file, the whole job
// (decoding, composing, writing the document). Target: 2 s or less.
//
// With PARVEX_SCREENSHOT_DIR set it also prints pages 1..4 four to a sheet
// and renders that sheet with pdftoppm as print-4up.png for the docs.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fax/apf/px_apf_format.h"
#include "fax/print/px_fax_printer.h"
#include "fax/tiff/px_tiff_import.h"

namespace {

constexpr unsigned kPages = 20;
constexpr unsigned kCcittPages = 8;
constexpr double kTargetSeconds = 2.0;
constexpr size_t kPageCountOffset = 32;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The eight CCITT pages, over and over, as one fax of `pages` pages.
std::string makeFax(const QString& dir, unsigned pages) {
    const char* data = std::getenv("PARVEX_TESTDATA");
    const std::string ccitt =
        std::string(data != nullptr ? data : PARVEX_DEFAULT_TESTDATA) + "/ccitt/ccitt_";
    std::string file;
    std::string pageData[kCcittPages];
    for (unsigned i = 0; i < kCcittPages; ++i) {
        const std::string one = (dir + "/one.apf").toStdString();
        if (px::importTiffToApf(ccitt + std::to_string(i + 1) + ".tif", one, {}) != px::ecOK) {
            std::fprintf(stderr, "cannot read %s%u.tif\n", ccitt.c_str(), i + 1);
            std::exit(2);
        }
        const std::string bytes = readFile(one);
        if (file.empty()) {
            file = bytes.substr(0, px::kApfFirstPageOffset);
        }
        pageData[i] = bytes.substr(px::kApfFirstPageOffset);
    }
    for (unsigned p = 0; p < pages; ++p) {
        file += pageData[p % kCcittPages];
    }
    file[kPageCountOffset] = static_cast<char>(pages & 0xFF);
    file[kPageCountOffset + 1] = static_cast<char>(pages >> 8);
    const std::string path = (dir + "/FAX20.APF").toStdString();
    std::ofstream(path, std::ios::binary) << file;
    return path;
}

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

const std::string& twentyPages() {
    static const std::string path = makeFax(scratch().path(), kPages);
    return path;
}

void PrintTwentyPagesToPdf(benchmark::State& state) {
    px::TPxFaxPrinter printer;
    printer.setFileName(QString::fromStdString(twentyPages()));
    printer.setOutputPdf(scratch().path() + "/out.pdf");
    printer.setMultiPage(state.range(0) != 0);
    for (auto _ : state) {
        printer.print();
    }
    state.counters["pages/s"] =
        benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate);
}

void writeFourUpScreenshot(const QString& dir) {
    px::TPxFaxPrinter printer;
    printer.setFileName(QString::fromStdString(twentyPages()));
    printer.faxHeader().setCaption("FAX20.APF  $D");
    printer.setPageRange(1, 4);
    printer.setMultiPage(true);
    const QString pdf = scratch().path() + "/four-up.pdf";
    printer.setOutputPdf(pdf);
    printer.print();
    const QString png = dir + "/print-4up";
    const std::string command =
        "pdftoppm -png -r 75 -singlefile '" + pdf.toStdString() + "' '" + png.toStdString() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "pdftoppm failed: no screenshot\n");
        return;
    }
    std::printf("wrote %s.png\n", png.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("PrintTwentyPagesToPdf", PrintTwentyPagesToPdf)
        ->Arg(0)
        ->Arg(1)
        ->ArgName("multi")
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // The figure against the target, measured once more on its own.
    px::TPxFaxPrinter printer;
    printer.setFileName(QString::fromStdString(twentyPages()));
    printer.setOutputPdf(scratch().path() + "/once.pdf");
    const auto start = std::chrono::steady_clock::now();
    printer.print();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n20 pages to PDF: %.3f s (target %.1f s, %.0f%% of it)\n", seconds,
                kTargetSeconds, 100 * seconds / kTargetSeconds);

    if (const char* dir = std::getenv("PARVEX_SCREENSHOT_DIR")) {
        writeFourUpScreenshot(QString::fromUtf8(dir));
    }
    return 0;
}
