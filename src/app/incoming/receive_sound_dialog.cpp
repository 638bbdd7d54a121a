#include "app/incoming/receive_sound_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/incoming/receive_sound.h"

namespace px {

TReceiveSoundDialog::TReceiveSoundDialog(const QString& path, TReceiveSound& sound, QWidget* parent)
    : QDialog(parent), sound_(sound) {
    setObjectName("TReceiveSoundDialog");
    setWindowTitle("Receive Sound");
    setModal(true);

    auto* intro =
        new QLabel("Played when a fax has been received (a WAV file; empty for no sound).", this);
    intro->setWordWrap(true);
    path_ = new QLineEdit(path, this);
    path_->setObjectName("soundFile");
    path_->setAccessibleName("Sound file");
    path_->setMinimumWidth(path_->fontMetrics().averageCharWidth() * 50);
    auto* label = new QLabel("&Sound file", this);
    label->setBuddy(path_);
    browse_ = new QPushButton("&Browse...", this);
    browse_->setObjectName("browseButton");
    try_ = new QPushButton("&Try", this);
    try_->setObjectName("tryButton");
    none_ = new QPushButton("&No Sound", this);
    none_->setObjectName("noSoundButton");

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(path_, 1);
    row->addWidget(browse_);
    auto* actions = new QHBoxLayout;
    actions->addWidget(try_);
    actions->addWidget(none_);
    actions->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(row);
    layout->addLayout(actions);
    layout->addWidget(buttons);

    connect(browse_, &QPushButton::clicked, this, &TReceiveSoundDialog::browse);
    connect(try_, &QPushButton::clicked, this, [this] { sound_.play(this->path()); });
    connect(none_, &QPushButton::clicked, path_, &QLineEdit::clear);
    connect(path_, &QLineEdit::textChanged, this, &TReceiveSoundDialog::updateButtons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateButtons();
}

QString TReceiveSoundDialog::path() const {
    return path_->text().trimmed();
}

void TReceiveSoundDialog::browse() {
    const QString chosen = QFileDialog::getOpenFileName(this, "Choose the Receive Sound",
                                                        QFileInfo(path()).absolutePath(),
                                                        "Sound files (*.wav *.WAV);;All files (*)");
    if (!chosen.isEmpty()) {
        path_->setText(chosen);
    }
}

void TReceiveSoundDialog::updateButtons() {
    try_->setEnabled(QFileInfo(path()).isFile());
    none_->setEnabled(!path().isEmpty());
}

}  // namespace px
