#include "ui/coverdesign/preview_covers.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

#include "cover/io/cover_text_files.h"
#include "ui/coverdesign/template_files.h"

namespace px {

namespace {
constexpr int kPictureWidth = 204;
constexpr int kPictureHeight = 264;
}  // namespace

TPreviewCovers::TPreviewCovers(const QString& folder, const QString& caption, bool previewOnly,
                               QWidget* parent, const QString& extension)
    : QDialog(parent),
      folder_(folder),
      list_(new QListWidget(this)),
      picture_(new QLabel(this)),
      description_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("Ok"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("TPreviewCovers"));
    setWindowTitle(caption);
    inform_ = [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("Information"), text);
    };
    beep_ = [] { QApplication::beep(); };

    auto* listLabel = new QLabel(QStringLiteral("Fax Cover Templates"), this);
    listLabel->setBuddy(list_);
    list_->setObjectName(QStringLiteral("TemplateList"));
    list_->setAccessibleName(QStringLiteral("Fax Cover Templates"));
    // Without QDir::CaseSensitive the name filter ignores letter case.
    const QStringList files = QDir(folder).entryList({QLatin1Char('*') + extension}, QDir::Files,
                                                     QDir::Name | QDir::IgnoreCase);
    QStringList unique;
    for (const QString& f : files) {
        if (!unique.contains(f, Qt::CaseInsensitive)) {
            unique << f;
        }
    }
    list_->addItems(unique);
    picture_->setObjectName(QStringLiteral("TemplatePicture"));
    picture_->setAccessibleName(QStringLiteral("Template picture"));
    picture_->setFixedSize(kPictureWidth, kPictureHeight);
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setStyleSheet(QStringLiteral("background: white"));
    description_->setObjectName(QStringLiteral("TemplateDescription"));
    description_->setAccessibleName(QStringLiteral("Description"));
    description_->setWordWrap(true);

    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &TPreviewCovers::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::currentRowChanged, this, &TPreviewCovers::selectionChanged);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (previewOnly) {
        ok_->hide();
    } else {
        buttons->addWidget(ok_);
    }
    buttons->addWidget(cancel_);
    auto* layout = new QGridLayout(this);
    layout->addWidget(listLabel, 0, 0);
    layout->addWidget(list_, 1, 0);
    layout->addWidget(picture_, 0, 1, 2, 1);
    layout->addWidget(description_, 2, 0, 1, 2);
    layout->addLayout(buttons, 3, 0, 1, 2);
}

QString TPreviewCovers::chosenPath() const {
    const QString name = chosenName();
    return name.isEmpty() ? QString() : QDir(folder_).filePath(name);
}

QString TPreviewCovers::chosenName() const {
    const QListWidgetItem* item = list_->currentItem();
    return item == nullptr ? QString() : item->text();
}

void TPreviewCovers::selectRemembered() {
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->text().compare(remembered_, Qt::CaseInsensitive) == 0) {
            list_->setCurrentRow(i);
            return;
        }
    }
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
    }
}

void TPreviewCovers::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    selectRemembered();
}

void TPreviewCovers::selectionChanged() {
    const QString path = chosenPath();
    if (path.isEmpty()) {
        return;
    }
    const QString bmp = companionFile(path, QStringLiteral(".bmp"));
    QPixmap pixmap;
    if (!QFileInfo::exists(bmp) || !pixmap.load(bmp)) {
        picture_->setPixmap(QPixmap());
        inform_(QString::fromLatin1(kNoImage));
    } else {
        picture_->setPixmap(pixmap.scaled(picture_->size() - QSize(2, 2), Qt::KeepAspectRatio,
                                          Qt::SmoothTransformation));
    }
    remembered_ = QFileInfo(path).fileName();
    const QString des = companionFile(path, QStringLiteral(".DES"));
    if (QFileInfo::exists(des)) {
        description_->setText(readDescription(des));
    }
}

void TPreviewCovers::okClicked() {
    if (list_->currentItem() == nullptr) {
        beep_();
        return;
    }
    accept();
}

}  // namespace px
