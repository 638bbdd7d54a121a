// The viewer window's print commands and page exports.
#include <QCheckBox>
#include <QFileInfo>
#include <QSpinBox>

#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"
#include "fax/qt/px_qt_services.h"
#include "fax/tiff/px_tiff_export.h"
#include "fax/view/px_fax_export.h"
#include "ui/printstatus/px_print_dialogs.h"
#include "ui/viewer/fax_viewer.h"
#include "ui/viewer/pre_print_form.h"

namespace px {

void TFaxViewer::loadChoices() {
    try {
        choices_ = PrintingOptions::load(settings_.read());
    } catch (const IniFileError&) {
        choices_ = PrintingOptions{};
    }
}

void TFaxViewer::saveChoices() {
    try {
        settings_.update([this](IniFile& ini) { choices_.save(ini); });
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

// Points the printer at the fax; the first time the range is the whole fax.
bool TFaxViewer::preparePrinter() {
    if (viewer_->fileName().isEmpty()) {
        return false;
    }
    try {
        printer_.setFileName(viewer_->fileName());
        if (!rangeInitialised_ && printer_.pageCount() > 0) {
            printer_.setPageRange(1, printer_.pageCount());
            rangeInitialised_ = true;
        }
    } catch (const EPxException& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

void TFaxViewer::PrinterSetupClick() {
    if (preparePrinter()) {
        // On OK the dialog's page range becomes the print range.
        printer_.printSetup();
    }
}

bool TFaxViewer::choosePdfWhenNoPrinter() {
    TPdfChoiceHooks hooks;
    hooks.askPath = [this](QWidget* parent, const QString& suggested) {
        return prompts_.saveFileName(parent, "Print to PDF File", "PDF File (*.PDF *.pdf)",
                                     suggested);
    };
    hooks.inform = [this](QWidget* parent, const QString& text) {
        prompts_.information(parent, text);
    };
    return choosePdfOutputWhenNoPrinter(printer_, this, hooks);
}

void TFaxViewer::runPrePrint(bool currentPageOnly) {
    if (!preparePrinter()) {
        return;
    }
    loadChoices();
    TPrePrintForm form(this);
    form.setBeep([this] { prompts_.beep(); });
    form.setPageLimit(static_cast<int>(printer_.pageCount()));
    if (currentPageOnly) {
        const int page = static_cast<int>(viewer_->currentPage());
        form.fromPage()->setValue(page);
        form.toPage()->setValue(page);
        form.fromPage()->setEnabled(false);
        form.toPage()->setEnabled(false);
        form.multiPage()->setChecked(false);
        form.multiPage()->setEnabled(false);
    } else {
        form.fromPage()->setValue(static_cast<int>(printer_.firstPageToPrint()));
        form.toPage()->setValue(static_cast<int>(printer_.lastPageToPrint()));
        form.multiPage()->setChecked(choices_.multiPage);
    }
    form.printHeader()->setChecked(choices_.header);
    form.printFooter()->setChecked(choices_.footer);

    const bool ok = prompts_.prePrint(form);
    // The boxes are kept whether or not the user prints.
    choices_.header = form.printHeader()->isChecked();
    choices_.footer = form.printFooter()->isChecked();
    if (!currentPageOnly) {
        choices_.multiPage = form.multiPage()->isChecked();
    }
    saveChoices();
    if (!ok) {
        return;
    }
    try {
        const auto from = static_cast<unsigned>(form.fromPage()->value());
        const auto to = static_cast<unsigned>(form.toPage()->value());
        printer_.setPageRange(from, to);
        printer_.setPrintScale(TFaxPrintScale::psFitToPage);
        printer_.setMultiPage(!currentPageOnly && form.multiPage()->isChecked());
        printer_.faxHeader().setEnabled(choices_.header);
        printer_.faxHeader().setCaption(choices_.header ? printHeader_ : QString());
        printer_.faxFooter().setEnabled(choices_.footer);
        printer_.faxFooter().setCaption(choices_.footer ? kViewerFooter : QString());
        if (!title_.isEmpty()) {
            printer_.setCaption(title_);
        }
        if (choosePdfWhenNoPrinter()) {
            printer_.print();
        }
    } catch (const EPxException& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    if (currentPageOnly && printer_.pageCount() > 0) {
        printer_.setPageRange(1, printer_.pageCount());
    }
}

void TFaxViewer::PrintClick() {
    runPrePrint(false);
}

void TFaxViewer::PrintCurrentPageClick() {
    runPrePrint(true);
}

namespace {

struct ExportKind {
    const char* extension;
    const char* filter;
};

ExportKind exportKind(TExportFormat format) {
    switch (format) {
        case TExportFormat::Bmp:
            return {"BMP", "BMP File (*.BMP *.bmp)"};
        case TExportFormat::Pcx:
            return {"PCX", "PCX File (*.PCX *.pcx)"};
        case TExportFormat::Dcx:
            return {"DCX", "DCX File (*.DCX *.dcx)"};
        case TExportFormat::Png:
            return {"PNG", "PNG File (*.PNG *.png)"};
        case TExportFormat::Tiff:
            return {"TIF", "TIFF File (*.TIF *.tif *.tiff)"};
        case TExportFormat::Pdf:
            return {"PDF", "PDF File (*.PDF *.pdf)"};
    }
    return {"BMP", "BMP File (*.BMP)"};
}

}  // namespace

void TFaxViewer::exportPage(TExportFormat format) {
    const QString fax = viewer_->fileName();
    const unsigned page = viewer_->currentPage();
    if (fax.isEmpty() || page == 0) {
        return;
    }
    const ExportKind kind = exportKind(format);
    const QFileInfo info(fax);
    const QString suggested =
        info.absolutePath() + "/" + info.completeBaseName() + "." + kind.extension;
    const QString path = prompts_.saveFileName(this, "Export", kind.filter, suggested);
    if (path.isEmpty()) {
        return;
    }
    try {
        unpacker_.setWhitespaceCompression(viewer_->whitespaceCompression());
        unpacker_.setWhitespaceFrom(viewer_->whitespaceFrom());
        unpacker_.setWhitespaceTo(viewer_->whitespaceTo());
        unpacker_.setInFileName(fax);
        unpacker_.setOutFileName(path);
        switch (format) {
            case TExportFormat::Bmp:
                unpacker_.unpackPageToBmp(page);
                break;
            case TExportFormat::Pcx:
                unpacker_.unpackPageToPcx(page);
                break;
            case TExportFormat::Dcx:
                unpacker_.unpackPageToDcx(page);
                break;
            case TExportFormat::Png:
                exportPagePng(unpacker_, page, path);
                break;
            case TExportFormat::Tiff: {
                std::string message;
                const ErrorCode rc = exportApfToTiff(toPath(fax), toPath(path), &message);
                if (rc != ecOK && !message.empty()) {
                    throw EInOutError(rc, message);
                }
                checkFaxResult(rc);
                break;
            }
            case TExportFormat::Pdf:
                checkFaxResult(exportFaxPdf(fax, path));
                break;
        }
    } catch (const EPxException& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

}  // namespace px
