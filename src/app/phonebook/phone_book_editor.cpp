#include "app/phonebook/phone_book_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/phonebook/field_width_validator.h"

namespace px {

namespace {

QLineEdit* fieldBox(QWidget* parent, const QString& text, int width) {
    auto* box = new QLineEdit(text.left(width), parent);
    box->setMaxLength(width);
    box->setValidator(new TFieldWidthValidator(width, box));
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * (width + 4));
    return box;
}

}  // namespace

TPhoneBookEditor::TPhoneBookEditor(const TPhoneBookEntry& entry, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Phone Book Editor");
    setObjectName("TPhoneBookEditor");
    setModal(true);

    name_ = fieldBox(this, entry.name, kPhoneBookNameWidth);
    phone_ = fieldBox(this, entry.phone, kPhoneBookPhoneWidth);
    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel("&Name", this);
    nameLabel->setBuddy(name_);
    auto* phoneLabel = new QLabel("&Fax Number", this);
    phoneLabel->setBuddy(phone_);
    name_->setAccessibleName("Name");
    phone_->setAccessibleName("Fax Number");
    form->addRow(nameLabel, name_);
    form->addRow(phoneLabel, phone_);

    auto* buttons = new QDialogButtonBox(this);
    accept_ = buttons->addButton("&Accept", QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton("Cance&l", QDialogButtonBox::RejectRole);
    helpButton_ = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    accept_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (help_) {
            help_();
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

TPhoneBookEntry TPhoneBookEditor::entry() const {
    return {name_->text(), phone_->text()};
}

bool TPhoneBookEditor::edit(QWidget* parent, TPhoneBookEntry& entry, std::function<void()> help) {
    TPhoneBookEditor editor(entry, parent);
    editor.setHelp(std::move(help));
    if (editor.exec() != QDialog::Accepted) {
        return false;
    }
    entry = editor.entry();
    return true;
}

}  // namespace px
