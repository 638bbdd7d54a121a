// "Receive Sound": the sound file played when a fax has come in, chosen from
// the disk and tried before it is kept.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace px {

class TReceiveSound;

class TReceiveSoundDialog : public QDialog {
    Q_OBJECT

public:
    // `sound` plays the file on Try; not owned.
    TReceiveSoundDialog(const QString& path, TReceiveSound& sound, QWidget* parent = nullptr);

    QString path() const;
    QLineEdit* pathBox() const { return path_; }
    QPushButton* tryButton() const { return try_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* noSoundButton() const { return none_; }

private:
    void browse();
    void updateButtons();

    TReceiveSound& sound_;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* try_ = nullptr;
    QPushButton* none_ = nullptr;
};

}  // namespace px
