// The "Phone Book Editor": one entry's name and fax number, each kept within
// the width of its field in PXPB.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;
class QPushButton;

namespace px {

struct TPhoneBookEntry {
    QString name;
    QString phone;
};

inline constexpr int kPhoneBookNameWidth = 35;
inline constexpr int kPhoneBookPhoneWidth = 25;

class TPhoneBookEditor : public QDialog {
    Q_OBJECT

public:
    explicit TPhoneBookEditor(const TPhoneBookEntry& entry, QWidget* parent = nullptr);

    TPhoneBookEntry entry() const;
    void setHelp(std::function<void()> open) { help_ = std::move(open); }

    QLineEdit* nameBox() const { return name_; }
    QLineEdit* phoneBox() const { return phone_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return helpButton_; }

    // Runs the editor modally on `entry`; true and the entry changed on Accept.
    static bool edit(QWidget* parent, TPhoneBookEntry& entry, std::function<void()> help = {});

private:
    QLineEdit* name_;
    QLineEdit* phone_;
    QPushButton* accept_;
    QPushButton* cancel_;
    QPushButton* helpButton_;
    std::function<void()> help_;
};

}  // namespace px
