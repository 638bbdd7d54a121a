#include "ui/help/quick_start_form.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace px {

TQuickStartForm::TQuickStartForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TQuickStartForm");
    setWindowTitle("Quick Start Instructions");
    auto* layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setSource(QUrl("qrc:/help/quickstart.html"));
    layout->addWidget(browser_, 1);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(ok);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    resize(560, 460);
}

}  // namespace px
