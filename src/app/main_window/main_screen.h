// The main window: the outgoing and incoming fax logs on a two-page notebook,
// the button bar and menus with every command, the status panel, and the
// program's start-up, activation and close sequences. It owns the long-lived
// state: both log tables, the settings record, the archive filter and the
// mode flags.
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/host/workflow_host.h"
#include "app/main_window/command_rules.h"
#include "app/main_window/incoming_log_model.h"
#include "app/main_window/outgoing_log_model.h"
#include "app/tables/archive_filter.h"
#include "app/tables/grid_layout.h"
#include "app/tables/log_table.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"
#include "settings/settings_file.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolButton;

namespace px {

class TStatusPanel;
class TUserPrompts;
class THelpCenter;

enum class TCommand {
    NewCoverSheet,
    NewFaxFromFile,
    AddCoverSheet,
    Edit,
    Clone,
    Delete,
    Archive,
    ForwardReceivedFax,
    ShowArchivedFaxes,
    FaxLogCleanup,
    SendFax,
    ReceiveFax,
    ViewPrintFax,
    PhoneBook,
    CoverDesigner,
    RebuildIndexes,
    Preferences,
    Exit,
    Sort,
    HelpContents,
    HelpFaq,
    HelpTechnicalSupport,
    ConfigurationInformation,
    ShowHints,
    QuickStart,
    About,
    ProblemSolver,
    VisitWebsite,
    Count
};

// Sort menu entries of each page, in menu order.
enum class TOutgoingSort { DateSent, Subject, Recipient };
enum class TIncomingSort { DateReceived, From };

inline constexpr const char* kReindexQuestion =
    "Parvex's files need to be reindexed.\rDo this now?";
inline constexpr const char* kClosingWhileReceiving = "You are recieving a fax. Close the program?";
inline constexpr const char* kProductName = "Parvex";
inline constexpr int kHintDelayMs = 1200;
inline constexpr int kHintShowMs = 30000;

class TCleanupWorkflow;
class TConfigurationReport;
class TDesktopReceiving;
struct TReceivedFaxInfo;
class TIncomingWorkflow;
class TOutgoingWorkflow;
class TPreferencesWorkflow;
class TPrintDriverIntake;
class TPxComPort;
class TPxQtEventLoop;
class TPxReceiveFax;

class TMainScreen : public QMainWindow, public TWorkflowHost {
    Q_OBJECT

public:
    TMainScreen(const ProgramFolder& folder, TUserPrompts& prompts, THelpCenter* help = nullptr,
                QWidget* parent = nullptr);
    ~TMainScreen() override;

    // --- What the workflows use (TWorkflowHost).
    QWidget* dialogParent() override { return this; }
    Settings& settings() override { return settings_; }
    void saveSettings() override;
    const ProgramFolder& folder() const override { return folder_; }
    TLogTable& log(TMainPage page) override {
        return page == TMainPage::Outgoing ? *outgoing_ : *incoming_;
    }
    bool hasCurrent(TMainPage page) override;
    void refreshLog(TMainPage page) override { refreshPage(page); }
    void reopenLog(TMainPage page) override;
    TMainPage visiblePage() const override { return page_; }
    void showPage(TMainPage page) override;
    // Re-evaluates the enabled commands and fixes the tables' sort orders.
    void evaluateCommands() override;
    TStatusPanel& statusPanel() override { return *status_; }
    TUserPrompts& prompts() override { return prompts_; }
    bool receiveMode() const override { return receiveMode_; }
    void setReceiveMode(bool on) override;
    bool faxBeingReceived() const override { return faxBeingReceived_; }
    void setFaxBeingReceived(bool on) override { faxBeingReceived_ = on; }
    TPxComPort& comPort() override { return *comPort_; }
    TPxReceiveFax& receiveFax() override { return *receiveFax_; }

    bool firstActivationPending() const { return firstActivationPending_; }
    bool firstRun() const { return firstRun_; }
    // The preference wizard and quick setup; tests show their windows their own way.
    TPreferencesWorkflow& preferencesWorkflow() { return *preferencesWorkflow_; }
    bool logsOpen() const { return logsOpen_; }
    const TArchiveFilter& filter() const { return filter_; }
    int lastSendError() const { return lastSendError_; }
    int lastReceiveError() const;
    int lastPortError() const { return lastPortError_; }

    // The workflows the commands run.
    TOutgoingWorkflow& outgoing() { return *outgoingWorkflow_; }
    TIncomingWorkflow& incoming() { return *incomingWorkflow_; }

    TLogTable& outgoingLog() { return *outgoing_; }
    TLogTable& incomingLog() { return *incoming_; }
    TLogModel& outgoingModel() { return *outgoingModel_; }
    TLogModel& incomingModel() { return *incomingModel_; }
    QTableView* outgoingGrid() const { return outgoingGrid_; }
    QTableView* incomingGrid() const { return incomingGrid_; }
    QTabBar* tabStrip() const { return tabs_; }
    QAction* action(TCommand command) const { return actions_[static_cast<std::size_t>(command)]; }
    QMenu* sortMenu(TMainPage page) const;
    QAction* outgoingSortAction(TOutgoingSort sort) const;
    QAction* incomingSortAction(TIncomingSort sort) const;
    const TCommandStates& commandStates() const { return states_; }

    TMainPage page() const { return page_; }
    // Selects a row of the visible page's grid and makes its record current.
    void selectRow(TMainPage page, int row);

    // Start-up after the window is shown for the first time, and every later
    // activation of the application.
    void firstActivation();
    void laterActivation();
    // Brings the window to the front (a second start of the program asks for this).
    void bringToFront();

    // Commands of the menus and the button bar.
    void newCoverSheetClick();
    void newFaxFromFileClick();
    void addCoverSheetClick();
    void editClick();
    void cloneClick();
    void deleteClick();
    void archiveClick();
    void forwardClick();
    void showArchivedClick();
    void faxLogCleanupClick();
    void sendClick();
    void receiveClick();
    void viewClick();
    void phoneBookClick();
    void coverDesignerClick();
    void rebuildIndexesClick();
    void preferencesClick();
    void showHintsClick();
    void sortOutgoing(TOutgoingSort sort);
    void sortIncoming(TIncomingSort sort);
    // Rebuild Indexes without asking; returns the error text, empty on success.
    QString rebuildIndexes();

    // Windows of other parts of the program; until one is built, its entry
    // point says so in the status panel.
    void openViewer(const QString& path, const QString& description);
    // A received fax from its desktop notification, in a viewer that does not
    // hold up receive mode.
    void openReceivedFax(const TReceivedFaxInfo& fax, const QDateTime& at);
    // The notification, receipt command and tray icon of receive mode.
    TDesktopReceiving& desktopReceiving() { return *desktop_; }
    void openPhoneBook();
    void openCoverDesigner();
    // The cover designer while it is open.
    class TCoverDesMainScreen* coverDesigner() const;

signals:
    void commandsEvaluated();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void closeAfterPaint();
    void createReceiveComponents();
    void buildActions();
    void buildMenus();
    void buildButtonBar();
    void bindHelpActions();
    // Runs one command, turns an escaping error into its message and
    // re-evaluates the enabled commands.
    void runCommand(const std::function<void()>& command);
    QWidget* buildPage(TMainPage page);
    void connectGrid(TMainPage page);
    // The width a column first gets when no layout was saved for it.
    static int firstWidth(const QWidget* view, const std::string& field, int width);

    void formCreate();
    bool formCloseQuery();
    void formClose();
    void loadPlacement();
    void savePlacement();
    void loadGridLayout();
    void saveGridLayout();
    void applyHints();

    TLogModel& model(TMainPage page);
    QTableView* grid(TMainPage page) const;
    void fixOrder(TMainPage page);
    // Reloads a page's model and puts the selection back on the table's current record.
    void refreshPage(TMainPage page);
    void refreshBoth();
    // Whether the table's current record passes the deleted-records setting and the filter.
    bool currentVisible(TMainPage page);
    void viewFile();
    void setArchiveCaption(bool unarchive);

    ProgramFolder folder_;
    SettingsFile settingsFile_;
    TUserPrompts& prompts_;
    THelpCenter* help_;
    QPointer<class TCoverDesMainScreen> coverDesigner_;
    Settings settings_;
    bool settingsLoaded_ = false;
    std::shared_ptr<TTableEnv> env_;
    std::unique_ptr<TLogTable> outgoing_;
    std::unique_ptr<TLogTable> incoming_;
    std::unique_ptr<TOutgoingLogModel> outgoingModel_;
    std::unique_ptr<TIncomingLogModel> incomingModel_;
    TGridLayout outgoingLayout_ = TGridLayout::outgoingDefault();
    TArchiveFilter filter_;

    bool receiveMode_ = false;
    bool faxBeingReceived_ = false;
    bool firstActivationPending_ = true;
    bool firstRun_ = false;
    bool logsOpen_ = false;
    bool closing_ = false;
    bool layoutLoaded_ = false;
    bool selecting_ = false;
    int lastSendError_ = -1;
    int lastPortError_ = -1;
    bool quitAfterPaint_ = false;
    QObject* hintFilter_ = nullptr;

    TMainPage page_ = TMainPage::Outgoing;
    TCommandStates states_;
    std::array<QAction*, static_cast<std::size_t>(TCommand::Count)> actions_{};
    std::array<QAction*, 3> outgoingSort_{};
    std::array<QAction*, 2> incomingSort_{};
    QMenu* outgoingSortMenu_ = nullptr;
    QMenu* incomingSortMenu_ = nullptr;
    QToolButton* sortButton_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QTableView* outgoingGrid_ = nullptr;
    QTableView* incomingGrid_ = nullptr;
    TStatusPanel* status_ = nullptr;

    std::unique_ptr<TPxQtEventLoop> eventLoop_;
    std::unique_ptr<TPxComPort> comPort_;
    std::unique_ptr<TPxReceiveFax> receiveFax_;
    std::unique_ptr<TOutgoingWorkflow> outgoingWorkflow_;
    // Before the workflow that calls it, so it goes after it.
    std::unique_ptr<TDesktopReceiving> desktop_;
    std::unique_ptr<TIncomingWorkflow> incomingWorkflow_;
    std::unique_ptr<TCleanupWorkflow> cleanupWorkflow_;
    std::unique_ptr<TPrintDriverIntake> printDriverIntake_;
    std::unique_ptr<TPreferencesWorkflow> preferencesWorkflow_;
    std::unique_ptr<TConfigurationReport> configurationReport_;
};

}  // namespace px
