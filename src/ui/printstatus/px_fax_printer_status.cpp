#include "ui/printstatus/px_fax_printer_status.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "common/px_exceptions.h"
#include "fax/print/px_fax_printer.h"

namespace px {

TPxFaxPrinterStatus::TPxFaxPrinterStatus(QWidget* owner) : owner_(owner) {}

TPxFaxPrinterStatus::~TPxFaxPrinterStatus() {
    setFaxPrinter(nullptr);
    delete display_.data();
}

void TPxFaxPrinterStatus::openDisplay(const TFaxPrinterStatusValues& values) {
    if (!display_) {
        display_ = new TStandardFaxPrinterStatusDisplay(owner_);
        display_->setAbortHandler([this] {
            try {
                abortRequested();
            } catch (const EPxException&) {
                // The job is stopped; only its log line could not be written.
            }
        });
    }
    display_->updateValues(values);
    applyProperties();
    display_->adjustSize();
    place();
    display_->setVisible(visible());
}

void TPxFaxPrinterStatus::refreshDisplay(const TFaxPrinterStatusValues& values) {
    if (display_) {
        display_->updateValues(values);
    }
}

void TPxFaxPrinterStatus::closeDisplay() {
    if (display_) {
        // Kept for the next job; hiding it may happen from inside its own
        // Abort click.
        display_->hide();
    }
}

void TPxFaxPrinterStatus::applyProperties() {
    if (!display_) {
        return;
    }
    display_->setWindowTitle(caption());
    display_->setCtl3D(ctl3D());
    if (isShowing()) {
        display_->setVisible(visible());
    }
}

void TPxFaxPrinterStatus::place() {
    QRect area;
    if (position() == TStatusPosition::poOwnerFormCenter && owner_ != nullptr) {
        area = owner_->frameGeometry();
    } else if (position() != TStatusPosition::poDesigned) {
        QScreen* screen = owner_ != nullptr ? owner_->screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            area = screen->availableGeometry();
        }
    }
    if (area.isValid()) {
        QRect frame = display_->frameGeometry();
        frame.moveCenter(area.center());
        display_->move(frame.topLeft());
    }
}

}  // namespace px
