#include "fax/print/px_print_spool.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/px_exceptions.h"
#include "fax/print/px_cups_queue.h"

namespace px {

namespace {

constexpr mode_t kNewFileMode = 0666;

[[noreturn]] void outputFault(const QString& what) {
    throwPxException(ecDeviceWriteFault, what.toStdString());
}

std::string sidesOf(QPrinter::DuplexMode duplex) {
    switch (duplex) {
        case QPrinter::DuplexNone:
            return "one-sided";
        case QPrinter::DuplexLongSide:
            return "two-sided-long-edge";
        case QPrinter::DuplexShortSide:
            return "two-sided-short-edge";
        case QPrinter::DuplexAuto:
            return {};
    }
    return {};
}

}  // namespace

TPxPrintSpool::TPxPrintSpool(const QPrinter& target, const QString& title)
    : title_(title), copies_(target.copyCount()), duplex_(target.duplex()) {
    if (target.outputFormat() == QPrinter::PdfFormat || !target.outputFileName().isEmpty()) {
        pdfTarget_ = target.outputFileName();
        if (pdfTarget_.isEmpty()) {
            outputFault("No printer is installed and no PDF file was chosen");
        }
        // The spool lies beside the PDF file, so that finishing it is a rename.
        const QFileInfo info(pdfTarget_);
        spoolFile_.setFileTemplate(info.absolutePath() + "/." + info.fileName() + ".XXXXXX");
    } else {
        queue_ = target.printerName();
        if (queue_.isEmpty()) {
            outputFault("No printer is installed");
        }
        spoolFile_.setFileTemplate(QDir::tempPath() + "/parvex-print-XXXXXX.pdf");
    }
    if (!spoolFile_.open()) {
        outputFault("Cannot create " + spoolFile_.fileTemplate() + ": " + spoolFile_.errorString());
    }
    spoolFile_.close();

    device_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    device_->setOutputFormat(QPrinter::PdfFormat);
    device_->setOutputFileName(spoolFile_.fileName());
    device_->setResolution(target.resolution());
    device_->setPageLayout(target.pageLayout());
    device_->setFullPage(target.fullPage());
    device_->setDocName(title);
    device_->setCreator("Parvex");
    if (!painter_.begin(device_.get())) {
        outputFault("Cannot write " + spoolFile_.fileName());
    }
    const QRect paint = device_->pageLayout().paintRectPixels(device_->resolution());
    printable_ = QRect(QPoint(0, 0), paint.size());
}

TPxPrintSpool::~TPxPrintSpool() {
    discard();
}

void TPxPrintSpool::newSheet() {
    if (!device_->newPage()) {
        outputFault("Cannot start a new sheet in " + spoolFile_.fileName());
    }
}

void TPxPrintSpool::commit() {
    if (!painter_.isActive()) {
        outputFault("The print job was already closed");
    }
    if (!painter_.end()) {
        outputFault("Cannot write " + spoolFile_.fileName());
    }
    if (!pdfTarget_.isEmpty()) {
        QFile::remove(pdfTarget_);
        if (!QFile::rename(spoolFile_.fileName(), pdfTarget_)) {
            outputFault("Cannot write " + pdfTarget_);
        }
        spoolFile_.setAutoRemove(false);
        // The spool was private to this process; the PDF is an ordinary file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(pdfTarget_).constData(), kNewFileMode & ~mask);
        return;
    }
    TCupsJobOptions options;
    options.title = title_.toStdString();
    options.copies = copies_;
    options.sides = sidesOf(duplex_);
    const TCupsSubmitResult result = submitCupsJob(
        queue_.toStdString(), QFile::encodeName(spoolFile_.fileName()).toStdString(), options);
    if (result.jobId == 0) {
        outputFault("The printer " + queue_ +
                    " refused the job: " + QString::fromStdString(result.error));
    }
}

void TPxPrintSpool::discard() {
    if (painter_.isActive()) {
        painter_.end();
    }
    // The temporary file removes the spool unless commit() renamed it.
}

}  // namespace px
