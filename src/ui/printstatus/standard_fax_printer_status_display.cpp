#include "ui/printstatus/standard_fax_printer_status_display.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

namespace {

// Names of the value fields, in the order updateValues fills them.
constexpr const char* kFieldNames[] = {"fileName",  "totalPages", "resolution", "width",
                                       "firstPage", "lastPage",   "statusLine"};

}  // namespace

TStandardFaxPrinterStatusDisplay::TStandardFaxPrinterStatusDisplay(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("StandardFaxPrinterStatusDisplay");
    setWindowTitle("Print Status");
    // While a job runs nothing else may start one or close the fax under it.
    setWindowModality(Qt::ApplicationModal);

    auto* info = new QGroupBox("Fax Information");
    info->setObjectName("faxInformation");
    auto* infoGrid = new QGridLayout(info);
    infoGrid->setHorizontalSpacing(12);
    addRow(infoGrid, 0, "Filename:", "fileName");
    addRow(infoGrid, 1, "Total Pages:", "totalPages");
    addRow(infoGrid, 2, "Resolution:", "resolution");
    addRow(infoGrid, 3, "Width:", "width");
    addRow(infoGrid, 4, "First Page to Print:", "firstPage");
    addRow(infoGrid, 5, "Last Page to Print:", "lastPage");

    auto* status = new QGroupBox("Status");
    status->setObjectName("status");
    auto* statusLayout = new QVBoxLayout(status);
    auto* statusLine = new QLabel;
    statusLine->setObjectName("statusLine");
    statusLine->setAccessibleName("Status");
    statusLine->setAlignment(Qt::AlignCenter);
    // Room for the longest line, "Submitting 9999 of 9999".
    statusLine->setMinimumWidth(
        statusLine->fontMetrics().horizontalAdvance("Submitting 9999 of 9999") + 24);
    statusLayout->addWidget(statusLine);

    auto* buttons = new QDialogButtonBox;
    buttons->setCenterButtons(true);
    abortButton_ = buttons->addButton("Abort", QDialogButtonBox::RejectRole);
    abortButton_->setObjectName("abortButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &TStandardFaxPrinterStatusDisplay::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(status);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setCtl3D(true);
}

QLabel* TStandardFaxPrinterStatusDisplay::addRow(QGridLayout* grid, int row, const QString& caption,
                                                 const char* name) {
    auto* label = new QLabel(caption);
    auto* value = new QLabel;
    value->setObjectName(name);
    // Room for an 8.3 file name in capitals and then some.
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QString(14, QChar('N'))));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setBuddy(value);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

QLabel* TStandardFaxPrinterStatusDisplay::field(const char* name) const {
    return findChild<QLabel*>(name);
}

void TStandardFaxPrinterStatusDisplay::setCtl3D(bool on) {
    for (const char* name : kFieldNames) {
        if (QLabel* value = field(name)) {
            value->setFrameStyle(on ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        }
    }
}

void TStandardFaxPrinterStatusDisplay::updateValues(const TFaxPrinterStatusValues& v) {
    const QString* texts[] = {&v.fileName,  &v.totalPages, &v.resolution, &v.width,
                              &v.firstPage, &v.lastPage,   &v.statusLine};
    static_assert(std::size(texts) == std::size(kFieldNames));
    for (size_t i = 0; i < std::size(kFieldNames); ++i) {
        field(kFieldNames[i])->setText(*texts[i]);
    }
}

void TStandardFaxPrinterStatusDisplay::reject() {
    // The window stays until the printer hides it.
    if (onAbort_) {
        onAbort_();
    }
}

}  // namespace px
