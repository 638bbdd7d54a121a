#include "cli/print/px_print_cli.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "common/px_exceptions.h"
#include "fax/print/px_fax_printer.h"

namespace px {

namespace {

constexpr const char* kUsage =
    "usage: parvex-print FILE.APF [--printer NAME | --pdf OUT.pdf] [--pages FIRST-LAST]\n"
    "                    [--multi] [--landscape] [--scale fit|none]\n"
    "                    [--no-header] [--no-footer] [--header TEXT] [--footer TEXT]\n"
    "                    [--title TEXT] [--log FILE] [--quiet]\n"
    "       parvex-print --list-printers\n"
    "  Without --printer or --pdf the fax goes to the system's default printer.\n"
    "  --multi puts four pages on a sheet (two in landscape). Header and footer\n"
    "  texts take the codes $F (file), $P (page), $N (pages), $D (date), $T (time).\n"
    "  Exit status: 0 every page printed, 1 printing failed, 2 bad command line,\n"
    "  file, pages or printer.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string file;
    std::optional<std::string> printer;
    std::optional<std::string> pdf;
    std::optional<std::pair<unsigned, unsigned>> pages;
    bool multi = false;
    bool landscape = false;
    bool noHeader = false;
    bool noFooter = false;
    bool quiet = false;
    bool listPrinters = false;
    TFaxPrintScale scale = TFaxPrintScale::psFitToPage;
    std::optional<std::string> header;
    std::optional<std::string> footer;
    std::optional<std::string> title;
    std::optional<std::string> log;
};

unsigned pageNumber(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError("--pages wants FIRST-LAST, for example 2-5, not " + text);
    }
    return static_cast<unsigned>(std::stoul(text));
}

std::pair<unsigned, unsigned> pageRange(const std::string& text) {
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        const unsigned page = pageNumber(text);
        return {page, page};
    }
    return {pageNumber(text.substr(0, dash)), pageNumber(text.substr(dash + 1))};
}

Options parse(const std::vector<std::string>& args) {
    Options o;
    const std::map<std::string, bool*> flags = {
        {"--multi", &o.multi},        {"--landscape", &o.landscape},
        {"--no-header", &o.noHeader}, {"--no-footer", &o.noFooter},
        {"--quiet", &o.quiet},        {"--list-printers", &o.listPrinters}};
    const std::map<std::string, std::optional<std::string>*> values = {
        {"--printer", &o.printer}, {"--pdf", &o.pdf},     {"--header", &o.header},
        {"--footer", &o.footer},   {"--title", &o.title}, {"--log", &o.log}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            throw UsageError("");
        }
        if (a.rfind("--", 0) != 0) {
            if (!o.file.empty()) {
                throw UsageError("one fax file at a time, not also " + a);
            }
            o.file = a;
            continue;
        }
        if (const auto f = flags.find(a); f != flags.end()) {
            *f->second = true;
            continue;
        }
        const bool takesValue = values.count(a) != 0 || a == "--pages" || a == "--scale";
        if (!takesValue) {
            throw UsageError("unknown option " + a);
        }
        if (i + 1 >= args.size()) {
            throw UsageError("option " + a + " needs a value");
        }
        const std::string& value = args[++i];
        if (a == "--pages") {
            o.pages = pageRange(value);
        } else if (a == "--scale") {
            if (value == "fit") {
                o.scale = TFaxPrintScale::psFitToPage;
            } else if (value == "none") {
                o.scale = TFaxPrintScale::psNone;
            } else {
                throw UsageError("--scale is fit or none, not " + value);
            }
        } else {
            *values.at(a) = value;
        }
    }
    if (o.printer && o.pdf) {
        throw UsageError("--printer and --pdf exclude each other");
    }
    if (o.file.empty() && !o.listPrinters) {
        throw UsageError("which fax file?");
    }
    return o;
}

void say(const Options& o, const std::string& text) {
    if (!o.quiet) {
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
}

int notUsable(const std::string& text) {
    std::fprintf(stderr, "parvex-print: %s\n", text.c_str());
    return kPrintCliNotUsable;
}

// Chooses where the pages go; an error text when that is impossible.
std::string chooseOutput(const Options& o, TPxFaxPrinter& printer) {
    if (o.pdf) {
        printer.setOutputPdf(QString::fromStdString(*o.pdf));
    } else if (o.printer) {
        if (!printer.selectPrinter(QString::fromStdString(*o.printer))) {
            return "no printer named " + *o.printer + " (parvex-print --list-printers)";
        }
    } else if (!printer.useDefaultPrinter()) {
        return "no printer is installed; print to a file with --pdf OUT.pdf";
    }
    printer.setLandscape(o.landscape);
    return {};
}

}  // namespace

int runPrintCli(const std::vector<std::string>& args) {
    Options o;
    try {
        o = parse(args);
    } catch (const UsageError& e) {
        if (*e.what() != '\0') {
            std::fprintf(stderr, "parvex-print: %s\n", e.what());
        }
        std::fputs(kUsage, stderr);
        return kPrintCliNotUsable;
    }
    if (o.listPrinters) {
        const QString fallback = QPrinterInfo::defaultPrinterName();
        for (const QString& name : QPrinterInfo::availablePrinterNames()) {
            std::printf("%s%s\n", name.toLocal8Bit().constData(),
                        name == fallback ? " (default)" : "");
        }
        return kPrintCliDone;
    }

    TPxFaxPrinter printer;
    const QString file = QString::fromLocal8Bit(o.file.c_str());
    if (!QFileInfo(file).isFile()) {
        return notUsable(o.file + ": no such file");
    }
    try {
        printer.setFileName(file);
    } catch (const EPxException& e) {
        return notUsable(o.file + ": " + e.what());
    }
    if (printer.pageCount() == 0) {
        return notUsable(o.file + ": the fax has no pages");
    }
    if (o.pages) {
        const auto [first, last] = *o.pages;
        if (first < 1 || first > last || last > printer.pageCount()) {
            return notUsable("pages " + std::to_string(first) + "-" + std::to_string(last) +
                             " are outside the fax, which has pages 1-" +
                             std::to_string(printer.pageCount()));
        }
        printer.setPageRange(first, last);
    }
    if (const std::string problem = chooseOutput(o, printer); !problem.empty()) {
        return notUsable(problem);
    }
    printer.setMultiPage(o.multi);
    printer.setPrintScale(o.scale);
    printer.faxHeader().setEnabled(!o.noHeader);
    printer.faxFooter().setEnabled(!o.noFooter);
    if (o.header) {
        printer.faxHeader().setCaption(QString::fromStdString(*o.header));
    }
    if (o.footer) {
        printer.faxFooter().setCaption(QString::fromStdString(*o.footer));
    }
    if (o.title) {
        printer.setCaption(QString::fromStdString(*o.title));
    }
    TPxFaxPrinterLog log;
    if (o.log) {
        log.setLogFileName(QString::fromStdString(*o.log));
        printer.setFaxPrinterLog(&log);
    }
    printer.setOnNextPage([&o](TPxCustomFaxPrinter&, unsigned page, unsigned count) {
        say(o, "Page " + std::to_string(page) + " of " + std::to_string(count));
    });

    try {
        printer.print();
    } catch (const EPxException& e) {
        std::fprintf(stderr, "parvex-print: %s: %s\n", o.file.c_str(), e.what());
        return kPrintCliFailed;
    }
    const unsigned printed = printer.lastPageToPrint() - printer.firstPageToPrint() + 1;
    say(o, "Printed " + std::to_string(printed) + (printed == 1 ? " page" : " pages") + " to " +
               printer.destinationName().toStdString());
    return kPrintCliDone;
}

}  // namespace px
