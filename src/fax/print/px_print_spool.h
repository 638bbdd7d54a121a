// The output of one print job. Pages are painted into a PDF spool file laid
// out like the configured printer (page size, orientation, margins,
// resolution); commit() hands the finished document to its destination, a
// PDF file or a CUPS queue, and an uncommitted spool leaves nothing behind.
#pragma once

#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QTemporaryFile>
#include <memory>

namespace px {

class TPxPrintSpool {
public:
    // Raises EInOutError when there is no destination (no printer and no
    // PDF file) or the spool file cannot be made.
    TPxPrintSpool(const QPrinter& target, const QString& title);
    ~TPxPrintSpool();
    TPxPrintSpool(const TPxPrintSpool&) = delete;
    TPxPrintSpool& operator=(const TPxPrintSpool&) = delete;

    QPainter& painter() { return painter_; }
    QPrinter& device() { return *device_; }
    // The printable page in painter coordinates.
    QRect printable() const { return printable_; }
    // Raises EInOutError when the sheet cannot be started.
    void newSheet();

    // Finishes the document and delivers it; raises EInOutError when it
    // cannot be written or the print server refuses it.
    void commit();
    // Drops the document.
    void discard();

private:
    QString pdfTarget_;
    QString queue_;
    QString title_;
    int copies_ = 1;
    QPrinter::DuplexMode duplex_ = QPrinter::DuplexNone;
    QTemporaryFile spoolFile_;
    std::unique_ptr<QPrinter> device_;
    QPainter painter_;
    QRect printable_;
};

}  // namespace px
