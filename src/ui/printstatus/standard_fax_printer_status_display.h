// The "Print Status" window: the fax being printed, the job's progress line
// and an Abort button.
#pragma once

#include <QDialog>
#include <functional>

#include "fax/print/px_abstract_fax_printer_status.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;

namespace px {

class TStandardFaxPrinterStatusDisplay : public QDialog {
    Q_OBJECT
public:
    explicit TStandardFaxPrinterStatusDisplay(QWidget* parent = nullptr);

    void updateValues(const TFaxPrinterStatusValues& values);
    // Called by Abort (and by Escape, which must not leave a job running
    // unseen).
    void setAbortHandler(std::function<void()> handler) { onAbort_ = std::move(handler); }
    // Sunken value fields (the 3D look) or flat ones.
    void setCtl3D(bool on);

    // The value field of a row, by its object name ("fileName", "totalPages",
    // "resolution", "width", "firstPage", "lastPage", "statusLine").
    QLabel* field(const char* name) const;
    QPushButton* abortButton() const { return abortButton_; }

public slots:
    void reject() override;

private:
    QLabel* addRow(QGridLayout* grid, int row, const QString& caption, const char* name);

    std::function<void()> onAbort_;
    QPushButton* abortButton_ = nullptr;
};

}  // namespace px
