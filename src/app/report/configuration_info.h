// The "Configuration Information" window: the report, read-only and scrolled
// to its first line, with Copy to Clipboard, Save As... and OK.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace px {

class TConfigurationInfo : public QDialog {
    Q_OBJECT

public:
    // Shows a message with its caption.
    using Messenger = std::function<void(const QString& caption, const QString& text)>;
    // Asks for the file to save as, starting at the given path; "" = cancelled.
    using FileChooser = std::function<QString(const QString& suggested)>;

    TConfigurationInfo(const std::vector<std::string>& lines, const QString& programFolder,
                       QWidget* parent = nullptr);

    void setMessenger(Messenger messenger) { messenger_ = std::move(messenger); }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    QString reportText() const;
    QPlainTextEdit* reportView() const { return report_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* okButton() const { return ok_; }

    void CopyButtonClick();
    void SaveButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tell(const QString& text);
    QString chooseFile();

    QString text_;
    QString programFolder_;
    QPlainTextEdit* report_;
    QPushButton* copy_;
    QPushButton* save_;
    QPushButton* ok_;
    Messenger messenger_;
    FileChooser chooser_;
};

}  // namespace px
