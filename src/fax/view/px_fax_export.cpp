#include "fax/view/px_fax_export.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "common/px_exceptions.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_fax_error.h"
#include "fax/qt/px_qt_services.h"
#include "fax/t4/px_t4_raster.h"

namespace px {

namespace {

constexpr double kPointsPerInch = 72.0;
// An all-white page has no lines to measure: it is shown as an A4 sheet.
constexpr double kBlankPageInches = 11.69;

QImage blackOnWhite(const QImage& page) {
    QImage out = page;
    out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return out;
}

}  // namespace

void exportPagePng(TPxFaxUnpacker& unpacker, unsigned page, const QString& path) {
    QImage image = unpacker.unpackPage(page);
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_Mono);
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        image.fill(1);
    }
    if (!blackOnWhite(image).save(path, "PNG")) {
        checkFaxResult(ecAccessDenied);
    }
}

ErrorCode exportFaxPdf(const QString& apfPath, const QString& pdfPath) {
    TPxApfReader reader;
    if (const ErrorCode rc = reader.open(toPath(apfPath)); rc != ecOK) {
        return rc;
    }
    const unsigned pages = reader.pageCount();
    if (pages == 0) {
        return ecFaxBadFormat;
    }
    TPxFaxUnpacker unpacker;
    unpacker.setOptions(0);
    unpacker.setAutoScaleMode(TAutoScaleMode::asNone);
    unpacker.setInFileName(apfPath);

    ErrorCode rc = ecOK;
    {
        QPdfWriter writer(pdfPath);
        writer.setResolution(static_cast<int>(kFaxDpiAcross));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator("Parvex");
        QPainter painter;
        for (unsigned n = 1; n <= pages && rc == ecOK; ++n) {
            ApfPageInfo info;
            if (rc = reader.findPage(n, info); rc != ecOK) {
                break;
            }
            QImage image;
            try {
                image = unpacker.unpackPage(n);
            } catch (const EPxException& e) {
                rc = e.ErrorCode();
                break;
            }
            const double across = info.header.wide() ? kWideWidthPels : kNormalWidthPels;
            const double down = info.header.fine() ? kFaxDpiFine : kFaxDpiStandard;
            const double heightInches = image.isNull() ? kBlankPageInches : image.height() / down;
            const QPageSize size(
                QSizeF(across / kFaxDpiAcross * kPointsPerInch, heightInches * kPointsPerInch),
                QPageSize::Point, QString(), QPageSize::ExactMatch);
            writer.setPageSize(size);
            if (n == 1) {
                if (!painter.begin(&writer)) {
                    rc = ecAccessDenied;
                    break;
                }
            } else {
                writer.newPage();
            }
            if (!image.isNull()) {
                // The painter counts 204 units an inch both ways.
                const QRectF target(0, 0, image.width(), image.height() * kFaxDpiAcross / down);
                painter.drawImage(target, blackOnWhite(image));
            }
        }
        if (painter.isActive()) {
            painter.end();
        }
    }
    if (rc != ecOK) {
        QFile::remove(pdfPath);
    }
    return rc;
}

}  // namespace px
