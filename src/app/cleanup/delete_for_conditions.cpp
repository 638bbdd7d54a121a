#include "app/cleanup/delete_for_conditions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/host/user_prompts.h"

namespace px {

TDeleteForConditions::TDeleteForConditions(TMainPage page, const TCurrentValues& current,
                                           TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle("Delete Faxes Where....");
    setObjectName("DeleteForConditions");

    auto* group = new QGroupBox("Delete Faxes Where....", this);
    auto* grid = new QGridLayout(group);
    const auto addChoice = [&](int row, const char* caption, QRadioButton*& choice,
                               QLineEdit*& text, const char* textName) {
        choice = new QRadioButton(caption, group);
        choice->setAccessibleName(caption);
        text = new QLineEdit(group);
        text->setAccessibleName(textName);
        grid->addWidget(choice, row, 0);
        grid->addWidget(text, row, 1);
        connect(choice, &QRadioButton::toggled, text, &QWidget::setEnabled);
    };
    addChoice(0, "Fax is FROM:", from_, fromText_, "Sender");
    addChoice(1, "RECIPIENT is:", recipient_, recipientText_, "Recipient");
    addChoice(2, "FAX # is:", phone_, phoneText_, "Fax number");
    fromText_->setMaxLength(20);
    recipientText_->setMaxLength(35);
    phoneText_->setMaxLength(25);

    exact_ = new QCheckBox("Text must match exactly", this);
    exact_->setChecked(true);
    exact_->setAccessibleName("Text must match exactly");
    auto* hint = new QLabel("(uncheck to allow  partial matches)", this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Ok");
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("Ok");
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &TDeleteForConditions::OkButtonClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(exact_);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    if (page == TMainPage::Outgoing) {
        from_->setEnabled(false);
        recipientText_->setText(current.recipient);
        phoneText_->setText(current.phone);
        recipient_->setChecked(true);
        fromText_->setEnabled(false);
        phoneText_->setEnabled(false);
    } else {
        recipient_->setEnabled(false);
        phone_->setEnabled(false);
        fromText_->setText(current.from.trimmed());
        from_->setChecked(true);
        recipientText_->setEnabled(false);
        phoneText_->setEnabled(false);
    }
}

QLineEdit* TDeleteForConditions::chosenText() const {
    if (from_->isChecked()) {
        return fromText_;
    }
    return recipient_->isChecked() ? recipientText_ : phoneText_;
}

TMatchChoice TDeleteForConditions::choice() const {
    const char* field = from_->isChecked()        ? "FROM"
                        : recipient_->isChecked() ? "RECIPIENT"
                                                  : "PHONE";
    return {field, chosenText()->text().toStdString(), exact_->isChecked()};
}

void TDeleteForConditions::OkButtonClick() {
    if (chosenText()->text().trimmed().isEmpty()) {
        prompts_.information(this, "Please enter a value");
        return;
    }
    if (prompts_.question(this, "VERIFY DELETE",
                          "Are you sure you wish to delete all faxes matching this criteria?",
                          false)) {
        accept();
    }
}

}  // namespace px
