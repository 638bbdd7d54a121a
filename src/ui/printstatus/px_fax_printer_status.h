// The printer's status display with the standard window: attach it to a
// printer (setStatusDisplay) and the window comes and goes with each job.
#pragma once

#include <QPointer>

#include "fax/print/px_abstract_fax_printer_status.h"
#include "ui/printstatus/standard_fax_printer_status_display.h"

class QWidget;

namespace px {

class TPxFaxPrinterStatus : public TPxAbstractFaxPrinterStatus {
public:
    // `owner` parents the window, so that it stays usable above a modal owner.
    explicit TPxFaxPrinterStatus(QWidget* owner = nullptr);
    ~TPxFaxPrinterStatus() override;

    // The window while a job runs, else nullptr.
    TStandardFaxPrinterStatusDisplay* display() const { return display_; }

protected:
    void openDisplay(const TFaxPrinterStatusValues& values) override;
    void refreshDisplay(const TFaxPrinterStatusValues& values) override;
    void closeDisplay() override;
    void applyProperties() override;

private:
    void place();

    QWidget* owner_;
    QPointer<TStandardFaxPrinterStatusDisplay> display_;
};

}  // namespace px
