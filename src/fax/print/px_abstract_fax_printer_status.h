// The status display a fax printer reports to while it prints: shown when a
// job starts, refreshed on every progress change, hidden at the end. The
// windows that show it live above this layer, so a printer without a display
// prints without any window.
#pragma once

#include <QString>

namespace px {

class TPxCustomFaxPrinter;

// Where the status window appears.
enum class TStatusPosition {
    poDesigned,         // where the window system puts it
    poScreenCenter,     // centred on the screen
    poOwnerFormCenter,  // centred on the owner window
};

// One refresh of the status window, as texts.
struct TFaxPrinterStatusValues {
    QString fileName;  // without folder, in capitals
    QString totalPages;
    QString resolution;  // "standard" or "high"
    QString width;       // "1728" or "2048"
    QString firstPage;
    QString lastPage;
    QString statusLine;  // "Rendering 2 of 5"
};

class TPxAbstractFaxPrinterStatus {
public:
    TPxAbstractFaxPrinterStatus() = default;
    virtual ~TPxAbstractFaxPrinterStatus();
    TPxAbstractFaxPrinterStatus(const TPxAbstractFaxPrinterStatus&) = delete;
    TPxAbstractFaxPrinterStatus& operator=(const TPxAbstractFaxPrinterStatus&) = delete;

    // The printer this display serves; linking one side links the other
    // (the printer's StatusDisplay).
    TPxCustomFaxPrinter* faxPrinter() const { return printer_; }
    void setFaxPrinter(TPxCustomFaxPrinter* printer);

    // Each property is passed on to the window when it exists.
    TStatusPosition position() const { return position_; }
    void setPosition(TStatusPosition position);
    bool ctl3D() const { return ctl3D_; }
    void setCtl3D(bool on);
    bool visible() const { return visible_; }
    void setVisible(bool on);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Called by the printer.
    void showStatus(const TFaxPrinterStatusValues& values);
    void updateStatus(const TFaxPrinterStatusValues& values);
    void hideStatus();
    // Whether the window is on screen.
    bool isShowing() const { return showing_; }

protected:
    // The window's Abort button: aborts the printer's job.
    void abortRequested();

    // Creates (or reuses) and shows the window.
    virtual void openDisplay(const TFaxPrinterStatusValues& values) = 0;
    virtual void refreshDisplay(const TFaxPrinterStatusValues& values) = 0;
    virtual void closeDisplay() = 0;
    // The properties changed; a window that exists takes them over.
    virtual void applyProperties() {}

private:
    TPxCustomFaxPrinter* printer_ = nullptr;
    TStatusPosition position_ = TStatusPosition::poScreenCenter;
    bool ctl3D_ = true;
    bool visible_ = true;
    QString caption_ = "Print Status";
    bool showing_ = false;
};

}  // namespace px
