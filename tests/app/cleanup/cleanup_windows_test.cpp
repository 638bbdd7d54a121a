// The cleanup window's pages, menus and filters, its two dialogs, and the
// accessible names of all three.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "app/cleanup/date_selector.h"
#include "app/cleanup/delete_for_conditions.h"
#include "app/main_window/log_model.h"
#include "cleanup_fixture.h"
#include "support/accessibility.h"
#include "ui/help/help_topics.h"
#include "ui/help/help_window.h"

namespace px::test {
namespace {

class CleanupWindow : public CleanupFixture {};

TEST_F(CleanupWindow, ShowsEveryFaxWhileOpenAndGivesTheFiltersBackAtClose) {
    outgoing("Visible", "20261201");
    outgoing("Archived", "20261202", true);
    host.log(TMainPage::Outgoing).table().setFilter(".not. ARCHIVED");
    host.log(TMainPage::Incoming).table().setFilter(".not. ARCHIVED");
    auto form = openForm();

    EXPECT_EQ(form->windowTitle(), "Fax Log Cleanup Utility");
    EXPECT_EQ(form->model(TMainPage::Outgoing).rowCount(), 2) << "archived faxes are shown";
    TLogModel& model = form->model(TMainPage::Outgoing);
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c) {
        titles << model.headerData(c, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles,
              (QStringList{"Deleted?", "Archived?", "Date Sent", "Time Sent", "Recipient",
                           "Subject", "Fax#", "Last Attempt", "Fax File", "Codes", "Notes"}));
    EXPECT_EQ(form->model(TMainPage::Incoming).columnCount(), 8);

    // The outgoing page has faxes, the incoming page none.
    QTabWidget* pages = form->pages();
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(pages->tabText(0), "Outgoing Faxes");
    EXPECT_EQ(pages->tabText(1), "Incoming Faxes (none)");
    EXPECT_TRUE(form->actionsMenu()->isEnabled());
    EXPECT_TRUE(form->deleteSentAction()->isVisible());
    EXPECT_NE(form->gridMenu(TMainPage::Outgoing), nullptr);
    EXPECT_EQ(form->gridMenu(TMainPage::Incoming), nullptr);
    EXPECT_FALSE(form->grid(TMainPage::Incoming)->isEnabled());

    form->showPage(TMainPage::Incoming);
    EXPECT_FALSE(form->actionsMenu()->isEnabled());
    EXPECT_FALSE(form->deleteSentAction()->isVisible());
    EXPECT_FALSE(form->deleteNotSentAction()->isVisible());

    // Deleting the last outgoing faxes turns that page to "(none)" as well.
    form->showPage(TMainPage::Outgoing);
    host.scripted.answers = {true};
    form->DeleteAllClick();
    EXPECT_EQ(pages->tabText(0), "OutGoing Faxes (none)");
    EXPECT_FALSE(form->actionsMenu()->isEnabled());

    form->HelpButtonClick();
    THelpWindow* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<THelpWindow*>(w); candidate && w->isVisible()) {
            help = candidate;
        }
    }
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->findChild<QTextBrowser*>()->source(), QUrl(helpTopicPage(kHelpFaxLogCleanup)));
    help->close();

    form->reject();
    EXPECT_EQ(host.log(TMainPage::Outgoing).table().filter(), ".not. ARCHIVED");
    EXPECT_EQ(host.log(TMainPage::Incoming).table().filter(), ".not. ARCHIVED");
}

TEST_F(CleanupWindow, DoubleClickOnDeletedDeletesTheFaxUnderIt) {
    outgoing("First", "20261201", false, "FAX00001.APF");
    outgoing("Second", "20261202", false, "FAX00002.APF");
    auto form = openForm();
    QTableView* grid = form->grid(TMainPage::Outgoing);
    form->selectRow(TMainPage::Outgoing, 1);

    host.scripted.answers = {true};
    emit grid->doubleClicked(grid->model()->index(1, 4));
    EXPECT_TRUE(host.scripted.questions.empty()) << "only the Deleted? column deletes";

    emit grid->doubleClicked(grid->model()->index(1, 0));
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "DELETE");
    EXPECT_FALSE(exists(sendFile("FAX00002.APF")));
    EXPECT_TRUE(exists(sendFile("FAX00001.APF")));
    EXPECT_EQ(form->model(TMainPage::Outgoing).rowCount(), 1);
}

TEST_F(CleanupWindow, ConditionsDialogFollowsThePageAndAsksBeforeDeleting) {
    TDeleteForConditions out(TMainPage::Outgoing, {"ignored", "Ann Smith", "555 0100"},
                             host.scripted);
    EXPECT_EQ(out.windowTitle(), "Delete Faxes Where....");
    EXPECT_FALSE(out.fromChoice()->isEnabled());
    EXPECT_TRUE(out.recipientChoice()->isChecked());
    EXPECT_EQ(out.recipientText()->text(), "Ann Smith");
    EXPECT_EQ(out.phoneText()->text(), "555 0100");
    EXPECT_TRUE(out.exactMatch()->isChecked());

    out.phoneChoice()->setChecked(true);
    out.phoneText()->setText("  ");
    out.OkButtonClick();
    EXPECT_EQ(host.scripted.informations, (std::vector<QString>{"Please enter a value"}));
    EXPECT_TRUE(host.scripted.questions.empty());

    out.phoneText()->setText("555 0100");
    out.exactMatch()->setChecked(false);
    host.scripted.answers = {false};
    out.OkButtonClick();
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "VERIFY DELETE");
    EXPECT_EQ(host.scripted.questions[0].text,
              "Are you sure you wish to delete all faxes matching this criteria?");
    EXPECT_NE(out.result(), QDialog::Accepted);
    host.scripted.answers = {true};
    out.OkButtonClick();
    EXPECT_EQ(out.result(), QDialog::Accepted);
    const TMatchChoice chosen = out.choice();
    EXPECT_EQ(chosen.field, "PHONE");
    EXPECT_EQ(chosen.value, "555 0100");
    EXPECT_FALSE(chosen.exact);

    TDeleteForConditions in(TMainPage::Incoming, {"  ACME FAX  ", "x", "y"}, host.scripted);
    EXPECT_TRUE(in.fromChoice()->isChecked());
    EXPECT_FALSE(in.recipientChoice()->isEnabled());
    EXPECT_FALSE(in.phoneChoice()->isEnabled());
    EXPECT_EQ(in.fromText()->text(), "ACME FAX");
    EXPECT_EQ(in.choice().field, "FROM");
}

TEST_F(CleanupWindow, DateSelectorStepsAndNamesTheDay) {
    TDateSelector selector("Delete all before...", QDate(2026, 12, 8));
    selector.show();
    QApplication::processEvents();
    EXPECT_EQ(selector.windowTitle(), "Delete all before...");
    EXPECT_EQ(selector.calendar()->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(selector.panelText(), TDateSelector::longDayText(QDate(2026, 12, 8)));
    EXPECT_EQ(QLocale(QLocale::English).toString(QDate(2026, 12, 8), "dddd, MMMM d, yyyy"),
              "Tuesday, December 8, 2026");

    selector.YearBackClick();
    EXPECT_EQ(selector.selectedDate(), QDate(2025, 12, 8));
    selector.MonthForwardClick();
    EXPECT_EQ(selector.selectedDate(), QDate(2026, 1, 8));
    EXPECT_EQ(selector.panelText(), TDateSelector::longDayText(QDate(2026, 1, 8)));
    selector.MonthBackClick();
    selector.YearForwardClick();
    EXPECT_EQ(selector.selectedDate(), QDate(2026, 12, 8));
    selector.TodayClick();
    EXPECT_EQ(selector.selectedDate(), QDate::currentDate());

    // A day picked in the calendar shows in the panel; activating it is Ok.
    selector.calendar()->setSelectedDate(QDate(2027, 2, 14));
    EXPECT_EQ(selector.panelText(), TDateSelector::longDayText(QDate(2027, 2, 14)));
    emit selector.calendar()->activated(QDate(2027, 2, 14));
    EXPECT_EQ(selector.result(), QDialog::Accepted);
}

TEST_F(CleanupWindow, EveryControlOfTheThreeWindowsHasAnAccessibleName) {
    outgoing("Ann", "20261201");
    auto form = openForm();
    EXPECT_EQ(unnamedControls(form.get()), "");
    TDeleteForConditions conditions(TMainPage::Outgoing, {}, host.scripted);
    conditions.show();
    EXPECT_EQ(unnamedControls(&conditions), "");
    TDateSelector selector("Delete all before...", QDate(2026, 12, 8));
    selector.show();
    QApplication::processEvents();
    EXPECT_EQ(unnamedControls(&selector), "");
}

// With $PARVEX_SCREENSHOT_DIR set the picture goes there for the
// documentation, else into a scratch folder.
TEST_F(CleanupWindow, Screenshot) {
    outgoing("Ann Lovelace", "20261118", false, "FAX00001.APF", "", "555 0100");
    outgoing("Babbage & Sons", "20261201", true, "FAX00002.APF", "COV00002.APF", "555 0142");
    outgoing("Charles Smith", "", false, "", "COV00003.APF", "555 0199");
    {
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.goTo(1);
        t.setText("SUBJECT", "Quarterly figures");
        t.setText("LASTRESULT", "Sent");
        t.goTo(2);
        t.setText("SUBJECT", "Invoice 2211");
        t.setText("LASTRESULT", "Sent");
        t.goTo(3);
        t.setText("SUBJECT", "Meeting notes");
        t.setText("LASTRESULT", "Busy");
    }
    incoming("ACME SALES", "20261130", false, "R0000001.APF");
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString dir = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    auto form = openForm();
    form->resize(900, 300);
    form->selectRow(TMainPage::Outgoing, 0);
    QApplication::processEvents();
    const QPixmap shot = form->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(dir + "/cleanup-window.png"));

    TDeleteForConditions conditions(TMainPage::Outgoing, {"", "Charles Smith", "555 0199"},
                                    host.scripted, form.get());
    conditions.show();
    TDateSelector selector("Delete all before...", QDate(2026, 12, 8), form.get());
    selector.show();
    QApplication::processEvents();
    ASSERT_TRUE(conditions.grab().save(dir + "/cleanup-conditions.png"));
    ASSERT_TRUE(selector.grab().save(dir + "/cleanup-date-selector.png"));
}

}  // namespace
}  // namespace px::test
