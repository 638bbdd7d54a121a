// The fax status display with the standard dialog: link it to a fax (Fax or
// the fax's StatusDisplay) and the dialog comes and goes with each session.
#pragma once

#include <QPointer>
#include <QString>

#include "fax/components/px_abstract_fax_status.h"
#include "ui/faxstatus/standard_fax_display.h"

class QWidget;

namespace px {

// Where the dialog appears.
enum class TPosition {
    poDesigned,         // where the window system puts it
    poScreenCenter,     // centred on the screen
    poOwnerFormCenter,  // centred on the owner window
};

class TPxFaxStatus : public TPxAbstractFaxStatus {
public:
    // `owner` parents the dialog, so that it stays usable above a modal owner.
    explicit TPxFaxStatus(QWidget* owner = nullptr, TPxClock& clock = TPxSystemClock::instance());
    ~TPxFaxStatus() override;

    TPosition Position = TPosition::poScreenCenter;
    QString Caption = "Fax Status";

    bool Ctl3D() const { return ctl3D_; }
    void setCtl3D(bool on);
    // Off: the dialog is made but kept hidden; on again shows an open one.
    bool Visible() const { return visible_; }
    void setVisible(bool on);

    // The dialog while a session runs, else nullptr.
    TStandardFaxDisplay* Display() const { return display_; }

protected:
    void openDisplay() override;
    void refreshDisplay(const TFaxStatusValues& values) override;
    void closeDisplay() override;

private:
    void place();

    QWidget* owner_;
    QPointer<TStandardFaxDisplay> display_;
    bool ctl3D_ = true;
    bool visible_ = true;
    bool shown_ = false;
};

}  // namespace px
