#include "fax/print/px_fax_printer.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <utility>
#include <vector>

#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"
#include "fax/print/px_print_layout.h"
#include "fax/print/px_print_spool.h"
#include "fax/qt/px_qt_services.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

struct TPxCustomFaxPrinter::Job {
    Job(const QPrinter& target, const QString& title) : spool(target, title) {}
    TPxPrintSpool spool;
};

namespace {

constexpr int kHalfSizeDivisor = 2;

// The margin font, at half its size when four pages share a sheet.
QFont marginFont(const TPxFaxPrinterMargin& margin, bool multiPage) {
    QFont font = margin.font();
    if (multiPage) {
        if (font.pointSizeF() > 0) {
            font.setPointSizeF(font.pointSizeF() / kHalfSizeDivisor);
        } else if (font.pixelSize() > 0) {
            font.setPixelSize(std::max(1, font.pixelSize() / kHalfSizeDivisor));
        }
    }
    return font;
}

// Where a header (top) or footer line and its rule go inside `area`; the
// area loses their room.
struct MarginPlace {
    QRect text;
    int ruleY = 0;
};

MarginPlace placeMargin(int textHeight, bool top, QRect& area) {
    MarginPlace place;
    if (top) {
        place.text = QRect(area.left(), area.top(), area.width(), textHeight);
        place.ruleY = area.top() + textHeight + kRuleGapPels;
        area.setTop(place.ruleY + kRuleToPagePels);
    } else {
        place.text = QRect(area.left(), area.bottom() + 1 - textHeight, area.width(), textHeight);
        place.ruleY = place.text.top() - kRuleGapPels;
        area.setBottom(place.ruleY - kRuleToPagePels);
    }
    return place;
}

void drawMargin(QPainter& painter, const QFont& font, const QString& text, const QRect& area,
                const MarginPlace& place) {
    painter.setFont(font);
    painter.drawText(place.text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.drawLine(area.left(), place.ruleY, area.right(), place.ruleY);
}

}  // namespace

QString faxPrintProgressName(TFaxPrintProgress progress) {
    switch (progress) {
        case fpIdle:
            return "Idle";
        case fpComposing:
            return "Composing";
        case fpRendering:
            return "Rendering";
        case fpSubmitting:
            return "Submitting";
        case fpConverting:
            return "Converting";
    }
    return "Idle";
}

TPxCustomFaxPrinter::TPxCustomFaxPrinter()
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TPxCustomFaxPrinter::~TPxCustomFaxPrinter() {
    setStatusDisplay(nullptr);
}

void TPxCustomFaxPrinter::setStatusDisplay(TPxAbstractFaxPrinterStatus* display) {
    if (display == status_) {
        return;
    }
    TPxAbstractFaxPrinterStatus* old = status_;
    status_ = display;
    if (old != nullptr && old->faxPrinter() == this) {
        old->hideStatus();
        old->setFaxPrinter(nullptr);
    }
    if (display != nullptr && display->faxPrinter() != this) {
        display->setFaxPrinter(this);
    }
}

void TPxCustomFaxPrinter::setFileName(const QString& name) {
    if (name == fileName_) {
        return;
    }
    fileName_ = name;
    unpacker_.setInFileName(name);
    pageCount_ = 0;
    fine_ = false;
    wide_ = false;
    firstPage_ = 0;
    lastPage_ = 0;
    if (name.isEmpty()) {
        return;
    }
    const unsigned count = unpacker_.numberOfPages();
    if (count == 0) {
        return;
    }
    fine_ = unpacker_.firstPageIsFine();
    wide_ = unpacker_.firstPageIsWide();
    pageCount_ = count;
    firstPage_ = 1;
    lastPage_ = count;
}

void TPxCustomFaxPrinter::setPageRange(unsigned first, unsigned last) {
    if (first < 1 || first > last || last > pageCount_) {
        checkFaxResult(ecBadArgument);
    }
    firstPage_ = first;
    lastPage_ = last;
}

bool TPxCustomFaxPrinter::hasInstalledPrinter() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool TPxCustomFaxPrinter::useDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return false;
    }
    return selectPrinter(info.printerName());
}

bool TPxCustomFaxPrinter::selectPrinter(const QString& name) {
    if (name.isEmpty() || QPrinterInfo::printerInfo(name).isNull()) {
        return false;
    }
    const QPageLayout::Orientation orientation = printer_->pageLayout().orientation();
    printer_->setOutputFileName({});
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(name);
    printer_->setPageOrientation(orientation);
    return printer_->printerName() == name;
}

void TPxCustomFaxPrinter::setOutputPdf(const QString& path) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(path);
}

QString TPxCustomFaxPrinter::outputPdf() const {
    if (printer_->outputFormat() != QPrinter::PdfFormat) {
        return {};
    }
    return printer_->outputFileName();
}

QString TPxCustomFaxPrinter::destinationName() const {
    const QString pdf = outputPdf();
    return pdf.isEmpty() ? printer_->printerName() : pdf;
}

void TPxCustomFaxPrinter::setLandscape(bool on) {
    printer_->setPageOrientation(on ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool TPxCustomFaxPrinter::landscape() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

bool TPxCustomFaxPrinter::printSetup() {
    if (setupPrompt_ == nullptr || printing_) {
        return false;
    }
    unsigned first = firstPage_;
    unsigned last = lastPage_;
    if (!setupPrompt_->execute(*printer_, pageCount_, first, last)) {
        return false;
    }
    if (pageCount_ > 0) {
        first = std::clamp(first, 1u, pageCount_);
        last = std::clamp(last, first, pageCount_);
        firstPage_ = first;
        lastPage_ = last;
    }
    return true;
}

TFaxPrinterStatusValues TPxCustomFaxPrinter::statusValues() const {
    TFaxPrinterStatusValues values;
    values.fileName = QFileInfo(fileName_).fileName().toUpper();
    values.totalPages = QString::number(pageCount_);
    values.resolution = fine_ ? "high" : "standard";
    values.width = QString::number(wide_ ? kWideWidthPels : kNormalWidthPels);
    values.firstPage = QString::number(firstPage_);
    values.lastPage = QString::number(lastPage_);
    values.statusLine = QString("%1 %2 of %3")
                            .arg(faxPrintProgressName(progress_))
                            .arg(currentPage_)
                            .arg(lastPage_);
    return values;
}

void TPxCustomFaxPrinter::setProgress(TFaxPrintProgress progress) {
    if (progress != progress_) {
        progress_ = progress;
        if (onStatus_) {
            onStatus_(*this, progress);
        }
        if (status_ != nullptr && status_->isShowing()) {
            try {
                status_->updateStatus(statusValues());
            } catch (...) {
                // A window that cannot show the progress must not stop the job.
            }
        }
    }
    checkFaxResult(processOneMessage());
}

void TPxCustomFaxPrinter::logEvent(TFaxPLCode code) {
    if (onLog_) {
        onLog_(*this, code);
    }
    if (log_ != nullptr) {
        log_->updateLog(code, fileName_);
    }
}

void TPxCustomFaxPrinter::print() {
    if (printing_) {
        checkFaxResult(ecBadArgument);
    }
    if (pageCount_ == 0 || firstPage_ == 0) {
        return;
    }
    aborted_ = false;
    printing_ = true;
    unpacker_.setOptions(unpacker_.options() & ~unsigned{uoAbort});
    unpacker_.setInFileName(fileName_);
    try {
        setProgress(fpIdle);
        if (status_ != nullptr) {
            status_->showStatus(statusValues());
        }
        logEvent(lcStart);
        Job job(*printer_, caption_);
        for (unsigned page = firstPage_; page <= lastPage_ && !aborted_; ++page) {
            checkFaxResult(processOneMessage());
            if (aborted_) {
                break;
            }
            printPage(job, page);
        }
        finishJob(job);
    } catch (...) {
        if (!aborted_) {
            try {
                logEvent(lcFailed);
            } catch (...) {
                // The original error is the one to report.
            }
        }
        endJob();
        throw;
    }
    endJob();
}

void TPxCustomFaxPrinter::finishJob(Job& job) {
    if (aborted_) {
        job.spool.discard();
        return;
    }
    job.spool.commit();
    logEvent(lcFinish);
}

void TPxCustomFaxPrinter::endJob() {
    currentPage_ = 0;
    printing_ = false;
    try {
        setProgress(fpIdle);
    } catch (...) {
        // Closing down; the job is over either way.
    }
    if (status_ != nullptr) {
        status_->hideStatus();
    }
}

void TPxCustomFaxPrinter::printPage(Job& job, unsigned page) {
    const unsigned index = page - firstPage_;
    const bool sideways = landscape();
    if (index > 0 && startsSheet(index, multiPage_, sideways)) {
        job.spool.newSheet();
    }
    currentPage_ = page;
    if (onNextPage_) {
        onNextPage_(*this, page, pageCount_);
    }
    if (aborted_) {
        return;
    }
    setProgress(fpConverting);
    const QImage bitmap = unpacker_.unpackPage(page);
    if (aborted_) {
        return;
    }
    setProgress(fpComposing);
    if (aborted_) {
        return;
    }

    QPainter& painter = job.spool.painter();
    const QRect sheetArea = pageArea(job.spool.printable(), index, multiPage_, sideways);
    QRect area = sheetArea;
    const TMarginValues values{fileName_, pageCount_, page, QDateTime::currentDateTime()};
    struct Margin {
        TPxFaxPrinterMargin& margin;
        bool top;
        QFont font;
        QString text;
        MarginPlace place;
    };
    std::vector<Margin> margins;
    for (auto [margin, top] : {std::pair{&header_, true}, std::pair{&footer_, false}}) {
        if (!margin->enabled()) {
            continue;
        }
        const QFont font = marginFont(*margin, multiPage_);
        const int height = QFontMetrics(font, &job.spool.device()).height();
        margin->setTextHeight(height);
        margins.push_back({*margin, top, font, expandMarginCodes(margin->caption(), values),
                           placeMargin(height, top, area)});
    }
    const QSize size =
        drawnPageSize(scale_, area.size(), bitmap.size(),
                      static_cast<int>(wide_ ? kWideWidthPels : kNormalWidthPels),
                      job.spool.device().logicalDpiX(), job.spool.device().logicalDpiY());

    setProgress(fpRendering);
    if (aborted_) {
        return;
    }
    // An all-white page has no bitmap: its sheet keeps the header and footer.
    if (!size.isEmpty()) {
        painter.drawImage(QRect(area.topLeft(), size), bitmap);
    }
    // The texts and rules go on top: a rule lies a pel from the page, which
    // at a printer's resolution the page's white would cover.
    painter.setPen(QPen(Qt::black, 0));
    for (const Margin& m : margins) {
        drawMargin(painter, m.font, m.text, sheetArea, m.place);
    }
    setProgress(fpSubmitting);
}

void TPxCustomFaxPrinter::abort() {
    if (!printing_ || aborted_) {
        return;
    }
    aborted_ = true;
    unpacker_.setOptions(unpacker_.options() | uoAbort);
    currentPage_ = 0;
    if (status_ != nullptr) {
        status_->hideStatus();
    }
    logEvent(lcAborted);
}

}  // namespace px
