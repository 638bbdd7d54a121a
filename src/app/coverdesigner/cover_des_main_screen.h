// TCoverDesMainScreen: the cover sheet template designer. A tool bar with the
// drawing tools, grid and zoom, the cover page in a scrolling area, the File
// menu with template management and recent files, and a row of buttons.
#pragma once

#include <QMainWindow>
#include <memory>

#include "app/coverdesigner/designer_dialogs.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "ui/coverdesign/fax_cover_panel.h"

class QAction;
class QButtonGroup;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace px {

class THelpCenter;
class TMRUFileList;
class TUserPrompts;

inline constexpr const char* kDesignerCaption = "Cover Sheet Template Designer";

class TCoverDesMainScreen : public QMainWindow {
    Q_OBJECT

public:
    static constexpr float kZoomStep = 0.1F;
    static constexpr float kZoomLowest = 0.5F;
    static constexpr float kZoomHighest = 1.5F;

    TCoverDesMainScreen(const ProgramFolder& folder, TUserPrompts& prompts,
                        THelpCenter* help = nullptr, QWidget* parent = nullptr);
    ~TCoverDesMainScreen() override;

    // --- Seams for tests.
    void setDialogs(TDesignerDialogs* dialogs) { dialogs_ = dialogs; }

    TFaxCoverPanel& page() const { return *page_; }
    QScrollArea* scrollArea() const { return scroll_; }
    TMRUFileList& recentFiles() const { return *mru_; }
    const QString& currentPath() const { return currentPath_; }
    const QString& description() const { return description_; }
    bool changesMade() const { return changesMade_; }
    QString coversFolder() const;

    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QAction* saveAction() const { return saveAction_; }
    QAction* defaultFontAction() const { return defaultFontAction_; }
    QLabel* zoomCaption() const { return zoomCaption_; }
    QToolButton* toolButton(TLPanelState state) const;

    // --- Commands.
    void NewClick();
    void OpenClick();
    void DeleteClick();
    void SaveClick();
    void SaveAsClick();
    void PreviewClick();
    void DefaultFontClick();
    void CancelClick();
    void ExitClick();
    void ZoomIn();
    void ZoomOut();
    void QuickTipsClick();
    void HelpClick();

    // Opens a design file as the current template.
    void OpenLabelFile(const QString& path);
    // Saves the page as template `path` (with its render list, preview and description).
    bool SaveLabelFile(const QString& path, const QString& description);
    // Offers to save unsaved changes.
    void CheckSaveNeeded();
    void MRUItemClick(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void buildMenu();
    QWidget* buildButtons();
    void FormActivate();
    void LoadPreferences();
    void SavePreferences();
    void SetDefaultFontCaption();
    void saveRecentFiles();
    void LabelPanelChangeEvent();
    void LabelPanelDroppedObjectEvent();
    void SetChangesMade(bool flag);
    void SetButtons();
    void stepZoom(float step);
    bool designerKey(QKeyEvent* event, bool release);

    ProgramFolder folder_;
    SettingsFile settingsFile_;
    TUserPrompts& prompts_;
    THelpCenter* help_;
    std::unique_ptr<TDesignerDialogBoxes> ownDialogs_;
    TDesignerDialogs* dialogs_;

    TFaxCoverPanel* page_;
    QScrollArea* scroll_;
    TMRUFileList* mru_;
    QButtonGroup* tools_;
    QLabel* zoomCaption_;
    QPushButton* saveButton_;
    QPushButton* cancelButton_;
    QAction* saveAction_;
    QAction* defaultFontAction_;

    QString currentPath_;
    QString description_;
    bool changesMade_ = false;
    bool busy_ = true;
    bool activated_ = false;
    bool closeAsked_ = false;
};

}  // namespace px
