// The printer's dialogs: the print set-up (the system print dialog with its
// page range) and, on a system without printers, the choice of a PDF file.
#pragma once

#include <QString>
#include <functional>

#include "fax/print/px_print_setup.h"

class QWidget;

namespace px {

class TPxCustomFaxPrinter;

class TPxPrintSetupDialog : public TPxPrintSetupPrompt {
public:
    explicit TPxPrintSetupDialog(QWidget* parent = nullptr) : parent_(parent) {}
    bool execute(QPrinter& printer, unsigned pageCount, unsigned& first, unsigned& last) override;

private:
    QWidget* parent_;
};

// How the PDF choice asks and tells; the defaults are a save-file dialog and
// an information box, tests put their own in.
struct TPdfChoiceHooks {
    // Returns the chosen path, empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggested)> askPath;
    std::function<void(QWidget* parent, const QString& text)> inform;
};

// When the system has no printer, asks for a PDF file to print to, points the
// printer at it and tells the user so; returns false when cancelled. With a
// printer installed it returns true and changes nothing.
bool choosePdfOutputWhenNoPrinter(TPxCustomFaxPrinter& printer, QWidget* parent,
                                  const TPdfChoiceHooks& hooks = {});

// The information text for printing to `path` ("No printer is installed...").
QString pdfOutputNotice(const QString& path);

}  // namespace px
