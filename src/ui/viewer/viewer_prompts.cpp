#include "ui/viewer/viewer_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/printstatus/px_print_dialogs.h"
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
    return TPxPrintSetupDialog(parent).execute(printer, pageCount, first, last);
}

}  // namespace px
