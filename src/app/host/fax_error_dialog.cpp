#include "app/host/fax_error_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace px {

namespace {

// The one open dialog, so a second error arriving meanwhile is dropped.
const TFaxErrorDialog* g_openDialog = nullptr;

constexpr int kMaxVisibleLines = 20;

}  // namespace

TFaxErrorDialog::TFaxErrorDialog(QWidget* parent, const QString& caption, const QString& text,
                                 bool withContinue, bool autoClose, ErrorCode errorCode,
                                 int autoCloseMs)
    : QDialog(parent) {
    setWindowTitle(caption);
    setObjectName("TFaxErrorDialog");
    auto* layout = new QVBoxLayout(this);

    text_ = new QPlainTextEdit(this);
    text_->setAccessibleName("Message");
    text_->setReadOnly(true);
    text_->setPlainText(text);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The text area grows with the number of lines, up to a limit, then scrolls.
    const int lines = std::min(kMaxVisibleLines, static_cast<int>(text.count('\n')) + 1);
    const int lineHeight = text_->fontMetrics().lineSpacing();
    text_->setFixedHeight(lines * lineHeight + 2 * text_->frameWidth() +
                          static_cast<int>(2 * text_->document()->documentMargin()));
    layout->addWidget(text_);

    errorCode_ = new QLabel(QStringLiteral("Error code: %1").arg(errorCode), this);
    errorCode_->setObjectName("errorCodeLabel");
    errorCode_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    errorCode_->setVisible(errorCode != 0);
    layout->addWidget(errorCode_);

    auto* fixed = new QLabel(kFaxErrorFixedLine, this);
    fixed->setWordWrap(true);
    layout->addWidget(fixed);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("Ok", this);
    ok->setDefault(true);
    auto* solver = new QPushButton(kProblemSolverButton, this);
    solver->setObjectName("problemSolverButton");
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(solver);
    if (withContinue) {
        continue_ = new QPushButton("Continue", this);
        buttons->addWidget(continue_);
        connect(continue_, &QPushButton::clicked, this,
                [this] { finish(TFaxErrorResult::Continue); });
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { finish(TFaxErrorResult::Ok); });
    connect(solver, &QPushButton::clicked, this,
            [this] { finish(TFaxErrorResult::ProblemSolver); });

    if (autoClose) {
        autoClose_ = new QTimer(this);
        autoClose_->setSingleShot(true);
        autoClose_->setInterval(autoCloseMs);
        connect(autoClose_, &QTimer::timeout, this, [this] { finish(TFaxErrorResult::Ok); });
        autoClose_->start();
    }
    if (g_openDialog == nullptr) {
        g_openDialog = this;
    }
}

TFaxErrorDialog::~TFaxErrorDialog() {
    if (g_openDialog == this) {
        g_openDialog = nullptr;
    }
}

bool TFaxErrorDialog::isOpen() {
    return g_openDialog != nullptr;
}

void TFaxErrorDialog::finish(TFaxErrorResult result) {
    result_ = result;
    if (autoClose_ != nullptr) {
        autoClose_->stop();
    }
    done(result == TFaxErrorResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

TFaxErrorResult TFaxErrorDialog::run(QWidget* parent, const QString& caption, const QString& text,
                                     bool withContinue, bool autoClose, ErrorCode errorCode,
                                     const std::function<void()>& openProblemSolver,
                                     int autoCloseMs) {
    if (isOpen()) {
        return TFaxErrorResult::Dropped;
    }
    TFaxErrorDialog dialog(parent, caption, text, withContinue, autoClose, errorCode, autoCloseMs);
    dialog.exec();
    const TFaxErrorResult result = dialog.result();
    if (result == TFaxErrorResult::ProblemSolver && openProblemSolver) {
        openProblemSolver();
    }
    return result;
}

}  // namespace px
