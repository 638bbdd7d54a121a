#include "app/incoming/received_notes_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/phonebook/field_width_validator.h"

namespace px {

TReceivedNotesDialog::TReceivedNotesDialog(const QString& from, const QString& notes,
                                           QWidget* parent)
    : QDialog(parent) {
    setObjectName("TReceivedNotesDialog");
    setWindowTitle("Received Fax Notes");
    setModal(true);

    // The sender's ID is whatever the far station sent: shown, never interpreted.
    from_ = new QLabel("From: " + from, this);
    from_->setObjectName("fromLine");
    from_->setTextFormat(Qt::PlainText);
    notes_ = new QLineEdit(notes.left(kReceivedNotesWidth), this);
    notes_->setObjectName("notesBox");
    notes_->setMaxLength(kReceivedNotesWidth);
    notes_->setValidator(new TFieldWidthValidator(kReceivedNotesWidth, notes_));
    notes_->setMinimumWidth(notes_->fontMetrics().averageCharWidth() * (kReceivedNotesWidth + 4));
    notes_->setAccessibleName("Notes");
    auto* notesLabel = new QLabel("&Notes", this);
    notesLabel->setBuddy(notes_);

    auto* buttons = new QDialogButtonBox(this);
    accept_ = buttons->addButton("&Accept", QDialogButtonBox::AcceptRole);
    accept_->setObjectName("acceptButton");
    accept_->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(notesLabel, notes_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(from_);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString TReceivedNotesDialog::notes() const {
    return notes_->text();
}

}  // namespace px
