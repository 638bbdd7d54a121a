#include "ui/coverdesign/save_template_as.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "cover/io/cover_text_files.h"
#include "ui/coverdesign/template_files.h"

namespace px {

TSaveTemplateAs::TSaveTemplateAs(const QString& folder, const QString& name,
                                 const QString& description, QWidget* parent)
    : QDialog(parent),
      folder_(folder),
      list_(new QListWidget(this)),
      name_(new QLineEdit(name, this)),
      description_(new QLineEdit(description, this)),
      ok_(new QPushButton(QStringLiteral("Ok "), this)) {
    setObjectName(QStringLiteral("TSaveTemplateAs"));
    setWindowTitle(QStringLiteral("Save fax cover template as"));

    auto* listLabel = new QLabel(QStringLiteral("Existing templates"), this);
    listLabel->setBuddy(list_);
    list_->setObjectName(QStringLiteral("ExistingTemplates"));
    list_->setAccessibleName(QStringLiteral("Existing templates"));
    const QStringList lists =
        QDir(folder).entryList({QStringLiteral("*.fct"), QStringLiteral("*.FCT")}, QDir::Files,
                               QDir::Name | QDir::IgnoreCase);
    QStringList unique;
    for (const QString& f : lists) {
        if (!unique.contains(f, Qt::CaseInsensitive)) {
            unique << f;
        }
    }
    list_->addItems(unique);

    auto* nameLabel = new QLabel(QStringLiteral("File name"), this);
    nameLabel->setBuddy(name_);
    name_->setObjectName(QStringLiteral("NameEdit"));
    name_->setAccessibleName(QStringLiteral("File name"));
    auto* descriptionLabel = new QLabel(QStringLiteral("Description"), this);
    descriptionLabel->setBuddy(description_);
    description_->setObjectName(QStringLiteral("DescriptionEdit"));
    description_->setAccessibleName(QStringLiteral("Description"));
    auto* rule = new QLabel(QString::fromLatin1(kNameRule), this);
    rule->setObjectName(QStringLiteral("NameRule"));
    rule->setWordWrap(true);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(name_, &QLineEdit::textChanged, this, &TSaveTemplateAs::updateOk);
    connect(description_, &QLineEdit::textChanged, this, &TSaveTemplateAs::updateOk);
    connect(list_, &QListWidget::currentRowChanged, this, &TSaveTemplateAs::templatePicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(listLabel, 0, 0);
    layout->addWidget(list_, 1, 0, 5, 1);
    layout->addWidget(nameLabel, 0, 1);
    layout->addWidget(name_, 1, 1);
    layout->addWidget(descriptionLabel, 2, 1);
    layout->addWidget(description_, 3, 1);
    layout->addWidget(rule, 4, 1);
    layout->addLayout(buttons, 6, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    resize(520, 260);
    updateOk();
}

QString TSaveTemplateAs::name() const {
    return name_->text();
}

QString TSaveTemplateAs::description() const {
    return description_->text();
}

void TSaveTemplateAs::updateOk() {
    ok_->setEnabled(isValidTemplateName(name_->text()) && !description_->text().isEmpty());
}

void TSaveTemplateAs::templatePicked() {
    const QListWidgetItem* item = list_->currentItem();
    if (item == nullptr) {
        return;
    }
    const QString path = QDir(folder_).filePath(item->text());
    name_->setText(QFileInfo(path).completeBaseName() + QStringLiteral(".FCS"));
    description_->setText(readDescription(companionFile(path, QStringLiteral(".DES"))));
}

}  // namespace px
