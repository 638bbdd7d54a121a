#include "ui/coversender/get_sender_info.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

namespace {

QLineEdit* addBox(QFormLayout* form, const QString& caption, const std::string& value,
                  std::size_t limit, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(static_cast<int>(limit));
    edit->setText(QString::fromStdString(value));
    auto* label = new QLabel(caption, parent);
    label->setBuddy(edit);
    // The accessible name is the caption without its mnemonic.
    edit->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    form->addRow(label, edit);
    return edit;
}

}  // namespace

TGetSenderInfo::TGetSenderInfo(const TSenderInfo& info, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Sender Information"));
    setObjectName(QStringLiteral("GetSenderInfo"));
    const TSenderInfo v = info.limited();
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = addBox(form, QStringLiteral("Your &name"), v.name, TSenderInfo::kNameLength, this);
    company_ =
        addBox(form, QStringLiteral("Your &company"), v.company, TSenderInfo::kCompanyLength, this);
    fax_ = addBox(form, QStringLiteral("Your &fax number (Station ID#)"), v.fax,
                  TSenderInfo::kFaxLength, this);
    voice_ = addBox(form, QStringLiteral("Your &voice number"), v.voice, TSenderInfo::kVoiceLength,
                    this);
    // Room for the longest name at the dialog's font.
    name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * 36);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    accept_ = new QPushButton(QStringLiteral("&Accept"), this);
    accept_->setToolTip(QStringLiteral("Accept changes made and exit"));
    accept_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cance&l"), this);
    cancel_->setToolTip(QStringLiteral("Cancel changes made and exit"));
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

TSenderInfo TGetSenderInfo::values() const {
    return TSenderInfo{name_->text().toStdString(), company_->text().toStdString(),
                       fax_->text().toStdString(), voice_->text().toStdString()}
        .limited();
}

bool changeSenderInfo(QWidget* parent, Settings& settings, const SettingsFile& file) {
    return changeSenderInfo(parent, settings, [&] { file.save(settings); });
}

bool changeSenderInfo(QWidget* parent, Settings& settings, const std::function<void()>& save) {
    TGetSenderInfo dialog(TSenderInfo::fromSettings(settings.user), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    dialog.values().storeIn(settings.user);
    save();
    return true;
}

}  // namespace px
