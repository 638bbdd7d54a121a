#include "app/modemprobe/probe_dialog.h"

#include <QTimer>

namespace px {

void TProbeDialog::reject() {
    if (finished_) {
        QDialog::reject();
    }
}

void TProbeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

}  // namespace px
