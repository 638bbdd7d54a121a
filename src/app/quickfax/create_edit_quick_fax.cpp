#include "app/quickfax/create_edit_quick_fax.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/host/user_prompts.h"
#include "app/host/workflow_host.h"
#include "app/phonebook/field_width_validator.h"
#include "app/phonebook/phone_book.h"
#include "app/tables/log_table.h"
#include "cover/sender/sender_info.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"
#include "ui/coverdesign/preview_quick_fax_forms.h"
#include "ui/coversender/get_sender_info.h"

namespace px {

namespace {

struct TBoxSpec {
    const char* objectName;
    const char* caption;
};

// In the order of the cover's importance row and of the .FCD line.
constexpr TBoxSpec kImportanceBoxes[] = {
    {"cUrgent", "Urgent"},
    {"cForReview", "For Review"},
    {"cPleaseComment", "Please Comment"},
    {"cPleaseReply", "Please Reply"},
    {"cPleaseRecycle", "Please Recycle"},
};

// A box that holds no more than its log field; the cover and the log then
// show the same text.
QLineEdit* fieldBox(QWidget* parent, const char* objectName, const QString& text, int width) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setMaxLength(width);
    box->setValidator(new TFieldWidthValidator(width, box));
    box->setText(text);
    return box;
}

void addRow(QFormLayout* form, QWidget* parent, const char* caption, QWidget* box,
            QLayout* row = nullptr) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setBuddy(box);
    box->setAccessibleName(QString::fromLatin1(caption));
    if (row != nullptr) {
        form->addRow(label, row);
    } else {
        form->addRow(label, box);
    }
}

QPushButton* button(QWidget* parent, const char* objectName, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TCreateEditQuickFax::TCreateEditQuickFax(TWorkflowHost& host, const TQuickFaxForm& form,
                                         QWidget* parent)
    : QDialog(parent), host_(host), templateName_(form.cover.templateName) {
    setObjectName(QStringLiteral("TCreateEditQuickFax"));
    setWindowTitle(QString::fromLatin1(kQuickFaxCaption));
    setModal(true);

    recipient_ = fieldBox(this, "Recipient", form.recipient, kRecipientWidth);
    recipientFax_ = fieldBox(this, "RecipientFax", form.recipientFax, kPhoneWidth);
    regarding_ = fieldBox(this, "Regarding", form.regarding, kSubjectWidth);
    notes_ = fieldBox(this, "Notes", form.notes, kNotesWidth);
    codes_ = fieldBox(this, "Codes", form.codes, kCodesWidth);
    regarding_->setMinimumWidth(regarding_->fontMetrics().averageCharWidth() * 40);

    phonebook_ = button(this, "PhonebookButton", "&Phonebook");
    auto* recipientRow = new QHBoxLayout;
    recipientRow->addWidget(recipient_, 1);
    recipientRow->addWidget(phonebook_);
    auto* fields = new QFormLayout;
    addRow(fields, this, "Recipient", recipient_, recipientRow);
    addRow(fields, this, "Recipient Fax Number", recipientFax_);
    addRow(fields, this, "Regarding", regarding_);
    addRow(fields, this, "Notes", notes_);
    addRow(fields, this, "Codes", codes_);

    message_ = new QPlainTextEdit(this);
    message_->setObjectName(QStringLiteral("FaxMessage"));
    message_->setAccessibleName(QStringLiteral("Message"));
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    message_->setTabChangesFocus(true);
    message_->setPlainText(form.cover.message.join(QLatin1Char('\n')));
    auto* messageLabel = new QLabel(QStringLiteral("Message"), this);
    messageLabel->setBuddy(message_);

    auto* importance = new QGroupBox(QStringLiteral("Importance Flags"), this);
    importance->setObjectName(QStringLiteral("ImportanceFlags"));
    auto* boxGrid = new QGridLayout(importance);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(kImportanceBoxes[i].caption), importance);
        box->setObjectName(QString::fromLatin1(kImportanceBoxes[i].objectName));
        box->setChecked(form.cover.importance[i]);
        const int at = static_cast<int>(i);
        boxGrid->addWidget(box, at % 3, at / 3);
        boxes_[i] = box;
    }

    auto* coverBox = new QGroupBox(QStringLiteral("Template and Sender"), this);
    auto* coverLayout = new QVBoxLayout(coverBox);
    auto* usingLabel = new QLabel(QStringLiteral("Using Fax Cover Template:"), coverBox);
    templateLabel_ = new QLabel(coverBox);
    templateLabel_->setObjectName(QStringLiteral("CurrentQFileLabel"));
    templateLabel_->setAccessibleName(QStringLiteral("Using Fax Cover Template"));
    templateLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = templateLabel_->font();
    bold.setBold(true);
    templateLabel_->setFont(bold);
    selectTemplate_ = button(coverBox, "SelectTemplateButton", "&Select Fax Cover Template");
    senderInfo_ = button(coverBox, "ChangeSenderInfoButton", "&Change Sender Info");
    coverLayout->addWidget(usingLabel);
    coverLayout->addWidget(templateLabel_);
    coverLayout->addWidget(selectTemplate_);
    coverLayout->addWidget(senderInfo_);
    coverLayout->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(importance, 1);
    middle->addWidget(coverBox, 1);

    helpButton_ = button(this, "HelpButton", "&Help");
    save_ = button(this, "SaveButton", "&Save");
    save_->setDefault(true);
    save_->setAutoDefault(true);
    cancel_ = button(this, "CancelButton", "Cance&l");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(messageLabel);
    layout->addWidget(message_, 1);
    layout->addLayout(middle);
    layout->addLayout(buttons);

    connect(phonebook_, &QPushButton::clicked, this, &TCreateEditQuickFax::PhonebookClick);
    connect(selectTemplate_, &QPushButton::clicked, this,
            &TCreateEditQuickFax::SelectTemplateClick);
    connect(senderInfo_, &QPushButton::clicked, this, &TCreateEditQuickFax::ChangeSenderInfoClick);
    connect(save_, &QPushButton::clicked, this, &TCreateEditQuickFax::SaveClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (help_) {
            help_();
        }
    });

    showTemplateName();
    showSenderHint();
    resize(sizeHint().width(), sizeHint().height() + 80);
}

TQuickFaxForm TCreateEditQuickFax::form() const {
    TQuickFaxForm f;
    f.recipient = recipient_->text();
    f.recipientFax = recipientFax_->text();
    f.regarding = regarding_->text();
    f.notes = notes_->text();
    f.codes = codes_->text();
    f.cover.templateName = templateName_;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        f.cover.importance[i] = boxes_[i]->isChecked();
    }
    const QString text = message_->toPlainText();
    if (!text.isEmpty()) {
        f.cover.message = text.split(QLatin1Char('\n'));
    }
    return f;
}

void TCreateEditQuickFax::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showTemplateName();
    showSenderHint();
}

void TCreateEditQuickFax::showTemplateName() {
    templateLabel_->setText(templateName_);
}

void TCreateEditQuickFax::showSenderHint() {
    const std::string hint = senderInfoHint(TSenderInfo::fromSettings(host_.settings().user));
    senderInfo_->setToolTip(QString::fromStdString(hint));
}

void TCreateEditQuickFax::PhonebookClick() {
    TPhoneBook book(host_.folder().path(), host_.log(TMainPage::Outgoing).table().sharedEnv(),
                    host_.prompts(), TPhoneBookMode::Select, this);
    book.setHelp(help_);
    // A phone book that cannot be opened or created is simply not there.
    if (!book.openBook(false) || book.exec() != QDialog::Accepted) {
        return;
    }
    recipient_->setText(book.chosen().name);
    recipientFax_->setText(book.chosen().phone);
}

void TCreateEditQuickFax::SelectTemplateClick() {
    TPreviewQuickFaxForms chooser(QString::fromStdString(host_.folder().coversFolder()),
                                  templateName_, this);
    if (chooser.exec() != QDialog::Accepted) {
        return;
    }
    templateName_ = chooser.chosenName();
    showTemplateName();
}

void TCreateEditQuickFax::ChangeSenderInfoClick() {
    try {
        changeSenderInfo(this, host_.settings(), [this] { host_.saveSettings(); });
    } catch (const std::exception& e) {
        // The values stay in memory for the covers; the file could not take them.
        host_.prompts().information(this, QString::fromUtf8(e.what()));
    }
    showSenderHint();
}

void TCreateEditQuickFax::SaveClick() {
    auto refuse = [this](QWidget* box, const char* text) {
        host_.prompts().information(this, messageText(text));
        box->setFocus();
    };
    if (recipient_->text().trimmed().isEmpty()) {
        refuse(recipient_, kEnterRecipient);
    } else if (recipientFax_->text().trimmed().isEmpty()) {
        refuse(recipientFax_, kEnterRecipientFax);
    } else if (regarding_->text().trimmed().isEmpty() && message_->toPlainText().isEmpty()) {
        refuse(regarding_, kEnterRegardingOrMessage);
    } else {
        accept();
    }
}

}  // namespace px
