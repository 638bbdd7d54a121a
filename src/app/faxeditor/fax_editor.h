// The "Fax Information Editor" (TFaxEditor): recipient, fax number, subject,
// notes and codes of an outgoing fax without a cover sheet, or of a received
// fax about to be forwarded. The Phonebook button fills in the recipient from
// the phone book. Storing the values is the caller's.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/faxeditor/fax_information.h"
#include "app/phonebook/phone_book_editor.h"

class QLineEdit;
class QPushButton;

namespace px {

class TTableEnv;
class TUserPrompts;

inline constexpr const char* kFaxEditorCaption = "Fax Information Editor";

class TFaxEditor : public QDialog {
    Q_OBJECT

public:
    // Lets the user choose a phone book entry; nothing for Cancel.
    using PhoneBookChooser = std::function<std::optional<TPhoneBookEntry>(QWidget* parent)>;

    explicit TFaxEditor(const TFaxInformation& info, QWidget* parent = nullptr);

    TFaxInformation information() const;
    void setPhoneBookChooser(PhoneBookChooser chooser) { chooser_ = std::move(chooser); }
    void setHelp(std::function<void()> open) { help_ = std::move(open); }

    void phonebookClick();

    QLineEdit* recipientBox() const { return recipient_; }
    QLineEdit* phoneBox() const { return phone_; }
    QLineEdit* subjectBox() const { return subject_; }
    QLineEdit* notesBox() const { return notes_; }
    QLineEdit* codesBox() const { return codes_; }
    QPushButton* phonebookButton() const { return phonebook_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return helpButton_; }

private:
    QLineEdit* recipient_;
    QLineEdit* phone_;
    QLineEdit* subject_;
    QLineEdit* notes_;
    QLineEdit* codes_;
    QPushButton* phonebook_;
    QPushButton* accept_;
    QPushButton* cancel_;
    QPushButton* helpButton_;
    PhoneBookChooser chooser_;
    std::function<void()> help_;
};

// The phone book of the program folder in selection mode. A phone book that
// cannot be opened is not shown and counts as Cancel.
TFaxEditor::PhoneBookChooser phoneBookChooser(std::string programFolder,
                                              std::shared_ptr<TTableEnv> env,
                                              TUserPrompts& prompts);

// Runs the editor modally with `caption` over `info`; true and `info`
// changed on Accept.
bool editFaxInformation(QWidget* parent, const QString& caption, TFaxInformation& info,
                        TFaxEditor::PhoneBookChooser chooser, std::function<void()> help = {});

}  // namespace px
