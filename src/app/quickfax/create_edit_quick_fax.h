// TCreateEditQuickFax, the "Fax Cover Sheet Editor": recipient, fax number,
// subject, notes, codes, message and importance boxes of one cover, the
// template it is drawn from, and the way to the phone book and to the
// sender information that every cover carries.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/quickfax/quick_fax_form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace px {

class TWorkflowHost;

inline constexpr const char* kQuickFaxCaption = "Fax Cover Sheet Editor";
inline constexpr const char* kEnterRecipient = "Please enter a recipient";
inline constexpr const char* kEnterRecipientFax = "Please enter a recipient fax number";
inline constexpr const char* kEnterRegardingOrMessage =
    "Please enter text for the \"regarding\" field\r\nand/or enter a message";

class TCreateEditQuickFax : public QDialog {
    Q_OBJECT

public:
    // The editor over `form`; the host gives the program folder, the settings
    // with the sender information, the phone book's table environment and
    // the message boxes.
    TCreateEditQuickFax(TWorkflowHost& host, const TQuickFaxForm& form, QWidget* parent = nullptr);

    // The values of every control and the template's file name.
    TQuickFaxForm form() const;
    const QString& templateName() const { return templateName_; }
    void setHelp(std::function<void()> open) { help_ = std::move(open); }

    // The buttons' commands.
    void PhonebookClick();
    void SelectTemplateClick();
    void ChangeSenderInfoClick();
    // Closes with OK when the values pass the checks, else says what is
    // missing and puts the focus on that box.
    void SaveClick();

    QLineEdit* Recipient() const { return recipient_; }
    QLineEdit* RecipientFax() const { return recipientFax_; }
    QLineEdit* Regarding() const { return regarding_; }
    QLineEdit* Notes() const { return notes_; }
    QLineEdit* Codes() const { return codes_; }
    QPlainTextEdit* FaxMessage() const { return message_; }
    QCheckBox* importanceBox(int index) const { return boxes_[static_cast<std::size_t>(index)]; }
    QLabel* CurrentQFileLabel() const { return templateLabel_; }
    QPushButton* PhonebookButton() const { return phonebook_; }
    QPushButton* SelectTemplateButton() const { return selectTemplate_; }
    QPushButton* ChangeSenderInfoButton() const { return senderInfo_; }
    QPushButton* HelpButton() const { return helpButton_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showTemplateName();
    // The sender information, one value a line, as the button's hint.
    void showSenderHint();

    TWorkflowHost& host_;
    QString templateName_;
    std::function<void()> help_;
    QLineEdit* recipient_;
    QLineEdit* recipientFax_;
    QLineEdit* regarding_;
    QLineEdit* notes_;
    QLineEdit* codes_;
    QPlainTextEdit* message_;
    std::array<QCheckBox*, 5> boxes_{};
    QLabel* templateLabel_;
    QPushButton* phonebook_;
    QPushButton* selectTemplate_;
    QPushButton* senderInfo_;
    QPushButton* helpButton_;
    QPushButton* save_;
    QPushButton* cancel_;
};

}  // namespace px
