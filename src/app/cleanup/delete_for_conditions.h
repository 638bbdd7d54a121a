// The conditions dialog of the cleanup window: delete the faxes from a
// sender (incoming log), or to a recipient or fax number (outgoing log),
// matched exactly or in part.
#pragma once

#include <QDialog>
#include <string>

#include "app/host/workflow_host.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace px {

class TUserPrompts;

// What the dialog chose: the field compared and the text typed.
struct TMatchChoice {
    std::string field;  // FROM, RECIPIENT or PHONE
    std::string value;
    bool exact = true;
};

class TDeleteForConditions : public QDialog {
    Q_OBJECT

public:
    // The current record's values fill the fields of the page's choices.
    struct TCurrentValues {
        QString from;
        QString recipient;
        QString phone;
    };

    TDeleteForConditions(TMainPage page, const TCurrentValues& current, TUserPrompts& prompts,
                         QWidget* parent = nullptr);

    TMatchChoice choice() const;

    QRadioButton* fromChoice() const { return from_; }
    QRadioButton* recipientChoice() const { return recipient_; }
    QRadioButton* phoneChoice() const { return phone_; }
    QLineEdit* fromText() const { return fromText_; }
    QLineEdit* recipientText() const { return recipientText_; }
    QLineEdit* phoneText() const { return phoneText_; }
    QCheckBox* exactMatch() const { return exact_; }

    void OkButtonClick();

private:
    QLineEdit* chosenText() const;

    TUserPrompts& prompts_;
    QRadioButton* from_ = nullptr;
    QRadioButton* recipient_ = nullptr;
    QRadioButton* phone_ = nullptr;
    QLineEdit* fromText_ = nullptr;
    QLineEdit* recipientText_ = nullptr;
    QLineEdit* phoneText_ = nullptr;
    QCheckBox* exact_ = nullptr;
};

}  // namespace px
