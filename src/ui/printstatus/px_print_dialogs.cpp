#include "ui/printstatus/px_print_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "fax/print/px_fax_printer.h"

namespace px {

namespace {

constexpr const char* kPdfSuffix = "pdf";

QString askPdfPath(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, "Print to PDF File", suggested,
                                        "PDF files (*.pdf)");
}

void informUser(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, "Information", text);
}

}  // namespace

bool TPxPrintSetupDialog::execute(QPrinter& printer, unsigned pageCount, unsigned& first,
                                  unsigned& last) {
    QPrintDialog dialog(&printer, parent_);
    dialog.setWindowTitle("Print Setup");
    if (pageCount > 0) {
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(1, static_cast<int>(pageCount));
        dialog.setFromTo(static_cast<int>(first), static_cast<int>(last));
        dialog.setPrintRange(first == 1 && last == pageCount ? QAbstractPrintDialog::AllPages
                                                             : QAbstractPrintDialog::PageRange);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (pageCount > 0) {
        if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
            first = static_cast<unsigned>(dialog.fromPage());
            last = static_cast<unsigned>(dialog.toPage());
        } else {
            first = 1;
            last = pageCount;
        }
    }
    return true;
}

QString pdfOutputNotice(const QString& path) {
    return QString("No printer is installed. The fax is printed to the PDF file %1.")
        .arg(QDir::toNativeSeparators(path));
}

bool choosePdfOutputWhenNoPrinter(TPxCustomFaxPrinter& printer, QWidget* parent,
                                  const TPdfChoiceHooks& hooks) {
    if (TPxCustomFaxPrinter::hasInstalledPrinter()) {
        return true;
    }
    const QString base = printer.fileName().isEmpty()
                             ? QString("fax")
                             : QFileInfo(printer.fileName()).completeBaseName();
    const QString suggested = QDir::home().filePath(base + "." + kPdfSuffix);
    QString path = hooks.askPath ? hooks.askPath(parent, suggested) : askPdfPath(parent, suggested);
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().compare(kPdfSuffix, Qt::CaseInsensitive) != 0) {
        path += QString(".") + kPdfSuffix;
    }
    printer.setOutputPdf(path);
    const QString notice = pdfOutputNotice(path);
    if (hooks.inform) {
        hooks.inform(parent, notice);
    } else {
        informUser(parent, notice);
    }
    return true;
}

}  // namespace px
