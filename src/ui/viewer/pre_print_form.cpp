#include "ui/viewer/pre_print_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace px {

namespace {

QSpinBox* pageField(QWidget* parent) {
    auto* field = new QSpinBox(parent);
    field->setRange(1, kPrePrintMaxPage);
    return field;
}

}  // namespace

TPrePrintForm::TPrePrintForm(QWidget* parent) : QDialog(parent) {
    setObjectName("PrePrintForm");
    setWindowTitle("Print");
    beep_ = [] { QApplication::beep(); };

    fromPage_ = pageField(this);
    fromPage_->setObjectName("FromPage");
    toPage_ = pageField(this);
    toPage_->setObjectName("ToPage");
    auto* range = new QFormLayout;
    range->addRow("&From Page:", fromPage_);
    range->addRow("&To Page:", toPage_);

    header_ = new QCheckBox("Print &Header", this);
    footer_ = new QCheckBox("Print F&ooter", this);
    multiPage_ = new QCheckBox("Print &4 faxes to a page", this);

    okButton_ = new QPushButton("Ok", this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton("Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(header_);
    layout->addWidget(footer_);
    layout->addWidget(multiPage_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &TPrePrintForm::OkBtnClick);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrePrintForm::setPageLimit(int pages) {
    fromPage_->setMaximum(std::max(1, pages));
    toPage_->setMaximum(std::max(1, pages));
}

void TPrePrintForm::OkBtnClick() {
    if (toPage_->isEnabled() && toPage_->value() < fromPage_->value()) {
        if (beep_) {
            beep_();
        }
        return;
    }
    accept();
}

}  // namespace px
