#include "app/faxeditor/fax_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/phonebook/field_width_validator.h"
#include "app/phonebook/phone_book.h"

namespace px {

namespace {

// A text wider than its field (a log or phone book written by another
// program) is cut where typing would have stopped.
void setFieldText(QLineEdit* box, const QString& text) {
    QString kept = text.left(box->maxLength());
    int pos = 0;
    while (!kept.isEmpty() && box->validator()->validate(kept, pos) == QValidator::Invalid) {
        kept.chop(1);
    }
    box->setText(kept);
}

QLineEdit* fieldBox(QWidget* parent, const char* objectName, const QString& accessibleName,
                    const QString& text, int width) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(accessibleName);
    box->setMaxLength(width);
    box->setValidator(new TFieldWidthValidator(width, box));
    setFieldText(box, text);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * (std::min(width, 35) + 4));
    return box;
}

void addRow(QFormLayout* form, QWidget* parent, const char* caption, QWidget* box,
            QLayout* row = nullptr) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(box);
    if (row != nullptr) {
        form->addRow(label, row);
    } else {
        form->addRow(label, box);
    }
}

}  // namespace

TFaxEditor::TFaxEditor(const TFaxInformation& info, QWidget* parent) : QDialog(parent) {
    setWindowTitle(kFaxEditorCaption);
    setObjectName("TFaxEditor");
    setModal(true);

    recipient_ = fieldBox(this, "recipient", "Recipient", info.recipient, kRecipientWidth);
    phone_ = fieldBox(this, "recipientFax", "Recipient Fax#", info.phone, kPhoneWidth);
    subject_ = fieldBox(this, "regarding", "Regarding", info.subject, kSubjectWidth);
    notes_ = fieldBox(this, "notes", "Notes", info.notes, kNotesWidth);
    codes_ = fieldBox(this, "codes", "Codes", info.codes, kCodesWidth);
    phonebook_ = new QPushButton("&Phonebook", this);
    phonebook_->setObjectName("phonebook");
    phonebook_->setAutoDefault(false);
    connect(phonebook_, &QPushButton::clicked, this, &TFaxEditor::phonebookClick);

    auto* recipientRow = new QHBoxLayout;
    recipientRow->addWidget(recipient_, 1);
    recipientRow->addWidget(phonebook_);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    addRow(form, this, "&Recipient", recipient_, recipientRow);
    addRow(form, this, "Recipient &Fax#", phone_);
    addRow(form, this, "Re&garding", subject_);
    addRow(form, this, "&Notes", notes_);
    addRow(form, this, "C&odes", codes_);

    auto* buttons = new QDialogButtonBox(this);
    accept_ = buttons->addButton("&Accept", QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton("Cance&l", QDialogButtonBox::RejectRole);
    helpButton_ = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    accept_->setObjectName("accept");
    cancel_->setObjectName("cancel");
    helpButton_->setObjectName("help");
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

TFaxInformation TFaxEditor::information() const {
    return {recipient_->text(), phone_->text(), subject_->text(), notes_->text(), codes_->text()};
}

void TFaxEditor::phonebookClick() {
    if (!chooser_) {
        return;
    }
    if (const std::optional<TPhoneBookEntry> entry = chooser_(this)) {
        setFieldText(recipient_, entry->name);
        setFieldText(phone_, entry->phone);
    }
}

TFaxEditor::PhoneBookChooser phoneBookChooser(std::string programFolder,
                                              std::shared_ptr<TTableEnv> env,
                                              TUserPrompts& prompts) {
    return [folder = std::move(programFolder), env = std::move(env),
            &prompts](QWidget* parent) -> std::optional<TPhoneBookEntry> {
        TPhoneBook book(folder, env, prompts, TPhoneBookMode::Select, parent);
        if (!book.openBook(false) || book.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return book.chosen();
    };
}

bool editFaxInformation(QWidget* parent, const QString& caption, TFaxInformation& info,
                        TFaxEditor::PhoneBookChooser chooser, std::function<void()> help) {
    TFaxEditor editor(info, parent);
    editor.setWindowTitle(caption);
    editor.setPhoneBookChooser(std::move(chooser));
    editor.setHelp(std::move(help));
    if (editor.exec() != QDialog::Accepted) {
        return false;
    }
    info = editor.information();
    return true;
}

}  // namespace px
