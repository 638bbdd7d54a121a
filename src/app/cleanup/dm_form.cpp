#include "app/cleanup/dm_form.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/cleanup/date_selector.h"
#include "app/cleanup/fax_deletion.h"
#include "app/host/user_prompts.h"
#include "app/main_window/outgoing_log_model.h"
#include "settings/program_folder.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

constexpr int kOutgoingTab = 0;
constexpr int kIncomingTab = 1;

int tabOf(TMainPage page) {
    return page == TMainPage::Outgoing ? kOutgoingTab : kIncomingTab;
}

std::vector<TLogColumn> cleanupColumns(TMainPage page) {
    if (page == TMainPage::Outgoing) {
        return {{"ISDELETED", "Deleted?", 60},    {"ISARCHIVED", "Archived?", 64},
                {"DATESENT", "Date Sent", 100},   {"TIMESENT", "Time Sent", 70},
                {"RECIPIENT", "Recipient", 140},  {"SUBJECT", "Subject", 160},
                {"PHONE", "Fax#", 100},           {"LASTRESULT", "Last Attempt", 140},
                {"calcFaxFile", "Fax File", 200}, {"CODES", "Codes", 80},
                {"NOTES", "Notes", 140}};
    }
    return {{"ISDELETED", "Deleted?", 60},  {"ISARCHIVED", "Archived?", 64},
            {"DATEREC", "Date Rec'd", 100}, {"TIMEREC", "Time Rec'd", 70},
            {"FROM", "From", 140},          {"PAGES", "Pages", 50},
            {"FAXFILE", "Fax File", 110},   {"NOTES", "Notes", 180}};
}

// Both grids of the window: every column of the log, dates as the desktop shows them.
class TCleanupLogModel : public TLogModel {
public:
    TCleanupLogModel(TLogTable& log, TMainPage page, QObject* parent)
        : TLogModel(log, cleanupColumns(page), parent) {}

protected:
    QString cellText(const TLogColumn& column) const override {
        if (column.field == "DATESENT" || column.field == "DATEREC") {
            return shortDateText(log().table().value(column.field).date);
        }
        return TLogModel::cellText(column);
    }
};

// Sets the busy cursor and freezes a grid for the time of a bulk delete.
class TBusyGrid {
public:
    explicit TBusyGrid(QWidget* grid) : grid_(grid) {
        grid_->setUpdatesEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    TBusyGrid(const TBusyGrid&) = delete;
    TBusyGrid& operator=(const TBusyGrid&) = delete;
    ~TBusyGrid() {
        QApplication::restoreOverrideCursor();
        grid_->setUpdatesEnabled(true);
    }

private:
    QWidget* grid_;
};

}  // namespace

TDMForm::TDMForm(TWorkflowHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setWindowTitle("Fax Log Cleanup Utility");
    setObjectName("DMForm");
    resize(760, 420);
    help_ = new THelpCenter(this);

    menuBar_ = new QMenuBar(this);
    menuBar_->setAccessibleName("Menu bar");
    actionsMenu_ = menuBar_->addMenu("&Actions");
    deleteCurrent_ = actionsMenu_->addAction("Delete Current Fax");
    deleteCurrent_->setShortcut(QKeySequence("Ctrl+X"));
    deleteBefore_ = actionsMenu_->addAction("Delete All Before A Particular Date");
    deleteArchived_ = actionsMenu_->addAction("Delete All Archived Faxes");
    deleteSent_ = actionsMenu_->addAction("Delete All that Have Been Sent");
    deleteNotSent_ = actionsMenu_->addAction("Delete All That Have NOT Been Sent");
    deleteConditions_ = actionsMenu_->addAction("Delete All Faxes Meeting Certain Conditions...");
    deleteAll_ = actionsMenu_->addAction("Delete All Faxes");
    connect(deleteCurrent_, &QAction::triggered, this, &TDMForm::DeleteCurrentFaxClick);
    connect(deleteBefore_, &QAction::triggered, this, &TDMForm::DeleteBeforeDateClick);
    connect(deleteArchived_, &QAction::triggered, this, &TDMForm::DeleteArchivedClick);
    connect(deleteSent_, &QAction::triggered, this, &TDMForm::DeleteSentClick);
    connect(deleteNotSent_, &QAction::triggered, this, &TDMForm::DeleteNotSentClick);
    connect(deleteConditions_, &QAction::triggered, this, &TDMForm::DeleteForConditionsClick);
    connect(deleteAll_, &QAction::triggered, this, &TDMForm::DeleteAllClick);

    contextMenu_ = new QMenu(this);
    QMenu* deleteMenu = contextMenu_->addMenu("Delete");
    deleteMenu->addActions(actionsMenu_->actions());

    pages_ = new QTabWidget(this);
    pages_->setAccessibleName("Fax logs");
    for (TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
        const int tab = tabOf(page);
        models_[tab] = new TCleanupLogModel(host_.log(page), page, this);
        auto* grid = new QTableView(this);
        grid->setModel(models_[tab]);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->setAccessibleName(page == TMainPage::Outgoing ? "Outgoing faxes" : "Incoming faxes");
        const auto& columns = models_[tab]->columns();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int title = grid->horizontalHeader()->sectionSizeHint(static_cast<int>(i));
            grid->setColumnWidth(static_cast<int>(i), std::max(columns[i].width, title));
        }
        connect(grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
            if (index.column() == 0) {  // the "Deleted?" column
                DeleteCurrentFaxClick();
            }
        });
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, page] { followSelection(page); });
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
            contextMenu_->popup(grid->viewport()->mapToGlobal(at));
        });
        grids_[tab] = grid;
        pages_->addTab(grid, page == TMainPage::Outgoing ? "Outgoing Faxes" : "Incoming Faxes");
    }
    connect(pages_, &QTabWidget::currentChanged, this, &TDMForm::PageChange);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* helpButton = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    QPushButton* closeButton = buttons->addButton("&Close", QDialogButtonBox::RejectRole);
    helpButton->setAccessibleName("Help");
    closeButton->setAccessibleName("Close");
    helpButton->setAutoDefault(false);
    connect(helpButton, &QPushButton::clicked, this, &TDMForm::HelpButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar_);
    layout->addWidget(pages_);
    layout->addWidget(buttons);

    chooseDay = [this](const QDate& today) -> std::optional<QDate> {
        TDateSelector selector("Delete all before...", today, this);
        if (selector.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return selector.selectedDate();
    };
    chooseConditions = [this](TMainPage page) -> std::optional<TMatchChoice> {
        TDeleteForConditions::TCurrentValues current;
        const TXbTable& table = host_.log(page).table();
        if (table.hasCurrent()) {
            if (page == TMainPage::Outgoing) {
                current.recipient = QString::fromStdString(table.text("RECIPIENT"));
                current.phone = QString::fromStdString(table.text("PHONE"));
            } else {
                current.from = QString::fromStdString(table.text("FROM"));
            }
        }
        TDeleteForConditions dialog(page, current, host_.prompts(), this);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.choice();
    };
}

TDMForm::~TDMForm() {
    // Closing through the destructor alone still gives the main window its filters back.
    if (filtersTaken_) {
        for (TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
            try {
                host_.log(page).table().setFilter(savedFilters_[tabOf(page)]);
            } catch (const EXbError&) {
            }
        }
    }
}

void TDMForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstActivation_) {
        FormActivate();
    }
}

void TDMForm::FormActivate() {
    if (!firstActivation_) {
        return;
    }
    firstActivation_ = false;
    for (TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
        TXbTable& table = host_.log(page).table();
        savedFilters_[tabOf(page)] = table.filter();
        table.setFilter("");
    }
    filtersTaken_ = true;
    refreshTables();
    pages_->setCurrentIndex(kOutgoingTab);
    PageChange();
}

void TDMForm::done(int result) {
    if (filtersTaken_) {
        for (TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
            try {
                host_.log(page).table().setFilter(savedFilters_[tabOf(page)]);
            } catch (const EXbError&) {
                // A filter that was in force once compiles again; nothing to do otherwise.
            }
        }
        filtersTaken_ = false;
    }
    QDialog::done(result);
}

TMainPage TDMForm::page() const {
    return pages_->currentIndex() == kIncomingTab ? TMainPage::Incoming : TMainPage::Outgoing;
}

void TDMForm::showPage(TMainPage page) {
    pages_->setCurrentIndex(tabOf(page));
}

QTableView* TDMForm::grid(TMainPage page) const {
    return grids_[tabOf(page)];
}

TLogModel& TDMForm::model(TMainPage page) const {
    return *models_[tabOf(page)];
}

QMenu* TDMForm::gridMenu(TMainPage page) const {
    return grid(page)->contextMenuPolicy() == Qt::CustomContextMenu ? contextMenu_ : nullptr;
}

void TDMForm::selectRow(TMainPage page, int row) {
    QTableView* view = grid(page);
    view->setCurrentIndex(view->model()->index(row, 0));
}

TLogTable& TDMForm::visibleLog() const {
    return host_.log(page());
}

QString TDMForm::kind() const {
    return page() == TMainPage::Outgoing ? "outgoing" : "received";
}

bool TDMForm::confirm(const QString& caption, const QString& text) {
    return host_.prompts().question(this, caption, text, false);
}

void TDMForm::followSelection(TMainPage page) {
    const int row = grid(page)->currentIndex().row();
    const std::uint32_t recno = model(page).recnoAt(row);
    if (recno == 0) {
        return;
    }
    try {
        host_.log(page).table().goTo(recno);
    } catch (const EXbError&) {
    }
}

void TDMForm::showCurrentRow(TMainPage page) {
    const TXbTable& table = host_.log(page).table();
    QTableView* view = grid(page);
    const QSignalBlocker quiet(view->selectionModel());
    const int row = table.hasCurrent() ? model(page).rowOf(table.recNo()) : -1;
    if (row >= 0) {
        view->setCurrentIndex(model(page).index(row, 0));
        view->scrollTo(view->currentIndex());
    } else {
        view->clearSelection();
    }
}

void TDMForm::refreshTables() {
    for (TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
        TXbTable& table = host_.log(page).table();
        if (!table.hasCurrent()) {
            table.first();
        }
        model(page).reload();
        showCurrentRow(page);
    }
}

void TDMForm::PageChange() {
    updateMenus();
}

void TDMForm::updateMenus() {
    const bool outgoing = page() == TMainPage::Outgoing;
    deleteSent_->setVisible(outgoing);
    deleteNotSent_->setVisible(outgoing);
    for (TMainPage each : {TMainPage::Outgoing, TMainPage::Incoming}) {
        const bool hasRecords = host_.log(each).table().visibleCount() > 0;
        QTableView* view = grid(each);
        view->setEnabled(hasRecords);
        view->setContextMenuPolicy(hasRecords ? Qt::CustomContextMenu : Qt::NoContextMenu);
        QString caption = each == TMainPage::Outgoing ? "Outgoing Faxes" : "Incoming Faxes";
        if (!hasRecords) {
            caption =
                each == TMainPage::Outgoing ? "OutGoing Faxes (none)" : "Incoming Faxes (none)";
        }
        pages_->setTabText(tabOf(each), caption);
    }
    const bool enabled = grid(page())->isEnabled();
    actionsMenu_->setEnabled(enabled);
    for (QAction* action : actionsMenu_->actions()) {
        action->setEnabled(enabled);
    }
}

void TDMForm::deleteWhere(const TDeleteCondition& condition) {
    const TMainPage current = page();
    int count = 0;
    {
        TBusyGrid busy(grid(current));
        try {
            count = deleteMatching(visibleLog(), host_.folder(), condition);
        } catch (const EXbError& e) {
            host_.prompts().information(this, QString::fromUtf8(e.what()));
        }
        if (count > 0) {
            somethingDeleted_ = true;
        }
        model(current).reload();
        showCurrentRow(current);
    }
    host_.prompts().information(this, QString::number(count) + " deleted.");
    updateMenus();
}

void TDMForm::DeleteCurrentFaxClick() {
    const TMainPage current = page();
    if (!grid(current)->isEnabled() || !host_.log(current).table().hasCurrent()) {
        return;
    }
    if (!confirm("DELETE", "Delete this fax? (action is permanent)")) {
        return;
    }
    try {
        if (deleteCurrentFax(visibleLog(), host_.folder())) {
            somethingDeleted_ = true;
        }
    } catch (const EXbError& e) {
        host_.prompts().information(this, QString::fromUtf8(e.what()));
    }
    model(current).reload();
    showCurrentRow(current);
    updateMenus();
}

void TDMForm::DeleteBeforeDateClick() {
    const std::optional<QDate> day = chooseDay(QDate::currentDate());
    if (!day || !day->isValid()) {
        return;
    }
    const QString text = "Delete all " + kind() + " faxes prior to " +
                         QLocale::system().toString(*day, QLocale::LongFormat) +
                         " (action is permanent)?";
    if (!confirm("DELETE", text)) {
        return;
    }
    // Dates are compared as dates: a two-digit year in text would put 2026 before 1999.
    const char* field = page() == TMainPage::Outgoing ? "DATESENT" : "DATEREC";
    deleteWhere(datedBefore(field, TXbDate{day->year(), day->month(), day->day()}));
}

void TDMForm::DeleteArchivedClick() {
    if (confirm("DELETE", "Delete all archived " + kind() + " faxes? (action is permanent)")) {
        deleteWhere(whereExpression(visibleLog().table(), "ARCHIVED"));
    }
}

void TDMForm::DeleteSentClick() {
    if (page() != TMainPage::Outgoing) {
        return;
    }
    if (confirm("DELETE",
                "Delete all outgoing faxes which have been sent? (action is permanent)")) {
        deleteWhere(whereExpression(visibleLog().table(), ".not. EMPTY(DATESENT)"));
    }
}

void TDMForm::DeleteNotSentClick() {
    if (page() != TMainPage::Outgoing) {
        return;
    }
    if (confirm("DELETE",
                "Delete all outgoing faxes which have NOT been sent? (action is permanent)")) {
        deleteWhere(whereExpression(visibleLog().table(), "EMPTY(DATESENT)"));
    }
}

void TDMForm::DeleteForConditionsClick() {
    const std::optional<TMatchChoice> choice = chooseConditions(page());
    if (!choice || matchValue(choice->value).empty()) {
        return;
    }
    deleteWhere(textMatches(choice->field, choice->value, choice->exact));
}

void TDMForm::DeleteAllClick() {
    if (confirm("DELETE ALL", "Delete all " + kind() + " faxes ? (action is permanent)")) {
        deleteWhere(whereExpression(visibleLog().table(), ".true."));
    }
}

void TDMForm::HelpButtonClick() {
    help_->showTopic(kHelpFaxLogCleanup);
}

}  // namespace px
