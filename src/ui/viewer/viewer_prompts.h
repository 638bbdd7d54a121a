// What the viewer window asks of the person at the screen: messages, the
// beep, file names, and the print dialogs. Tests put in their own.
#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace px {

class TPrePrintForm;

class TViewerPrompts {
public:
    virtual ~TViewerPrompts() = default;

    // An "Information" box with one OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    virtual void beep() = 0;
    // A save dialog with an overwrite prompt and no read-only box; the
    // chosen name, or empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                 const QString& suggested) = 0;
    // Runs the print dialog; true for Ok.
    virtual bool prePrint(TPrePrintForm& form) = 0;
    // The system's print set-up for `printer` with pages from 1..pageCount.
    virtual bool printSetup(QWidget* parent, QPrinter& printer, unsigned pageCount, unsigned& first,
                            unsigned& last) = 0;
};

// The real dialogs.
class TViewerDialogs : public TViewerPrompts {
public:
    void information(QWidget* parent, const QString& text) override;
    void beep() override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& suggested) override;
    bool prePrint(TPrePrintForm& form) override;
    bool printSetup(QWidget* parent, QPrinter& printer, unsigned pageCount, unsigned& first,
                    unsigned& last) override;
};

}  // namespace px
