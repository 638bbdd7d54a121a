// The "Fax Log Cleanup Utility" window: both logs on two pages, every record
// in view (archived ones too), and the Actions menu that deletes faxes one by
// one or in bulk. The main window rebuilds the indexes after it when it
// deleted anything.
#pragma once

#include <QDate>
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "app/cleanup/delete_conditions.h"
#include "app/cleanup/delete_for_conditions.h"
#include "app/host/workflow_host.h"

class QAction;
class QMenu;
class QMenuBar;
class QTabWidget;
class QTableView;

namespace px {

class TLogModel;
class THelpCenter;

class TDMForm : public QDialog {
    Q_OBJECT

public:
    explicit TDMForm(TWorkflowHost& host, QWidget* parent = nullptr);
    ~TDMForm() override;

    // Asks for the day of Delete All Before A Particular Date; the date
    // selector by default, a script in tests.
    std::function<std::optional<QDate>(const QDate& today)> chooseDay;
    // Asks for the conditions; the conditions dialog by default.
    std::function<std::optional<TMatchChoice>(TMainPage page)> chooseConditions;

    bool somethingDeleted() const { return somethingDeleted_; }
    TMainPage page() const;
    void showPage(TMainPage page);

    QAction* deleteCurrentAction() const { return deleteCurrent_; }
    QAction* deleteBeforeAction() const { return deleteBefore_; }
    QAction* deleteArchivedAction() const { return deleteArchived_; }
    QAction* deleteSentAction() const { return deleteSent_; }
    QAction* deleteNotSentAction() const { return deleteNotSent_; }
    QAction* deleteConditionsAction() const { return deleteConditions_; }
    QAction* deleteAllAction() const { return deleteAll_; }
    QMenu* actionsMenu() const { return actionsMenu_; }
    QTabWidget* pages() const { return pages_; }
    QTableView* grid(TMainPage page) const;
    TLogModel& model(TMainPage page) const;
    // Makes a row of the page's grid current, as a click on it does.
    void selectRow(TMainPage page, int row);
    // The context menu the grid offers, or null when the grid is disabled.
    QMenu* gridMenu(TMainPage page) const;

    void FormActivate();
    void DeleteCurrentFaxClick();
    void DeleteBeforeDateClick();
    void DeleteArchivedClick();
    void DeleteSentClick();
    void DeleteNotSentClick();
    void DeleteForConditionsClick();
    void DeleteAllClick();
    void HelpButtonClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TLogTable& visibleLog() const;
    QString kind() const;
    bool confirm(const QString& caption, const QString& text);
    void deleteWhere(const TDeleteCondition& condition);
    void refreshTables();
    void PageChange();
    void updateMenus();
    void followSelection(TMainPage page);
    void showCurrentRow(TMainPage page);

    TWorkflowHost& host_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* actionsMenu_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QTableView* grids_[2] = {};
    TLogModel* models_[2] = {};
    THelpCenter* help_ = nullptr;
    QAction* deleteCurrent_ = nullptr;
    QAction* deleteBefore_ = nullptr;
    QAction* deleteArchived_ = nullptr;
    QAction* deleteSent_ = nullptr;
    QAction* deleteNotSent_ = nullptr;
    QAction* deleteConditions_ = nullptr;
    QAction* deleteAll_ = nullptr;

    std::string savedFilters_[2];
    bool firstActivation_ = true;
    bool filtersTaken_ = false;
    bool somethingDeleted_ = false;
};

}  // namespace px
