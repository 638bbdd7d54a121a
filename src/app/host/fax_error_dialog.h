// The fax error dialog: a caption and multi-line text from the caller, the
// line pointing to the problem solver, and the buttons Ok, " Fax Problem
// Solver" and, when asked, Continue. An error code other than 0 is shown
// under the text. Only one can be open at a time; when opened for an
// unattended machine it closes itself with Ok after 30 s.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "common/px_errors.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace px {

enum class TFaxErrorResult { Ok, ProblemSolver, Continue, Dropped };

inline constexpr const char* kFaxErrorFixedLine =
    "For more information and possible solutions, click the Fax Problem Solver button";
inline constexpr const char* kProblemSolverButton = " Fax Problem Solver";
inline constexpr int kFaxErrorAutoCloseMs = 30000;

class TFaxErrorDialog : public QDialog {
    Q_OBJECT

public:
    TFaxErrorDialog(QWidget* parent, const QString& caption, const QString& text, bool withContinue,
                    bool autoClose, ErrorCode errorCode, int autoCloseMs = kFaxErrorAutoCloseMs);
    ~TFaxErrorDialog() override;

    // Shows the dialog modally and returns the button chosen; Dropped when
    // another fax error dialog is open already. ProblemSolver runs
    // `openProblemSolver` before returning.
    static TFaxErrorResult run(QWidget* parent, const QString& caption, const QString& text,
                               bool withContinue, bool autoClose, ErrorCode errorCode,
                               const std::function<void()>& openProblemSolver,
                               int autoCloseMs = kFaxErrorAutoCloseMs);
    static bool isOpen();

    TFaxErrorResult result() const { return result_; }
    QPlainTextEdit* textArea() const { return text_; }
    QPushButton* continueButton() const { return continue_; }
    // "Error code: " and the code; hidden when the code is 0.
    QLabel* errorCodeLabel() const { return errorCode_; }

private:
    void finish(TFaxErrorResult result);

    QPlainTextEdit* text_ = nullptr;
    QPushButton* continue_ = nullptr;
    QLabel* errorCode_ = nullptr;
    QTimer* autoClose_ = nullptr;
    TFaxErrorResult result_ = TFaxErrorResult::Ok;
};

}  // namespace px
