// The fax printer: prints a range of pages of an APF file, one fax page per
// sheet or four (two in landscape) per sheet, each framed by an optional
// header and footer line, with progress going to an event, an optional status
// display and an optional log file.
//
// Output goes to the configured printer (a named CUPS printer or the default
// one) or to a PDF file. The job is composed as PDF and handed over only when
// every page is done, so that an abort or a failure leaves nothing printed
// and no partial file.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "fax/print/px_abstract_fax_printer_status.h"
#include "fax/print/px_fax_printer_log.h"
#include "fax/print/px_fax_printer_margin.h"
#include "fax/print/px_print_setup.h"
#include "fax/unpack/px_fax_unpacker.h"

class QPrinter;

namespace px {

enum class TFaxPrintScale {
    psNone,       // the page at 200 pels per inch, no higher than the area
    psFitToPage,  // the page across the area
};

// Progress of a job, in the order of their codes.
enum TFaxPrintProgress : int {
    fpIdle = 0,
    fpComposing = 1,
    fpRendering = 2,
    fpSubmitting = 3,
    fpConverting = 4,
};

// "Idle", "Composing", "Rendering", "Submitting", "Converting".
QString faxPrintProgressName(TFaxPrintProgress progress);

class TPxCustomFaxPrinter {
public:
    using NextPageEvent =
        std::function<void(TPxCustomFaxPrinter& sender, unsigned currentPage, unsigned pageCount)>;
    using PrintLogEvent = std::function<void(TPxCustomFaxPrinter& sender, TFaxPLCode code)>;
    using PrintStatusEvent =
        std::function<void(TPxCustomFaxPrinter& sender, TFaxPrintProgress statusCode)>;

    TPxCustomFaxPrinter();
    virtual ~TPxCustomFaxPrinter();
    TPxCustomFaxPrinter(const TPxCustomFaxPrinter&) = delete;
    TPxCustomFaxPrinter& operator=(const TPxCustomFaxPrinter&) = delete;

    // Title of the print job ("Parvex Fax Printer").
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { caption_ = caption; }
    // "FILE: $F" and "PAGE: $P of $N", both enabled, on a new printer.
    TPxFaxPrinterMargin& faxHeader() { return header_; }
    const TPxFaxPrinterMargin& faxHeader() const { return header_; }
    TPxFaxPrinterMargin& faxFooter() { return footer_; }
    const TPxFaxPrinterMargin& faxFooter() const { return footer_; }

    // Attached explicitly; not owned (nullptr: no log).
    TPxFaxPrinterLog* faxPrinterLog() const { return log_; }
    void setFaxPrinterLog(TPxFaxPrinterLog* log) { log_ = log; }
    // Attached explicitly; not owned, and links back (nullptr: no window).
    TPxAbstractFaxPrinterStatus* statusDisplay() const { return status_; }
    void setStatusDisplay(TPxAbstractFaxPrinterStatus* display);

    // A new name reads the page count and page 1's resolution and width, and
    // sets the pages to print to 1..page count (0..0 for a file without
    // pages); raises the unpacker's error for a file that is not APF.
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& name);
    unsigned pageCount() const { return pageCount_; }
    bool fineResolution() const { return fine_; }
    bool wide() const { return wide_; }

    // Pages to print; setPageRange raises EBadArgument unless
    // 1 <= first <= last <= page count.
    unsigned firstPageToPrint() const { return firstPage_; }
    unsigned lastPageToPrint() const { return lastPage_; }
    void setPageRange(unsigned first, unsigned last);

    bool multiPage() const { return multiPage_; }
    void setMultiPage(bool on) { multiPage_ = on; }
    TFaxPrintScale printScale() const { return scale_; }
    void setPrintScale(TFaxPrintScale scale) { scale_ = scale; }

    void setOnNextPage(NextPageEvent handler) { onNextPage_ = std::move(handler); }
    void setOnFaxPrintLog(PrintLogEvent handler) { onLog_ = std::move(handler); }
    void setOnFaxPrintStatus(PrintStatusEvent handler) { onStatus_ = std::move(handler); }

    // The page being printed (0 when idle) and the current progress.
    unsigned currentPage() const { return currentPage_; }
    TFaxPrintProgress progress() const { return progress_; }
    bool printing() const { return printing_; }

    // Where the pages go. The printer object carries the page size,
    // orientation (landscape: two pages a sheet with MultiPage), resolution
    // and copies; a new printer prints on the system's default printer, or
    // to a PDF file once one is named.
    QPrinter& printer() { return *printer_; }
    // Whether the system has any printer at all.
    static bool hasInstalledPrinter();
    // The system's default printer; false when there is none.
    bool useDefaultPrinter();
    // A printer by its name; false (and nothing changed) when there is none.
    bool selectPrinter(const QString& name);
    // Prints to a PDF file instead of a printer.
    void setOutputPdf(const QString& path);
    // The PDF file printed to, or empty when printing to a printer.
    QString outputPdf() const;
    // The printer's name, or the PDF file's, for messages.
    QString destinationName() const;
    void setLandscape(bool on);
    bool landscape() const;

    // The print set-up window, attached explicitly (not owned).
    void setSetupPrompt(TPxPrintSetupPrompt* prompt) { setupPrompt_ = prompt; }
    // Shows the print set-up; on OK the pages to print are taken from it.
    // False when cancelled or when no set-up window is attached.
    bool printSetup();

    // Prints the pages to print. Raises the unpacker's error for a page that
    // cannot be decoded (after logging the failure), and EInOutError when
    // there is no printer, the output cannot be written or the print server
    // refuses the job. An aborted job returns normally (see aborted()).
    void print();
    // Stops a running job: nothing of it is printed.
    void abort();
    // Whether the last print() was aborted.
    bool aborted() const { return aborted_; }

    // The printer's own unpacker (whitespace and scaling settings apply).
    TPxFaxUnpacker& unpacker() { return unpacker_; }

private:
    struct Job;
    void setProgress(TFaxPrintProgress progress);
    void logEvent(TFaxPLCode code);
    TFaxPrinterStatusValues statusValues() const;
    void printPage(Job& job, unsigned page);
    void finishJob(Job& job);
    void endJob();

    QString caption_ = "Parvex Fax Printer";
    TPxFaxPrinterMargin header_{"FILE: $F", true};
    TPxFaxPrinterMargin footer_{"PAGE: $P of $N", true};
    TPxFaxPrinterLog* log_ = nullptr;
    TPxAbstractFaxPrinterStatus* status_ = nullptr;
    TPxPrintSetupPrompt* setupPrompt_ = nullptr;
    QString fileName_;
    unsigned pageCount_ = 0;
    bool fine_ = false;
    bool wide_ = false;
    unsigned firstPage_ = 0;
    unsigned lastPage_ = 0;
    bool multiPage_ = false;
    TFaxPrintScale scale_ = TFaxPrintScale::psFitToPage;
    NextPageEvent onNextPage_;
    PrintLogEvent onLog_;
    PrintStatusEvent onStatus_;
    unsigned currentPage_ = 0;
    TFaxPrintProgress progress_ = fpIdle;
    bool printing_ = false;
    bool aborted_ = false;
    std::unique_ptr<QPrinter> printer_;
    TPxFaxUnpacker unpacker_;
};

class TPxFaxPrinter : public TPxCustomFaxPrinter {
public:
    using TPxCustomFaxPrinter::TPxCustomFaxPrinter;
};

}  // namespace px
