// TGetLabelText: "Text", the dialog that edits a text object's words.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace px {

class TGetLabelText : public QDialog {
    Q_OBJECT

public:
    explicit TGetLabelText(const QString& caption, QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* edit() const { return edit_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* helpButton() const { return help_; }
    void setOnHelp(std::function<void()> help) { onHelp_ = std::move(help); }

private:
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* help_;
    std::function<void()> onHelp_;
};

}  // namespace px
