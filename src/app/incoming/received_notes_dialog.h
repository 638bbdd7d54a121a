// "Received Fax Notes": who sent the fax, and the notes kept with it.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace px {

// NOTES of PXREC.DBF.
inline constexpr int kReceivedNotesWidth = 60;

class TReceivedNotesDialog : public QDialog {
    Q_OBJECT

public:
    TReceivedNotesDialog(const QString& from, const QString& notes, QWidget* parent = nullptr);

    QString notes() const;
    QLineEdit* notesBox() const { return notes_; }
    QLabel* fromLine() const { return from_; }
    QPushButton* acceptButton() const { return accept_; }

private:
    QLabel* from_ = nullptr;
    QLineEdit* notes_ = nullptr;
    QPushButton* accept_ = nullptr;
};

}  // namespace px
