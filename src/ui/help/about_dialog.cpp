#include "ui/help/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/px_settings.h"

namespace px {

TAboutDialog::TAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TAboutDialog");
    setWindowTitle("About Parvex");
    text_ = QStringLiteral(
                "<h2>Parvex</h2><p>Version %1</p>"
                "<p>Desktop fax for one PC with a fax modem:<br>"
                "Class 1, Class 2 and Class 2.0 modems, fax logs, cover sheets, "
                "viewing and printing.</p>")
                .arg(QString::fromLatin1(kProgramVersion));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(text_, this);
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(ok);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

QString TAboutDialog::text() const {
    return text_;
}

}  // namespace px
