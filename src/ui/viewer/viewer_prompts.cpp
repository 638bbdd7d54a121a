#include "ui/viewer/viewer_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/viewer/pre_print_form.h"

namespace px {

void TViewerDialogs::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, "Information", text);
}

void TViewerDialogs::beep() {
    QApplication::beep();
}

QString TViewerDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                     const QString& suggested) {
    // QFileDialog asks before overwriting and has no read-only box.
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

bool TViewerDialogs::prePrint(TPrePrintForm& form) {
    return form.exec() == QDialog::Accepted;
}

bool TViewerDialogs::printSetup(QWidget* parent, QPrinter& printer, unsigned pageCount,
                                unsigned& first, unsigned& last) {
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, static_cast<int>(std::max(1U, pageCount)));
    dialog.setFromTo(static_cast<int>(first), static_cast<int>(last));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        first = static_cast<unsigned>(dialog.fromPage());
        last = static_cast<unsigned>(dialog.toPage());
    } else {
        first = 1;
        last = pageCount;
    }
    return true;
}

}  // namespace px
