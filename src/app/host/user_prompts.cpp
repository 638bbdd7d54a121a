#include "app/host/user_prompts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

namespace px {

QString messageText(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QChar('\r'), QChar('\n'));
    return out;
}

QString messageText(const char* text) {
    return messageText(QString::fromUtf8(text));
}

void TDialogPrompts::information(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), messageText(text),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool TDialogPrompts::question(QWidget* parent, const QString& caption, const QString& text,
                              bool noDefault) {
    QMessageBox box(QMessageBox::Question, caption, messageText(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    // Questions quote log fields (a far station's ID among them): plain text only.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(noDefault ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int TDialogPrompts::choice(QWidget* parent, const QString& caption, const QStringList& options,
                           int preselected) {
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    QButtonGroup group;
    for (int i = 0; i < options.size(); ++i) {
        auto* radio = new QRadioButton(options[i], &dialog);
        radio->setChecked(i == preselected);
        group.addButton(radio, i);
        layout->addWidget(radio);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (openHelp_) {
        buttons->addButton(QDialogButtonBox::Help);
        QObject::connect(buttons, &QDialogButtonBox::helpRequested, &dialog, openHelp_);
    }
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    return group.checkedId();
}

int TDialogPrompts::buttonChoice(QWidget* parent, const QString& caption,
                                 const QStringList& buttons) {
    QMessageBox box(QMessageBox::NoIcon, caption, caption, QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> added;
    for (const QString& text : buttons) {
        added.push_back(box.addButton(text, QMessageBox::AcceptRole));
    }
    box.addButton(QMessageBox::Cancel);
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (box.clickedButton() == added[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TFaxErrorResult TDialogPrompts::faxError(QWidget* parent, const QString& caption,
                                         const QString& text, bool withContinue, bool autoClose,
                                         ErrorCode errorCode) {
    return TFaxErrorDialog::run(parent, caption, messageText(text), withContinue, autoClose,
                                errorCode, openProblemSolver_);
}

void TDialogPrompts::beep() {
    QApplication::beep();
}

}  // namespace px
