#include "ui/faxstatus/px_fax_status.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "fax/components/px_abstract_fax.h"

namespace px {

TPxFaxStatus::TPxFaxStatus(QWidget* owner, TPxClock& clock)
    : TPxAbstractFaxStatus(clock), owner_(owner) {}

TPxFaxStatus::~TPxFaxStatus() {
    delete display_.data();
}

void TPxFaxStatus::setCtl3D(bool on) {
    ctl3D_ = on;
    if (display_) {
        display_->setCtl3D(on);
    }
}

void TPxFaxStatus::setVisible(bool on) {
    visible_ = on;
    if (display_) {
        display_->setVisible(on);
    }
}

void TPxFaxStatus::openDisplay() {
    if (!display_) {
        display_ = new TStandardFaxDisplay(owner_);
        display_->setCancelHandler([this] {
            if (Fax() != nullptr) {
                Fax()->AbortFax();
            }
        });
    }
    display_->setWindowTitle(Caption);
    display_->setCtl3D(ctl3D_);
    shown_ = false;
}

void TPxFaxStatus::refreshDisplay(const TFaxStatusValues& values) {
    if (!display_) {
        return;
    }
    display_->UpdateValues(values);
    if (!shown_) {
        // Sized and placed with its first values, then shown.
        shown_ = true;
        display_->adjustSize();
        place();
        display_->setVisible(visible_);
    }
}

void TPxFaxStatus::closeDisplay() {
    if (!display_) {
        return;
    }
    // The last report can come from inside the dialog's own Cancel click
    // (the abort ends the session at once), so it goes after that returns.
    TStandardFaxDisplay* display = display_;
    display_ = nullptr;
    display->hide();
    display->setCancelHandler({});
    display->deleteLater();
}

void TPxFaxStatus::place() {
    QRect area;
    if (Position == TPosition::poOwnerFormCenter && owner_ != nullptr) {
        area = owner_->frameGeometry();
    } else if (Position != TPosition::poDesigned) {
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
