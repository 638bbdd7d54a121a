#include "ui/coverdesign/get_label_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

TGetLabelText::TGetLabelText(const QString& caption, QWidget* parent)
    : QDialog(parent),
      edit_(new QLineEdit(caption, this)),
      ok_(new QPushButton(QStringLiteral("Ok"), this)),
      help_(new QPushButton(QStringLiteral("Help"), this)) {
    setObjectName(QStringLiteral("TGetLabelText"));
    setWindowTitle(QStringLiteral("Text"));
    auto* prompt = new QLabel(QStringLiteral("Enter Text"), this);
    prompt->setBuddy(edit_);
    edit_->setObjectName(QStringLiteral("TextEdit"));
    edit_->setAccessibleName(QStringLiteral("Enter Text"));
    edit_->setMinimumWidth(320);
    edit_->selectAll();
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] {
        if (onHelp_) {
            onHelp_();
        }
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
}

QString TGetLabelText::text() const {
    return edit_->text();
}

}  // namespace px
