// The viewer window: one fax from a log, shown page by page, zoomed and
// turned, a page exported, all, some or the current page printed. The caller
// sets the file, a title and a print header text and shows it modally.
#pragma once

#include <QDialog>
#include <QString>
#include <QStyle>
#include <functional>
#include <memory>
#include <string>

#include "fax/print/px_fax_printer.h"
#include "fax/unpack/px_fax_unpacker.h"
#include "settings/settings_file.h"
#include "ui/faxviewer/px_fax_viewer.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"
#include "ui/printstatus/px_fax_printer_status.h"
#include "ui/viewer/viewer_prompts.h"

class QAction;
class QActionGroup;
class QLabel;
class QPushButton;
class QToolBar;
class QMenuBar;

namespace px {

// Zoom levels; the menu shows twice the level.
inline constexpr int kZoomLevels[] = {25, 50, 75, 100};
// The footer the viewer prints.
inline constexpr const char* kViewerFooter = "Page: $P of $N";

enum class TExportFormat { Bmp, Pcx, Dcx, Png, Tiff, Pdf };

class TFaxViewer : public QDialog {
    Q_OBJECT

public:
    // `settingsPath` is PX.INI: print choices and window placement. Without
    // `prompts` the real dialogs are used.
    TFaxViewer(const std::string& settingsPath, QWidget* parent = nullptr,
               TViewerPrompts* prompts = nullptr);
    ~TFaxViewer() override;

    void setFileName(const QString& name) { fileName_ = name; }
    const QString& fileName() const { return fileName_; }
    // Print job caption and status line prefix.
    void setTitle(const QString& title) { title_ = title; }
    const QString& title() const { return title_; }
    // The header printed when the user asks for one.
    void setPrintHeader(const QString& text) { printHeader_ = text; }
    const QString& printHeader() const { return printHeader_; }

    // Runs once, soon after the window is first shown.
    void FormActivate();
    // Whether the first activation has run.
    bool ready() const { return ready_; }

    // Commands.
    void ZoomInClick();
    void ZoomOutClick();
    void setZoom(int level);
    int zoom() const { return zoom_; }
    void setRotation(unsigned rotation);
    void PrinterSetupClick();
    void PrintClick();
    void PrintCurrentPageClick();
    void exportPage(TExportFormat format);
    void HelpClick();

    TPxFaxViewer* faxViewer() const { return viewer_; }
    TPxFaxPrinter& faxPrinter() { return printer_; }
    TPxFaxPrinterStatus& printerStatus() { return printerStatus_; }
    TPxFaxUnpacker& unpacker() { return unpacker_; }
    THelpCenter& helpCenter() { return help_; }
    QLabel* statusLine() const { return status_; }
    QAction* action(const char* objectName) const;
    QPushButton* closeButton() const { return closeButton_; }
    // Print choices as the last dialog left them.
    bool multiPageChoice() const { return choices_.multiPage; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QAction* addCommand(QToolBar* bar, const char* name, const QString& hint,
                        QStyle::StandardPixmap icon, std::function<void()> run,
                        void (TPxCustomFaxViewer::*page)() = nullptr);
    void buildMenus(QMenuBar* menus);
    void FaxViewerPageChange();
    void FaxViewerViewerError(ErrorCode code);
    void FaxViewerDropFile(const QString& name);
    void openFile();
    void showPageStatus();
    void showPageButtons();
    void checkZoomItem();
    bool preparePrinter();
    void runPrePrint(bool currentPageOnly);
    bool choosePdfWhenNoPrinter();
    void loadChoices();
    void saveChoices();
    void loadPlacement();
    void savePlacement();

    SettingsFile settings_;
    std::unique_ptr<TViewerDialogs> ownPrompts_;
    TViewerPrompts& prompts_;
    TPxFaxViewer* viewer_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QActionGroup* zoomGroup_ = nullptr;
    QActionGroup* rotationGroup_ = nullptr;
    TPxFaxPrinter printer_;
    TPxFaxPrinterStatus printerStatus_;
    // The printer's set-up goes through the prompts.
    class SetupPrompt : public TPxPrintSetupPrompt {
    public:
        explicit SetupPrompt(TFaxViewer& owner) : owner_(owner) {}
        bool execute(QPrinter& printer, unsigned pageCount, unsigned& first,
                     unsigned& last) override {
            return owner_.prompts_.printSetup(&owner_, printer, pageCount, first, last);
        }

    private:
        TFaxViewer& owner_;
    };
    SetupPrompt setupPrompt_{*this};
    TPxFaxUnpacker unpacker_;
    THelpCenter help_;
    QString fileName_;
    QString title_;
    QString printHeader_;
    int zoom_ = 100;
    bool rangeInitialised_ = false;
    bool activated_ = false;
    bool ready_ = false;
    PrintingOptions choices_;
};

}  // namespace px
