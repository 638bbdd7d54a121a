#include "fax/print/px_abstract_fax_printer_status.h"

#include "fax/print/px_fax_printer.h"

namespace px {

TPxAbstractFaxPrinterStatus::~TPxAbstractFaxPrinterStatus() {
    setFaxPrinter(nullptr);
}

void TPxAbstractFaxPrinterStatus::setFaxPrinter(TPxCustomFaxPrinter* printer) {
    if (printer == printer_) {
        return;
    }
    TPxCustomFaxPrinter* old = printer_;
    printer_ = printer;
    if (old != nullptr && old->statusDisplay() == this) {
        old->setStatusDisplay(nullptr);
    }
    if (printer != nullptr && printer->statusDisplay() != this) {
        printer->setStatusDisplay(this);
    }
}

void TPxAbstractFaxPrinterStatus::setPosition(TStatusPosition position) {
    position_ = position;
    applyProperties();
}

void TPxAbstractFaxPrinterStatus::setCtl3D(bool on) {
    ctl3D_ = on;
    applyProperties();
}

void TPxAbstractFaxPrinterStatus::setVisible(bool on) {
    visible_ = on;
    applyProperties();
}

void TPxAbstractFaxPrinterStatus::setCaption(const QString& caption) {
    caption_ = caption;
    applyProperties();
}

void TPxAbstractFaxPrinterStatus::showStatus(const TFaxPrinterStatusValues& values) {
    openDisplay(values);
    showing_ = true;
}

void TPxAbstractFaxPrinterStatus::updateStatus(const TFaxPrinterStatusValues& values) {
    if (showing_) {
        refreshDisplay(values);
    }
}

void TPxAbstractFaxPrinterStatus::hideStatus() {
    if (showing_) {
        showing_ = false;
        closeDisplay();
    }
}

void TPxAbstractFaxPrinterStatus::abortRequested() {
    if (printer_ != nullptr) {
        printer_->abort();
    }
}

}  // namespace px
