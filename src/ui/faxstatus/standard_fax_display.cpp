#include "ui/faxstatus/standard_fax_display.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// Names of the value fields, in the order UpdateValues fills them.
constexpr const char* kFieldNames[] = {
    "phoneNumber", "faxFile",          "coverFile", "totalPages",   "dialAttempt", "remoteId",
    "connectBps",  "resolution",       "width",     "errorControl", "currentPage", "elapsedTime",
    "pageLength",  "bytesTransferred", "statusText"};

}  // namespace

TStandardFaxDisplay::TStandardFaxDisplay(QWidget* parent) : QDialog(parent) {
    setObjectName("StandardFaxDisplay");
    setWindowTitle("Fax Status");
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    addRow(grid, 0, 0, "Phone number:", "phoneNumber");
    addRow(grid, 1, 0, "Fax file:", "faxFile");
    addRow(grid, 2, 0, "Cover file:", "coverFile");
    addRow(grid, 3, 0, "Total pages:", "totalPages");
    addRow(grid, 4, 0, "Dial attempt:", "dialAttempt");
    addRow(grid, 0, 2, "Remote ID:", "remoteId");
    addRow(grid, 1, 2, "Connect BPS:", "connectBps");
    addRow(grid, 2, 2, "Resolution:", "resolution");
    addRow(grid, 3, 2, "Width:", "width");
    addRow(grid, 4, 2, "Error control:", "errorControl");
    addRow(grid, 5, 0, "Current page:", "currentPage");
    addRow(grid, 5, 2, "Elapsed time:", "elapsedTime");
    addRow(grid, 6, 0, "Page length:", "pageLength");
    addRow(grid, 6, 2, "Bytes transferred:", "bytesTransferred");

    addRow(grid, 7, 0, "Status:", "statusText", 3)->setWordWrap(true);

    pageProgressLabel_ = new QLabel("Page progress:");
    pageProgressLabel_->setObjectName("pageProgressLabel");
    pageMeter_ = new QProgressBar;
    pageMeter_->setAccessibleName("Page progress");
    pageMeter_->setObjectName("pageMeter");
    pageMeter_->setRange(0, 100);
    pageMeter_->setValue(0);
    grid->addWidget(pageProgressLabel_, 8, 0);
    grid->addWidget(pageMeter_, 8, 1, 1, 3);

    auto* buttons = new QDialogButtonBox;
    buttons->setCenterButtons(true);
    cancelButton_ = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancelButton_->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &TStandardFaxDisplay::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setCtl3D(true);
}

QLabel* TStandardFaxDisplay::addRow(QGridLayout* grid, int row, int column, const QString& caption,
                                    const char* name, int span) {
    auto* label = new QLabel(caption);
    auto* value = new QLabel;
    value->setObjectName(name);
    // Room for a station ID in capitals (up to 20 characters).
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QString(18, QChar('N'))));
    // Values such as the remote station ID come from outside: shown as they
    // are, never as markup.
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setBuddy(value);
    grid->addWidget(label, row, column);
    grid->addWidget(value, row, column + 1, 1, span);
    return value;
}

QLabel* TStandardFaxDisplay::field(const char* name) const {
    return findChild<QLabel*>(name);
}

void TStandardFaxDisplay::setCtl3D(bool on) {
    for (const char* name : kFieldNames) {
        if (QLabel* value = field(name)) {
            value->setFrameStyle(on ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        }
    }
}

void TStandardFaxDisplay::UpdateValues(const TFaxStatusValues& v) {
    const std::string* texts[] = {&v.phoneNumber,  &v.faxFile,          &v.coverFile,
                                  &v.totalPages,   &v.dialAttempt,      &v.remoteId,
                                  &v.connectBps,   &v.resolution,       &v.width,
                                  &v.errorControl, &v.currentPage,      &v.elapsedTime,
                                  &v.pageLength,   &v.bytesTransferred, &v.statusText};
    static_assert(std::size(texts) == std::size(kFieldNames));
    for (size_t i = 0; i < std::size(kFieldNames); ++i) {
        field(kFieldNames[i])->setText(fromStd(*texts[i]));
    }
    if (v.receiving) {
        pageProgressLabel_->setText("Page progress: N/A");
        pageMeter_->hide();
    } else {
        pageProgressLabel_->setText("Page progress:");
        pageMeter_->setValue(v.pageProgress);
        pageMeter_->show();
    }
}

void TStandardFaxDisplay::reject() {
    // The dialog stays until the session's last report closes it.
    if (onCancel_) {
        onCancel_();
    }
}

}  // namespace px
