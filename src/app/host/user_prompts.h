// The three kinds of message the program shows (the "Information" box, the
// Yes/No question, the fax error dialog), plus the beep and the small choice
// dialogs, behind one interface so the main window's commands can be driven
// by tests without a person at the screen.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "app/host/fax_error_dialog.h"

class QWidget;

namespace px {

// Message texts keep the line breaks of their "\r" and "\r\n" form.
QString messageText(const char* text);
QString messageText(const QString& text);

class TUserPrompts {
public:
    virtual ~TUserPrompts() = default;

    // Caption "Information", one OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Yes/No with the question icon; true for Yes. `noDefault` makes No the default button.
    virtual bool question(QWidget* parent, const QString& caption, const QString& text,
                          bool noDefault) = 0;
    // Radio choice among `options` with Ok and Cancel; the chosen index, or -1 for Cancel.
    virtual int choice(QWidget* parent, const QString& caption, const QStringList& options,
                       int preselected) = 0;
    // A row of push buttons ending in Cancel; the index of the button chosen,
    // or -1 for Cancel.
    virtual int buttonChoice(QWidget* parent, const QString& caption,
                             const QStringList& buttons) = 0;
    // `errorCode` is shown with the text unless it is 0.
    virtual TFaxErrorResult faxError(QWidget* parent, const QString& caption, const QString& text,
                                     bool withContinue, bool autoClose, ErrorCode errorCode) = 0;
    virtual void beep() = 0;
};

// The real dialogs.
class TDialogPrompts : public TUserPrompts {
public:
    explicit TDialogPrompts(std::function<void()> openProblemSolver = {})
        : openProblemSolver_(std::move(openProblemSolver)) {}
    void setProblemSolver(std::function<void()> open) { openProblemSolver_ = std::move(open); }
    // When set, the choice dialogs carry a Help button that calls it.
    void setHelp(std::function<void()> open) { openHelp_ = std::move(open); }

    void information(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& caption, const QString& text,
                  bool noDefault) override;
    int choice(QWidget* parent, const QString& caption, const QStringList& options,
               int preselected) override;
    int buttonChoice(QWidget* parent, const QString& caption, const QStringList& buttons) override;
    TFaxErrorResult faxError(QWidget* parent, const QString& caption, const QString& text,
                             bool withContinue, bool autoClose, ErrorCode errorCode) override;
    void beep() override;

private:
    std::function<void()> openProblemSolver_;
    std::function<void()> openHelp_;
};

}  // namespace px
