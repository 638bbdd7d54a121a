// "Modem Initialization String Helper": builds an init string from the kind
// of modem the user has.
#pragma once

#include <QDialog>
#include <QString>

#include "app/modemprobe/init_string_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace px {

class TModemInitStringHelperForm : public QDialog {
    Q_OBJECT

public:
    // `sending`: the string is for sending faxes, which alone shows the
    // early hang-up option.
    TModemInitStringHelperForm(QWidget* parent, const QString& text, bool sending);

    // The text for the button pressed (the old text until one is).
    QString resultText() const { return result_; }
    TInitStringChoice choice() const;

    QComboBox* modemType() const { return modemType_; }
    QCheckBox* checkAT7() const { return checkAT7_; }
    QLabel* checkAT7Label() const { return checkAT7Label_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* blankButton() const { return blank_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish(TInitStringAnswer answer);

    QString oldText_;
    QString result_;
    bool sending_;
    QComboBox* modemType_ = nullptr;
    QCheckBox* checkAT7_ = nullptr;
    QLabel* checkAT7Label_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* blank_ = nullptr;
};

}  // namespace px
