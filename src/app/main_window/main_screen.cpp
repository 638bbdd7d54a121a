#include "app/main_window/main_screen.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/cleanup/cleanup_workflow.h"
#include "app/desktop/desktop_receiving.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/incoming/incoming_workflow.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/preferences/preferences_workflow.h"
#include "app/printdriver/print_driver_intake.h"
#include "app/report/configuration_report.h"
#include "comms/px_com_port.h"
#include "comms/qt/px_qt_event_loop.h"
#include "fax/components/px_receive_fax.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

namespace {

struct TActionEntry {
    TCommand command;
    const char* text;
    const char* shortcut;  // empty: none
    const char* hint;
};

// Menu captions, shortcuts and hints; buttons show the same actions.
constexpr TActionEntry kActions[] = {
    {TCommand::NewCoverSheet, "&New Cover Sheet", "Ctrl+N",
     "Create a new cover sheet fax [CTRL+N]"},
    {TCommand::NewFaxFromFile, "New Fax from F&ile…", "",
     "Make a fax of a document: a fax, TIFF, PDF, PostScript or text file"},
    {TCommand::AddCoverSheet, "A&dd Cover Sheet", "Ctrl+O",
     "Add a cover sheet to the selected fax [CTRL+O]"},
    {TCommand::Edit, "&Edit", "Ctrl+E", "Edit the selected fax [CTRL+E]"},
    {TCommand::Clone, "&Clone", "Ctrl+C", "Make a copy of the selected fax [CTRL+C]"},
    {TCommand::Delete, "&Delete", "Ctrl+D", "Delete the selected fax and its files [CTRL+D]"},
    {TCommand::Archive, kArchiveCaption, "Ctrl+A", kArchiveHint},
    {TCommand::ForwardReceivedFax, "&Forward Received Fax", "",
     "Send the selected received fax on to someone else"},
    {TCommand::ShowArchivedFaxes, "Show Arc&hived Faxes", "", "Show or hide archived faxes"},
    {TCommand::FaxLogCleanup, "Fax &Log Cleanup", "", "Delete faxes in bulk"},
    {TCommand::SendFax, "&Send Fax", "Ctrl+S", "Send the selected fax [CTRL+S]"},
    {TCommand::ReceiveFax, "&Receive Faxes", "Ctrl+R", "Start receiving faxes"},
    {TCommand::ViewPrintFax, "&View/Print Fax", "Ctrl+V",
     "View or print the selected fax [CTRL+V]"},
    {TCommand::PhoneBook, "&Phone Book", "", "Names and fax numbers"},
    {TCommand::CoverDesigner, "Cover Sheet &Template Designer", "", "Design cover sheet templates"},
    {TCommand::RebuildIndexes, "Re&build Indexes", "", "Do this every 2 weeks "},
    {TCommand::Preferences, "P&references", "", "Modem, dialling and receiving settings"},
    {TCommand::Exit, "E&xit", "Ctrl+X", "Close Parvex [CTRL+X]"},
    {TCommand::Sort, "S&ort", "", "Sort the faxes of this page"},
    {TCommand::HelpContents, "&Contents", "", "Help contents"},
    {TCommand::HelpFaq, "&Frequently Asked Questions (FAQ)", "", "Frequently asked questions"},
    {TCommand::HelpTechnicalSupport, "&Technical Support", "", "How to get help"},
    {TCommand::ConfigurationInformation, "Confi&guration Information", "",
     "A report of the settings and the modem"},
    {TCommand::ShowHints, "Show &Hints", "", "Show tool tips"},
    {TCommand::QuickStart, "&Quick Start Instructions!", "", "The first steps"},
    {TCommand::About, "&About", "", "About Parvex"},
    {TCommand::ProblemSolver, "&Problem Solver", "", "Solutions to common fax problems"},
    {TCommand::VisitWebsite, "&Visit Our Internet Website", "", "The Parvex documentation"},
};

// The port receive mode opens: COM1 until the settings say otherwise, 8 KB
// buffers, hardware flow control on RTS and CTS.
constexpr int kReceivePort = 1;
constexpr uint16_t kPortBufferSize = 8192;
constexpr uint16_t kFlowStopMark = 7372;   // 90 % of the input buffer
constexpr uint16_t kFlowResumeMark = 819;  // 10 %
constexpr const char* kTraceFileName = "PXCOM.TRC";
constexpr const char* kDispatchLogName = "PXCOM.LOG";
constexpr const char* kReceiveStationId = "PX RcvFax";
constexpr const char* kReceivedFileExtension = "APF";

QLabel* band(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    label->setFont(font);
    label->setMargin(4);
    return label;
}

}  // namespace

int TMainScreen::firstWidth(const QWidget* view, const std::string& field, int width) {
    if (field != "DATESENT" && field != "DATEREC") {
        return width;
    }
    // Dates take the system's short format, which may be wider than the field.
    const QString sample = QLocale::system().toString(QDate(2026, 12, 28), QLocale::ShortFormat);
    return std::max(width, view->fontMetrics().horizontalAdvance(sample) + 12);
}

TMainScreen::TMainScreen(const ProgramFolder& folder, TUserPrompts& prompts, THelpCenter* help,
                         QWidget* parent)
    : QMainWindow(parent),
      folder_(folder),
      settingsFile_(folder.settingsPath()),
      prompts_(prompts),
      help_(help),
      env_(std::make_shared<TTableEnv>()) {
    setObjectName("TMainScreen");
    setWindowTitle(kProductName);
    outgoing_ = std::make_unique<TLogTable>(TLogKind::Outgoing, folder_.path(), env_);
    incoming_ = std::make_unique<TLogTable>(TLogKind::Incoming, folder_.path(), env_);
    outgoingModel_ = std::make_unique<TOutgoingLogModel>(*outgoing_);
    incomingModel_ = std::make_unique<TIncomingLogModel>(*incoming_);
    quitAfterPaint_ = qEnvironmentVariableIsSet("PARVEX_QUIT_AFTER_PAINT");

    buildActions();
    buildMenus();
    buildButtonBar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    notebook_ = new QStackedWidget(central);
    notebook_->addWidget(buildPage(TMainPage::Outgoing));
    notebook_->addWidget(buildPage(TMainPage::Incoming));
    layout->addWidget(notebook_, 1);
    status_ = new TStatusPanel(central);
    layout->addWidget(status_);
    tabs_ = new QTabBar(central);
    tabs_->setObjectName("tabStrip");
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->addTab("Out&going Faxes");
    tabs_->addTab("&Incoming Faxes");
    layout->addWidget(tabs_);
    setCentralWidget(central);
    // Menu entries and buttons show their hints here while the pointer is on them.
    QStatusBar* hints = statusBar();
    hints->setObjectName("hintBar");
    hints->setAccessibleName("Hints");
    resize(900, 560);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        showPage(index == 0 ? TMainPage::Outgoing : TMainPage::Incoming);
        evaluateCommands();
    });
    auto* switchTabs = new QShortcut(QKeySequence("Ctrl+Tab"), this);
    connect(switchTabs, &QShortcut::activated, this,
            [this] { tabs_->setCurrentIndex(tabs_->currentIndex() == 0 ? 1 : 0); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) {
            laterActivation();
        }
    });

    createReceiveComponents();
    outgoingWorkflow_ = std::make_unique<TOutgoingWorkflow>(*this);
    outgoingWorkflow_->setHelp([this] {
        if (help_ != nullptr) {
            help_->showTopic(kHelpContents);
        }
    });
    outgoingWorkflow_->setQuickFaxEditor(quickFaxEditor([this] {
        if (help_ != nullptr) {
            help_->showTopic(kHelpContents);
        }
    }));
    incomingWorkflow_ = std::make_unique<TIncomingWorkflow>(*this);
    desktop_ = std::make_unique<TDesktopReceiving>(
        *this, settings_.receive,
        [this](const TReceivedFaxInfo& fax, const QDateTime& at) { openReceivedFax(fax, at); },
        [this](const QString& problem) { status_->showText(problem); });
    desktop_->listenTo(*incomingWorkflow_);
    cleanupWorkflow_ = std::make_unique<TCleanupWorkflow>(*this);
    printDriverIntake_ = std::make_unique<TPrintDriverIntake>(*this);
    preferencesWorkflow_ = std::make_unique<TPreferencesWorkflow>(*this);
    configurationReport_ = std::make_unique<TConfigurationReport>(*this);

    formCreate();
    connectGrid(TMainPage::Outgoing);
    connectGrid(TMainPage::Incoming);
    refreshBoth();
    evaluateCommands();
}

TMainScreen::~TMainScreen() {
    // The views go before the models they show, the receive component before
    // its port, the port before the event loop that delivers its events.
    delete centralWidget();
    // The incoming workflow unhooks itself from the receive component.
    incomingWorkflow_.reset();
    receiveFax_.reset();
    comPort_.reset();
    eventLoop_.reset();
}

void TMainScreen::createReceiveComponents() {
    eventLoop_ = std::make_unique<TPxQtEventLoop>(this);
    comPort_ = std::make_unique<TPxComPort>(eventLoop_.get());
    comPort_->setComNumber(kReceivePort);
    comPort_->setInSize(kPortBufferSize);
    comPort_->setOutSize(kPortBufferSize);
    comPort_->setHWFlowOptions({hwfUseRTS, hwfRequireCTS});
    comPort_->setBufferFull(kFlowStopMark);
    comPort_->setBufferResume(kFlowResumeMark);
    comPort_->setAutoOpen(false);
    comPort_->setTraceName(folder_.path() + kTraceFileName);
    comPort_->setLogName(folder_.path() + kDispatchLogName);
    comPort_->setTapiMode(tmNone);
    // COMn reaches whatever device [Ports] of PX.INI names, read when the port opens.
    comPort_->setDevicePathResolver([file = settingsFile_](int number) {
        IniFile ini;
        try {
            ini = file.read();
        } catch (const IniFileError&) {
            // An unreadable PX.INI maps no port: the default device applies.
        }
        return comPortDevicePath(ini, number);
    });
    receiveFax_ = std::make_unique<TPxReceiveFax>();
    receiveFax_->setComPort(comPort_.get());
    receiveFax_->StationID = kReceiveStationId;
    receiveFax_->FaxFileExt = kReceivedFileExtension;
    receiveFax_->ConstantStatus = true;
}

void TMainScreen::saveSettings() {
    settingsFile_.update([this](IniFile& ini) { settings_.save(ini); });
    settingsLoaded_ = true;
}

void TMainScreen::reopenLog(TMainPage page) {
    TLogTable& table = log(page);
    const TXbTable& records = table.table();
    const std::uint32_t recno = records.isOpen() && records.hasCurrent() ? records.recNo() : 0;
    const int order = records.isOpen() ? records.order() : 0;
    table.close();
    const bool opened = page == TMainPage::Outgoing ? table.open(filter_.text()) : table.open();
    if (!opened) {
        refreshPage(page);
        return;
    }
    try {
        table.table().setFilter(filter_.text());
        table.table().setOrder(order);
        if (recno != 0) {
            table.table().goTo(recno);
        } else {
            table.table().first();
        }
    } catch (const std::exception&) {
        // The record may be gone; the grid starts from the first one.
    }
    refreshPage(page);
}

void TMainScreen::buildActions() {
    for (const TActionEntry& entry : kActions) {
        auto* act = new QAction(entry.text, this);
        if (entry.shortcut[0] != '\0') {
            act->setShortcut(QKeySequence(entry.shortcut));
        }
        act->setToolTip(messageText(entry.hint));
        act->setStatusTip(messageText(entry.hint));
        actions_[static_cast<std::size_t>(entry.command)] = act;
    }
    action(TCommand::ShowArchivedFaxes)->setCheckable(true);
    action(TCommand::ShowHints)->setCheckable(true);

    const auto bind = [this](TCommand command, void (TMainScreen::*handler)()) {
        connect(action(command), &QAction::triggered, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    bind(TCommand::NewCoverSheet, &TMainScreen::newCoverSheetClick);
    bind(TCommand::NewFaxFromFile, &TMainScreen::newFaxFromFileClick);
    bind(TCommand::AddCoverSheet, &TMainScreen::addCoverSheetClick);
    bind(TCommand::Edit, &TMainScreen::editClick);
    bind(TCommand::Clone, &TMainScreen::cloneClick);
    bind(TCommand::Delete, &TMainScreen::deleteClick);
    bind(TCommand::Archive, &TMainScreen::archiveClick);
    bind(TCommand::ForwardReceivedFax, &TMainScreen::forwardClick);
    bind(TCommand::ShowArchivedFaxes, &TMainScreen::showArchivedClick);
    bind(TCommand::FaxLogCleanup, &TMainScreen::faxLogCleanupClick);
    bind(TCommand::SendFax, &TMainScreen::sendClick);
    bind(TCommand::ReceiveFax, &TMainScreen::receiveClick);
    bind(TCommand::ViewPrintFax, &TMainScreen::viewClick);
    bind(TCommand::PhoneBook, &TMainScreen::phoneBookClick);
    bind(TCommand::CoverDesigner, &TMainScreen::coverDesignerClick);
    bind(TCommand::RebuildIndexes, &TMainScreen::rebuildIndexesClick);
    bind(TCommand::Preferences, &TMainScreen::preferencesClick);
    bind(TCommand::ShowHints, &TMainScreen::showHintsClick);
    connect(action(TCommand::Exit), &QAction::triggered, this, &QWidget::close);
    bindHelpActions();

    outgoingSortMenu_ = new QMenu(this);
    auto* outGroup = new QActionGroup(this);
    outGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const char* outTitles[] = {"Date Sent", "Subject", "Recipient"};
    for (int i = 0; i < 3; ++i) {
        QAction* act = outgoingSortMenu_->addAction(outTitles[i]);
        act->setCheckable(true);
        outGroup->addAction(act);
        outgoingSort_[static_cast<std::size_t>(i)] = act;
        connect(act, &QAction::triggered, this, [this, i] {
            runCommand([this, i] { sortOutgoing(static_cast<TOutgoingSort>(i)); });
        });
    }
    incomingSortMenu_ = new QMenu(this);
    auto* inGroup = new QActionGroup(this);
    inGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const char* inTitles[] = {"Date Received", "From"};
    for (int i = 0; i < 2; ++i) {
        QAction* act = incomingSortMenu_->addAction(inTitles[i]);
        act->setCheckable(true);
        inGroup->addAction(act);
        incomingSort_[static_cast<std::size_t>(i)] = act;
        connect(act, &QAction::triggered, this, [this, i] {
            runCommand([this, i] { sortIncoming(static_cast<TIncomingSort>(i)); });
        });
    }
}

void TMainScreen::runCommand(const std::function<void()>& command) {
    // A table that cannot be read or written ends the command with its
    // message; the program and the other records stay as they are.
    try {
        command();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    if (closing_) {
        return;
    }
    try {
        evaluateCommands();
    } catch (const std::exception& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

void TMainScreen::buildMenus() {
    menuBar()->setAccessibleName("Menu bar");
    QMenu* file = menuBar()->addMenu("&File");
    for (TCommand c : {TCommand::NewCoverSheet, TCommand::NewFaxFromFile, TCommand::AddCoverSheet,
                       TCommand::Edit, TCommand::Clone, TCommand::Delete, TCommand::Archive,
                       TCommand::ForwardReceivedFax}) {
        file->addAction(action(c));
    }
    file->addSeparator();
    file->addAction(action(TCommand::ShowArchivedFaxes));
    file->addAction(action(TCommand::FaxLogCleanup));
    file->addSeparator();
    file->addAction(action(TCommand::SendFax));
    file->addAction(action(TCommand::ReceiveFax));
    file->addAction(action(TCommand::ViewPrintFax));
    file->addSeparator();
    file->addAction(action(TCommand::PhoneBook));
    file->addAction(action(TCommand::CoverDesigner));
    file->addAction(action(TCommand::RebuildIndexes));
    file->addAction(action(TCommand::Preferences));
    // Until the preference wizard has a page for it, the receive sound is chosen here.
    QAction* sound = file->addAction("Receive &Sound...");
    sound->setObjectName("receiveSoundAction");
    sound->setStatusTip("Choose and try the sound played when a fax has been received");
    connect(sound, &QAction::triggered, this,
            [this] { runCommand([this] { incomingWorkflow_->chooseReceiveSound(); }); });
    file->addSeparator();
    file->addAction(action(TCommand::Exit));

    QMenu* helpMenu = menuBar()->addMenu("&Help");
    for (TCommand c : {TCommand::HelpContents, TCommand::HelpFaq, TCommand::HelpTechnicalSupport,
                       TCommand::ConfigurationInformation, TCommand::ShowHints}) {
        helpMenu->addAction(action(c));
    }
    helpMenu->addSeparator();
    for (TCommand c :
         {TCommand::QuickStart, TCommand::About, TCommand::ProblemSolver, TCommand::VisitWebsite}) {
        helpMenu->addAction(action(c));
    }
}

void TMainScreen::buildButtonBar() {
    QToolBar* bar = addToolBar("Buttons");
    bar->setObjectName("buttonBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QStyle* st = style();
    const auto add = [&](TCommand c, const QString& caption, QStyle::StandardPixmap icon) {
        QAction* act = action(c);
        act->setIcon(st->standardIcon(icon));
        act->setIconText(caption);
        bar->addAction(act);
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(act))) {
            button->setToolTipDuration(kHintShowMs);
        }
    };
    add(TCommand::NewCoverSheet, "New", QStyle::SP_FileIcon);
    add(TCommand::AddCoverSheet, "Add Cover", QStyle::SP_FileDialogNewFolder);
    add(TCommand::Edit, "Edit", QStyle::SP_FileDialogDetailedView);
    add(TCommand::Delete, "Delete", QStyle::SP_TrashIcon);
    add(TCommand::Archive, "Archive", QStyle::SP_DirClosedIcon);
    bar->addSeparator();
    add(TCommand::SendFax, "Send", QStyle::SP_ArrowUp);
    add(TCommand::ReceiveFax, "Receive", QStyle::SP_ArrowDown);
    add(TCommand::ViewPrintFax, "View", QStyle::SP_FileDialogContentsView);
    bar->addSeparator();
    sortButton_ = new QToolButton(bar);
    sortButton_->setObjectName("sortButton");
    sortButton_->setText("Sort");
    sortButton_->setIcon(st->standardIcon(QStyle::SP_ArrowDown));
    sortButton_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    sortButton_->setPopupMode(QToolButton::InstantPopup);
    sortButton_->setToolTip(action(TCommand::Sort)->toolTip());
    sortButton_->setMenu(outgoingSortMenu_);
    bar->addWidget(sortButton_);
    connect(action(TCommand::Sort), &QAction::changed, this,
            [this] { sortButton_->setEnabled(action(TCommand::Sort)->isEnabled()); });
    add(TCommand::Preferences, "Preferences", QStyle::SP_ComputerIcon);
    add(TCommand::ProblemSolver, "Problem Solver", QStyle::SP_MessageBoxQuestion);
    bar->addSeparator();
    add(TCommand::Exit, "Exit", QStyle::SP_DialogCloseButton);
}

QWidget* TMainScreen::buildPage(TMainPage page) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool out = page == TMainPage::Outgoing;
    QLabel* title = band(out ? "Outgoing Faxes" : "Incoming Faxes",
                         out ? QColor(0, 0, 160) : QColor(0, 128, 0), widget);
    layout->addWidget(title);
    auto* view = new QTableView(widget);
    view->setObjectName(out ? "outgoingGrid" : "incomingGrid");
    view->setAccessibleName(title->text());
    view->setModel(&model(page));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(false);
    view->setWordWrap(false);
    view->setSortingEnabled(false);
    // Archived rows are red, and white like the others when selected.
    QPalette palette = view->palette();
    palette.setColor(QPalette::HighlightedText, Qt::white);
    view->setPalette(palette);
    // Uniform rows keep scrolling cost independent of the log's size.
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 6);
    rows->setFixedWidth(outgoingLayout_.indicatorWidth());
    QHeaderView* cols = view->horizontalHeader();
    cols->setSectionsMovable(out);
    cols->setHighlightSections(false);
    // Dates take the system's short format, which may be wider than the field.
    const QString sampleDate =
        QLocale::system().toString(QDate(2026, 12, 28), QLocale::ShortFormat);
    const int dateWidth = view->fontMetrics().horizontalAdvance(sampleDate) + 12;
    for (std::size_t i = 0; i < model(page).columns().size(); ++i) {
        const TLogColumn& column = model(page).columns()[i];
        const bool date = column.field == "DATESENT" || column.field == "DATEREC";
        cols->resizeSection(static_cast<int>(i),
                            date ? std::max(column.width, dateWidth) : column.width);
    }
    layout->addWidget(view, 1);
    (out ? outgoingGrid_ : incomingGrid_) = view;
    return widget;
}

void TMainScreen::connectGrid(TMainPage page) {
    QTableView* view = grid(page);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, page](const QModelIndex& current) {
                if (selecting_ || !current.isValid()) {
                    return;
                }
                const std::uint32_t recno = model(page).recnoAt(current.row());
                if (recno == 0) {
                    return;
                }
                try {
                    log(page).table().goTo(recno);
                } catch (const std::exception&) {
                    return;
                }
                if (!firstActivationPending_) {
                    evaluateCommands();
                }
            });
    if (page == TMainPage::Outgoing) {
        connect(view, &QTableView::doubleClicked, this, [this] {
            if (action(TCommand::Edit)->isEnabled()) {
                runCommand([this] { editClick(); });
            }
        });
    }
}

TLogModel& TMainScreen::model(TMainPage page) {
    return page == TMainPage::Outgoing ? static_cast<TLogModel&>(*outgoingModel_)
                                       : static_cast<TLogModel&>(*incomingModel_);
}

QTableView* TMainScreen::grid(TMainPage page) const {
    return page == TMainPage::Outgoing ? outgoingGrid_ : incomingGrid_;
}

QMenu* TMainScreen::sortMenu(TMainPage page) const {
    return page == TMainPage::Outgoing ? outgoingSortMenu_ : incomingSortMenu_;
}

QAction* TMainScreen::outgoingSortAction(TOutgoingSort sort) const {
    return outgoingSort_[static_cast<std::size_t>(sort)];
}

QAction* TMainScreen::incomingSortAction(TIncomingSort sort) const {
    return incomingSort_[static_cast<std::size_t>(sort)];
}

void TMainScreen::showPage(TMainPage page) {
    page_ = page;
    const int index = page == TMainPage::Outgoing ? 0 : 1;
    notebook_->setCurrentIndex(index);
    if (tabs_->currentIndex() != index) {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(index);
    }
    sortButton_->setMenu(sortMenu(page));
}

bool TMainScreen::hasCurrent(TMainPage page) {
    const TXbTable& table = log(page).table();
    return table.isOpen() && table.hasCurrent();
}

void TMainScreen::selectRow(TMainPage page, int row) {
    TLogModel& m = model(page);
    QTableView* view = grid(page);
    TXbTable& table = log(page).table();
    selecting_ = true;
    if (row < 0 || row >= m.rowCount()) {
        view->selectionModel()->clearSelection();
        view->selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        if (table.isOpen()) {
            table.last();
            table.next();
        }
    } else {
        try {
            table.goTo(m.recnoAt(row));
        } catch (const std::exception&) {
        }
        const QModelIndex index = m.index(row, 0);
        view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollTo(index);
    }
    selecting_ = false;
}

void TMainScreen::refreshPage(TMainPage page) {
    TLogModel& m = model(page);
    TXbTable& table = log(page).table();
    QTableView* view = grid(page);
    const int oldRow = view->currentIndex().isValid() ? view->currentIndex().row() : 0;
    const std::uint32_t wanted = table.isOpen() && table.hasCurrent() ? table.recNo() : 0;
    selecting_ = true;
    m.reload();
    selecting_ = false;
    // Only a record that is still visible is looked for; the search may have
    // to fetch the whole log.
    int row = wanted != 0 && currentVisible(page) ? m.rowOf(wanted) : -1;
    if (row < 0 && m.rowCount() > 0) {
        while (oldRow >= m.rowCount() && m.canFetchMore({})) {
            m.fetchMore({});
        }
        row = std::min(oldRow, m.rowCount() - 1);
    }
    selectRow(page, row);
}

bool TMainScreen::currentVisible(TMainPage page) {
    TXbTable& table = log(page).table();
    try {
        if (!table.isOpen() || !table.hasCurrent() ||
            (table.env().deletedHidden() && table.deleted())) {
            return false;
        }
        return table.filter().empty() || table.evaluate(table.compile(table.filter())).logical;
    } catch (const std::exception&) {
        return false;
    }
}

void TMainScreen::refreshBoth() {
    refreshPage(TMainPage::Outgoing);
    refreshPage(TMainPage::Incoming);
}

void TMainScreen::fixOrder(TMainPage page) {
    TXbTable& table = log(page).table();
    if (!table.isOpen()) {
        return;
    }
    if (!table.hasCurrent()) {
        if (table.order() != 0) {
            table.setOrder(0);
            table.last();
            table.next();
        }
        return;
    }
    if (table.order() == 0) {
        table.setOrder(log(page).schema().defaultTag);
        table.first();
        if (page == TMainPage::Outgoing) {
            outgoingSortAction(TOutgoingSort::DateSent)->setChecked(true);
        } else {
            incomingSortAction(TIncomingSort::DateReceived)->setChecked(true);
        }
        model(page).reload();
        selectRow(page, model(page).rowCount() > 0 ? 0 : -1);
    }
}

void TMainScreen::setArchiveCaption(bool unarchive) {
    QAction* archive = action(TCommand::Archive);
    archive->setText(unarchive ? kUnarchiveCaption : kArchiveCaption);
    archive->setIconText(unarchive ? "UnArchive" : "Archive");
    const QString hint = messageText(unarchive ? kUnarchiveHint : kArchiveHint);
    archive->setToolTip(hint);
    archive->setStatusTip(hint);
}

void TMainScreen::evaluateCommands() {
    fixOrder(TMainPage::Outgoing);
    fixOrder(TMainPage::Incoming);
    TCommandInputs in;
    in.page = page_;
    in.outgoingCurrent = hasCurrent(TMainPage::Outgoing);
    in.incomingCurrent = hasCurrent(TMainPage::Incoming);
    in.sendWasEnabled = states_.send;
    try {
        in.outgoingHasCover = in.outgoingCurrent && !outgoing_->table().text("FAXCOVER").empty();
        if (hasCurrent(page_)) {
            in.currentArchived = log(page_).archived();
        }
    } catch (const std::exception&) {
        // An unreadable record counts as one without cover, not archived.
    }
    states_ = px::evaluateCommands(in);
    action(TCommand::Sort)->setEnabled(states_.sort);
    action(TCommand::SendFax)->setEnabled(states_.send);
    action(TCommand::NewCoverSheet)->setEnabled(states_.newCover);
    action(TCommand::NewFaxFromFile)->setEnabled(states_.newCover);
    action(TCommand::Edit)->setEnabled(states_.edit);
    action(TCommand::Delete)->setEnabled(states_.del);
    action(TCommand::ViewPrintFax)->setEnabled(states_.view);
    action(TCommand::AddCoverSheet)->setEnabled(states_.addCover);
    action(TCommand::Archive)->setEnabled(states_.archive);
    action(TCommand::Clone)->setEnabled(states_.clone);
    action(TCommand::ForwardReceivedFax)->setEnabled(states_.forward);
    outgoingGrid_->setEnabled(states_.outgoingGrid);
    incomingGrid_->setEnabled(states_.incomingGrid);
    setArchiveCaption(states_.archiveReadsUnarchive);
    action(TCommand::ShowArchivedFaxes)->setChecked(filter_.showsArchived());
    emit commandsEvaluated();
}

int TMainScreen::lastReceiveError() const {
    return incomingWorkflow_->lastReceiveError();
}

void TMainScreen::setReceiveMode(bool on) {
    receiveMode_ = on;
    QAction* receive = action(TCommand::ReceiveFax);
    receive->setIconText(on ? "STOP" : "Receive");
    receive->setText(on ? "Stop &Receiving Faxes" : "&Receive Faxes");
    receive->setToolTip(on ? "Stop receiving faxes" : "Start receiving faxes");
}

void TMainScreen::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void TMainScreen::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (quitAfterPaint_) {
        // Start-up measurement: the window has been painted once.
        quitAfterPaint_ = false;
        QMetaObject::invokeMethod(this, &TMainScreen::closeAfterPaint, Qt::QueuedConnection);
    }
}

void TMainScreen::closeAfterPaint() {
    // The quick setup of a first start (or a question of the first activation)
    // would hold the program open: it is declined first, as a user might.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->reject();
        QMetaObject::invokeMethod(this, &TMainScreen::closeAfterPaint, Qt::QueuedConnection);
        return;
    }
    close();
}

}  // namespace px
