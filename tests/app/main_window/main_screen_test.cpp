#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <filesystem>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/host/status_panel.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/phonebook/phone_book.h"
#include "main_window_fixture.h"
#include "support/accessibility.h"
#include "support/apf_samples.h"
#include "ui/coverdesign/preview_covers.h"
#include "ui/help/help_center.h"
#include "ui/viewer/fax_viewer.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

using MainScreen = MainWindowFixture;

bool enabled(TMainScreen& w, TCommand c) {
    return w.action(c)->isEnabled();
}

TEST_F(MainScreen, EnabledCommandsOnEmptyAndFilledLogsOnBothPages) {
    configured();
    writeLogs({}, {});
    open();
    for (TCommand c : {TCommand::SendFax, TCommand::Edit, TCommand::Delete, TCommand::ViewPrintFax,
                       TCommand::Archive, TCommand::AddCoverSheet, TCommand::Clone,
                       TCommand::ForwardReceivedFax}) {
        EXPECT_FALSE(enabled(*window, c)) << static_cast<int>(c);
    }
    EXPECT_TRUE(enabled(*window, TCommand::Sort));
    EXPECT_TRUE(enabled(*window, TCommand::NewCoverSheet));
    EXPECT_TRUE(enabled(*window, TCommand::NewFaxFromFile));
    EXPECT_FALSE(window->outgoingGrid()->isEnabled());
    window->close();
    window.reset();

    writeLogs({{"Offer", "Ann", "", "FAX00001.APF", "COV00001.APF"}},
              {{"STATION", "20261201", "R0000001.APF"}});
    open();
    EXPECT_TRUE(enabled(*window, TCommand::SendFax));
    EXPECT_TRUE(enabled(*window, TCommand::Edit));
    EXPECT_TRUE(enabled(*window, TCommand::Clone));
    EXPECT_FALSE(enabled(*window, TCommand::AddCoverSheet)) << "the fax has a cover";
    EXPECT_FALSE(enabled(*window, TCommand::ForwardReceivedFax));
    EXPECT_TRUE(window->incomingGrid()->isEnabled());

    window->tabStrip()->setCurrentIndex(1);
    QApplication::processEvents();
    ASSERT_EQ(window->page(), TMainPage::Incoming);
    EXPECT_FALSE(enabled(*window, TCommand::NewCoverSheet));
    EXPECT_FALSE(enabled(*window, TCommand::NewFaxFromFile));
    EXPECT_FALSE(enabled(*window, TCommand::AddCoverSheet));
    EXPECT_FALSE(enabled(*window, TCommand::Clone));
    EXPECT_TRUE(enabled(*window, TCommand::ForwardReceivedFax));
    EXPECT_TRUE(enabled(*window, TCommand::Delete));
    EXPECT_TRUE(enabled(*window, TCommand::SendFax)) << "Send is left as it was";
    EXPECT_EQ(window->sortMenu(TMainPage::Incoming)->actions().size(), 2);
}

TEST_F(MainScreen, ArchiveAsksFirstAndToggles) {
    configured();
    writeLogs({{"Offer", "Ann", "20261201"}, {"", "Bob", "20261130"}}, {});
    open();
    ASSERT_EQ(rows(TMainPage::Outgoing), 2);
    prompts.answers = {false};
    trigger(TCommand::Archive);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "Archive");
    EXPECT_EQ(prompts.questions[0].text, "Archive the current fax?\n(subject: Offer)");
    EXPECT_TRUE(prompts.questions[0].noDefault);
    EXPECT_EQ(rows(TMainPage::Outgoing), 2) << "No leaves the fax alone";

    prompts.answers = {true};
    trigger(TCommand::Archive);
    EXPECT_EQ(rows(TMainPage::Outgoing), 1) << "archived faxes are hidden";
    EXPECT_EQ(cell(TMainPage::Outgoing, 0, "RECIPIENT"), "Bob");

    prompts.answers = {true};
    trigger(TCommand::Archive);
    EXPECT_EQ(prompts.questions.back().text, "Archive the current fax?\n(no subject)");
    EXPECT_EQ(rows(TMainPage::Outgoing), 0);
    EXPECT_FALSE(enabled(*window, TCommand::Archive));

    trigger(TCommand::ShowArchivedFaxes);
    ASSERT_EQ(rows(TMainPage::Outgoing), 2);
    EXPECT_EQ(window->action(TCommand::Archive)->text(), "Un&Archive");
    EXPECT_EQ(window->action(TCommand::Archive)->toolTip(), "Unarchive this fax [CTRL+A]");
    prompts.answers = {true};
    trigger(TCommand::Archive);
    EXPECT_TRUE(prompts.questions.back().text.startsWith("UnArchive the current fax?"));
    EXPECT_EQ(window->action(TCommand::Archive)->text(), "&Archive");
}

TEST_F(MainScreen, ShowArchivedTwiceRestoresTheFilterOnBothLogs) {
    configured();
    writeLogs({{"A", "Ann", "20261201", "", "", true}}, {{"X", "20261201", "R1.APF", true}});
    open();
    EXPECT_EQ(rows(TMainPage::Outgoing), 0);
    EXPECT_EQ(rows(TMainPage::Incoming), 0);
    trigger(TCommand::ShowArchivedFaxes);
    EXPECT_TRUE(window->action(TCommand::ShowArchivedFaxes)->isChecked());
    EXPECT_EQ(rows(TMainPage::Outgoing), 1);
    EXPECT_EQ(rows(TMainPage::Incoming), 1);
    EXPECT_EQ(window->outgoingLog().table().filter(), "");
    trigger(TCommand::ShowArchivedFaxes);
    EXPECT_FALSE(window->action(TCommand::ShowArchivedFaxes)->isChecked());
    EXPECT_EQ(window->outgoingLog().table().filter(), ".not. ARCHIVED");
    EXPECT_EQ(window->incomingLog().table().filter(), ".not. ARCHIVED");
    EXPECT_EQ(rows(TMainPage::Outgoing), 0);
    EXPECT_EQ(rows(TMainPage::Incoming), 0);
}

// Each page's Delete reaches its own log's workflow (which the workflow
// tests cover in full) and the grids show the result.
TEST_F(MainScreen, DeleteWorksOnTheVisiblePagesLog) {
    configured();
    writeLogs({{"Body", "Bob", "20261130", "FAX00002.APF", ""}},
              {{"STATION", "20261201", "R0000001.APF"}});
    fs::create_directories(home / "SEND");
    fs::create_directories(home / "Receive");
    for (const char* f : {"SEND/FAX00002.APF", "Receive/R0000001.APF"}) {
        writeFile(home / f, "x");
    }
    open();
    ASSERT_EQ(rows(TMainPage::Outgoing), 1);
    prompts.answers = {true};
    trigger(TCommand::Delete);
    EXPECT_EQ(prompts.questions.back().text, "Delete the current fax?\n(subject: \"Body\")");
    EXPECT_FALSE(fs::exists(home / "SEND/FAX00002.APF"));
    EXPECT_EQ(rows(TMainPage::Outgoing), 0);
    EXPECT_EQ(rows(TMainPage::Incoming), 1);

    window->showPage(TMainPage::Incoming);
    window->evaluateCommands();
    prompts.answers = {true};
    trigger(TCommand::Delete);
    EXPECT_EQ(prompts.questions.back().text, "Delete the current fax?\n(from: \"STATION\")");
    EXPECT_FALSE(fs::exists(home / "Receive/R0000001.APF"));
    EXPECT_EQ(rows(TMainPage::Incoming), 0);
}

TEST_F(MainScreen, SortMenuSetsTheOrderAndChecksOneEntry) {
    configured();
    writeLogs(
        {{"Beta", "Zed", "20261201"}, {"alpha", "Amy", "20261130"}, {"Gamma", "Max", "20261202"}},
        {{"bravo", "20261201", "R1.APF"}, {"ALPHA", "20261202", "R2.APF"}});
    open();
    EXPECT_TRUE(window->outgoingSortAction(TOutgoingSort::DateSent)->isChecked());
    EXPECT_EQ(cell(TMainPage::Outgoing, 0, "SUBJECT"), "Gamma") << "newest first";
    window->outgoingSortAction(TOutgoingSort::Subject)->trigger();
    EXPECT_EQ(cell(TMainPage::Outgoing, 0, "SUBJECT"), "alpha");
    EXPECT_EQ(cell(TMainPage::Outgoing, 2, "SUBJECT"), "Gamma");
    EXPECT_TRUE(window->outgoingSortAction(TOutgoingSort::Subject)->isChecked());
    EXPECT_FALSE(window->outgoingSortAction(TOutgoingSort::DateSent)->isChecked());
    window->outgoingSortAction(TOutgoingSort::Recipient)->trigger();
    EXPECT_EQ(cell(TMainPage::Outgoing, 0, "RECIPIENT"), "Amy");

    window->incomingSortAction(TIncomingSort::From)->trigger();
    EXPECT_EQ(cell(TMainPage::Incoming, 0, "FROM"), "bravo") << "From sorts descending";
    window->setFaxBeingReceived(true);
    window->incomingSortAction(TIncomingSort::DateReceived)->trigger();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(cell(TMainPage::Incoming, 0, "FROM"), "bravo");
    EXPECT_TRUE(window->incomingSortAction(TIncomingSort::From)->isChecked());
    EXPECT_FALSE(window->incomingSortAction(TIncomingSort::DateReceived)->isChecked());
    window->setFaxBeingReceived(false);
}

TEST_F(MainScreen, ReceiveModeRefusesTheCommandsThatNeedTheModemOrAWindow) {
    configured();
    writeLogs({{"Cover", "Ann", "", "", "COV00001.APF"}, {"Plain", "Bob", "", "F.APF", ""}},
              {{"X", "20261201", "R1.APF"}});
    open();
    window->setReceiveMode(true);
    EXPECT_EQ(window->action(TCommand::ReceiveFax)->iconText(), "STOP");
    const QString refusal = messageText(kReceiveModeRefusal);
    for (TCommand c : {TCommand::ViewPrintFax, TCommand::Preferences, TCommand::PhoneBook,
                       TCommand::RebuildIndexes, TCommand::NewCoverSheet, TCommand::NewFaxFromFile,
                       TCommand::CoverDesigner, TCommand::FaxLogCleanup, TCommand::VisitWebsite}) {
        prompts.informations.clear();
        window->action(c)->setEnabled(true);
        trigger(c);
        ASSERT_EQ(prompts.informations.size(), 1u) << static_cast<int>(c);
        EXPECT_EQ(prompts.informations[0], refusal);
    }
    prompts.informations.clear();
    window->addCoverSheetClick();
    window->forwardClick();
    window->sendClick();
    ASSERT_EQ(prompts.informations.size(), 3u);
    EXPECT_EQ(prompts.informations[0], refusal);
    EXPECT_EQ(prompts.informations[1], refusal);
    EXPECT_TRUE(
        prompts.informations[2].startsWith("You are in Fax Receive mode. You cannot send\n"));

    // Edit is refused for a fax with a cover only.
    prompts.informations.clear();
    window->selectRow(TMainPage::Outgoing, 0);
    ASSERT_EQ(window->outgoingLog().table().text("SUBJECT"), "Cover");
    int editorShown = 0;
    window->outgoing().setFaxInformationEditor([&](QWidget*, const QString&, TFaxInformation&) {
        ++editorShown;
        return false;
    });
    window->editClick();
    EXPECT_EQ(prompts.informations.size(), 1u);
    window->selectRow(TMainPage::Outgoing, 1);
    window->editClick();
    EXPECT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(editorShown, 1) << "a fax without a cover is edited in receive mode too";

    // While a fax comes in, the incoming page's Edit, Delete and Archive only beep.
    window->setFaxBeingReceived(true);
    window->showPage(TMainPage::Incoming);
    window->editClick();
    window->deleteClick();
    window->archiveClick();
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_TRUE(prompts.questions.empty());
    window->setFaxBeingReceived(false);
    window->setReceiveMode(false);
}

TEST_F(MainScreen, SendFromTheIncomingPageAsksToSwitchTabs) {
    configured();
    writeLogs({}, {{"X", "20261201", "R1.APF"}});
    open();
    window->showPage(TMainPage::Incoming);
    window->sendClick();
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(prompts.informations[0], messageText(kSendFromIncomingPage));
    window->showPage(TMainPage::Outgoing);
    window->sendClick();
    EXPECT_EQ(prompts.beeps, 1) << "no outgoing fax to send";
}

TEST_F(MainScreen, ViewOffersCoverOrDocumentAndReportsMissingFiles) {
    configured();
    writeLogs({{"Both", "Ann", "20261201", "FAX00001.APF", "COV00001.APF"},
               {"Gone", "Bob", "20261130", "FAX00009.APF", ""}},
              {});
    fs::create_directories(home / "SEND");
    writeFile(home / "SEND/FAX00001.APF", "x");
    writeFile(home / "SEND/COV00001.APF", "x");
    open();
    prompts.choices = {-1};
    trigger(TCommand::ViewPrintFax);
    ASSERT_EQ(prompts.choicesOffered.size(), 1u);
    EXPECT_EQ(prompts.choicesOffered[0],
              QStringList({"View Cover File", "View Original Document"}));
    EXPECT_TRUE(prompts.informations.empty()) << "Cancel ends the command";
    EXPECT_FALSE(window->statusPanel().isVisible()) << "status panel restored";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    window->selectRow(TMainPage::Outgoing, 1);
    trigger(TCommand::ViewPrintFax);
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(prompts.informations[0], "Error opening fax file");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainScreen, ViewOpensTheViewerModallyOnTheReceivedFax) {
    configured();
    writeLogs({}, {{"ACME SALES", "20261201", "R0000001.APF"}});
    fs::create_directories(home / "Receive");
    QImage page(1728, 400, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    page.scanLine(10)[10] = 0;
    writeApfPages(home / "Receive/R0000001.APF", {page, page}, true);
    open();
    window->showPage(TMainPage::Incoming);
    window->selectRow(TMainPage::Incoming, 0);
    QApplication::processEvents();
    ASSERT_EQ(rows(TMainPage::Incoming), 1);

    QString title;
    QString file;
    QString status;
    QString header;
    bool modal = false;
    // Looks for the modal viewer until it is up, then closes it.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<TFaxViewer*>(QApplication::activeModalWidget());
        if (viewer == nullptr || !viewer->ready()) {
            return;
        }
        poll.stop();
        modal = viewer->isModal();
        title = viewer->title();
        header = viewer->printHeader();
        file = viewer->faxViewer()->fileName();
        status = viewer->statusLine()->text();
        viewer->close();
    });
    poll.start();
    window->viewClick();
    EXPECT_EQ(prompts.beeps, 0);
    EXPECT_TRUE(modal);
    EXPECT_EQ(title, "Fax printout");
    EXPECT_TRUE(file.endsWith("R0000001.APF")) << file.toStdString();
    EXPECT_EQ(status, "Fax printout: Page 1 of 2");
    EXPECT_TRUE(header.startsWith("From: ACME SALES" + QString(13, ' ') + "Received: "))
        << header.toStdString();
    EXPECT_TRUE(prompts.informations.empty());
}

TEST_F(MainScreen, RebuildIndexesPacksDeletedRecordsAndAddsTheMarker) {
    configured();
    writeLogs({{"Keep", "Ann", "20261201"}, {"Drop", "Bob", "20261130"}}, {}, false);
    prompts.answers = {false};  // decline the reindex offered at start
    open();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "REINDEX");
    EXPECT_EQ(prompts.questions[0].text, "Parvex's files need to be reindexed.\nDo this now?");
    EXPECT_FALSE(window->outgoingLog().hasMarkerTag());

    window->selectRow(TMainPage::Outgoing, 1);
    prompts.answers = {true};
    trigger(TCommand::Delete);
    EXPECT_EQ(window->outgoingLog().table().recCount(), 2u);
    trigger(TCommand::RebuildIndexes);
    EXPECT_TRUE(window->outgoingLog().hasMarkerTag());
    EXPECT_TRUE(window->incomingLog().hasMarkerTag());
    EXPECT_EQ(window->outgoingLog().table().recCount(), 1u);
    EXPECT_EQ(rows(TMainPage::Outgoing), 1);
    EXPECT_TRUE(fs::exists(home / "PXPB.DBF"));
    EXPECT_FALSE(window->statusPanel().isVisible());
}

TEST_F(MainScreen, PhoneBookOpensTheBrowserInBrowseMode) {
    configured();
    writeLogs({}, {});
    open();
    QString title;
    bool browsing = false;
    QTimer::singleShot(0, [&] {
        auto* book = qobject_cast<TPhoneBook*>(QApplication::activeModalWidget());
        ASSERT_NE(book, nullptr);
        title = book->windowTitle();
        browsing = book->mode() == TPhoneBookMode::Browse && book->closeButton()->isVisible();
        book->closeButton()->click();
    });
    trigger(TCommand::PhoneBook);
    EXPECT_EQ(title, "Phone Book Browser");
    EXPECT_TRUE(browsing);
    EXPECT_TRUE(fs::exists(home / "PXPB.CDX"));
    EXPECT_FALSE(window->statusPanel().isVisible());
}

TEST_F(MainScreen, DoubleClickEditsOnlyWhileEditIsEnabled) {
    configured();
    writeLogs({{"Only", "Ann", "20261201"}}, {});
    open();
    int editorShown = 0;
    window->outgoing().setFaxInformationEditor([&](QWidget*, const QString&, TFaxInformation&) {
        ++editorShown;
        return false;
    });
    QTableView* grid = window->outgoingGrid();
    emit grid->doubleClicked(window->outgoingModel().index(0, 0));
    EXPECT_EQ(editorShown, 1);
    window->action(TCommand::Edit)->setEnabled(false);
    emit grid->doubleClicked(window->outgoingModel().index(0, 0));
    EXPECT_EQ(editorShown, 1);
}

TEST_F(MainScreen, VisitWebsiteOpensTheDocumentationThatShipsWithTheProgram) {
    configured();
    writeLogs({}, {});
    TUrlRecorder browser;
    for (const char* scheme : {"http", "https", "file"}) {
        QDesktopServices::setUrlHandler(scheme, &browser, "open");
    }
    THelpCenter help;
    window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts, &help);
    help.setOwner(window.get());
    window->show();
    window->firstActivation();

    window->setReceiveMode(true);
    trigger(TCommand::VisitWebsite);
    EXPECT_EQ(prompts.informations.size(), 1u) << "refused in receive mode";
    EXPECT_EQ(help.helpWindow(), nullptr);
    window->setReceiveMode(false);

    trigger(TCommand::VisitWebsite);
    for (const char* scheme : {"http", "https", "file"}) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
    EXPECT_TRUE(browser.opened.empty()) << browser.opened.front().toString().toStdString();
    ASSERT_NE(help.helpWindow(), nullptr);
    EXPECT_TRUE(help.helpWindow()->isVisible());
    EXPECT_EQ(help.helpWindow()->browser()->source(), QUrl("qrc:/help/contents.html"));
    EXPECT_FALSE(help.helpWindow()->browser()->toPlainText().isEmpty());
    window->close();
    window.reset();
}

TEST_F(MainScreen, MenuHintsShowInTheStatusBarAndShowHintsOffStopsOnlyToolTips) {
    configured();
    writeLogs({}, {});
    open();
    auto* hints = window->findChild<QStatusBar*>();
    ASSERT_NE(hints, nullptr) << "no status bar for the hints";
    EXPECT_FALSE(hints->accessibleName().isEmpty());
    QMenu* file = window->menuBar()->actions().front()->menu();
    ASSERT_NE(file, nullptr);
    const auto hover = [&](TCommand command) {
        file->popup(window->mapToGlobal(QPoint(10, 10)));
        QApplication::processEvents();
        QAction* entry = window->action(command);
        QTest::mouseMove(file, file->actionGeometry(entry).center());
        QApplication::processEvents();
        const QString shown = hints->currentMessage();
        file->hide();
        QApplication::processEvents();
        return shown;
    };
    EXPECT_EQ(hover(TCommand::RebuildIndexes), "Do this every 2 weeks ");
    EXPECT_EQ(hover(TCommand::Exit), "Close Parvex [CTRL+X]");
    EXPECT_TRUE(window->statusPanel().isHidden()) << "the status panel stays for long operations";

    QWidget* button = window->findChild<QToolBar*>("buttonBar")
                          ->widgetForAction(window->action(TCommand::NewCoverSheet));
    ASSERT_NE(button, nullptr);
    const auto toolTipShown = [&] {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
        const QPoint at = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
        QApplication::sendEvent(button, &help);
        return QToolTip::isVisible();
    };
    EXPECT_TRUE(toolTipShown());
    trigger(TCommand::ShowHints);
    ASSERT_FALSE(window->action(TCommand::ShowHints)->isChecked());
    EXPECT_FALSE(toolTipShown()) << "hints off: no tool tips";
    EXPECT_EQ(hover(TCommand::RebuildIndexes), "Do this every 2 weeks ") << "status tips stay";
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

TEST_F(MainWindowFixture, CtrlTabSwitchesBetweenTheTwoLogs) {
    configured();
    writeLogs({}, {{"X", "20261201", "R1.APF"}});
    open();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_EQ(window->page(), TMainPage::Outgoing);
    QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->page(), TMainPage::Incoming);
    EXPECT_TRUE(window->action(TCommand::ForwardReceivedFax)->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->page(), TMainPage::Outgoing);
}

// New Fax from File in the File menu, through the window: the converted
// document shows in the outgoing log with what the editor was given.
TEST_F(MainScreen, NewFaxFromFileShowsTheNewFaxInTheOutgoingLog) {
    configured();
    writeLogs({}, {});
    open();
    const QList<QAction*> file = window->menuBar()->actions()[0]->menu()->actions();
    EXPECT_EQ(file.indexOf(window->action(TCommand::NewFaxFromFile)),
              file.indexOf(window->action(TCommand::NewCoverSheet)) + 1);
    writeFile(home / "letter.txt", "Dear Ada,\n");
    window->outgoing().setDocumentChooser(
        [this](QWidget*) { return QString::fromStdString(home / "letter.txt"); });
    window->outgoing().setFaxInformationEditor([](QWidget*, const QString&, TFaxInformation& info) {
        info = {"Ada Lovelace", "555 0100", "Letter", "", ""};
        return true;
    });
    trigger(TCommand::NewFaxFromFile);
    EXPECT_TRUE(prompts.informations.empty());
    ASSERT_EQ(window->outgoingModel().rowCount({}), 1);
    EXPECT_EQ(window->outgoingLog().table().text("SUBJECT"), "Letter");
    EXPECT_EQ(window->outgoingLog().table().text("FAXDOC"), "FAX00000.APF");
    EXPECT_TRUE(fs::exists(folder() + "SEND/FAX00000.APF"));
    EXPECT_TRUE(enabled(*window, TCommand::Edit));
}

// A workflow that appends a fax has the log reopened: the new record shows,
// the archive filter and the sort order still hold, and it stays current.
TEST_F(MainScreen, ReopenedLogShowsTheNewRecordAndKeepsFilterOrderAndPlace) {
    configured();
    writeLogs({{"Old", "Ann", "20261201"}, {"Hidden", "Eve", "20261130", "", "", true}}, {});
    open();
    trigger(TCommand::Sort);
    window->outgoingSortAction(TOutgoingSort::Subject)->trigger();
    TXbTable& table = window->log(TMainPage::Outgoing).table();
    const int order = table.order();
    table.append();
    table.setText("SUBJECT", "New");
    const std::uint32_t added = table.recNo();

    window->reopenLog(TMainPage::Outgoing);

    EXPECT_EQ(rows(TMainPage::Outgoing), 2) << "the archived fax stays hidden";
    EXPECT_EQ(table.order(), order);
    EXPECT_EQ(table.recNo(), added);
    EXPECT_EQ(cell(TMainPage::Outgoing, 0, "SUBJECT"), "New");
    EXPECT_EQ(cell(TMainPage::Outgoing, 1, "SUBJECT"), "Old");
}

TEST_F(MainScreen, EveryControlHasAnAccessibleName) {
    configured();
    writeLogs({{"Offer", "Ann", "20261201", "FAX00001.APF"}}, {{"STATION", "20261201", "R1.APF"}});
    open();
    for (const TMainPage page : {TMainPage::Outgoing, TMainPage::Incoming}) {
        window->showPage(page);
        QApplication::processEvents();
        EXPECT_EQ(unnamedControls(window.get()), "") << static_cast<int>(page);
    }
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

// Answers the designer's Save As with a name and description; the other
// dialogs are the real ones.
class TSaveAsAnswer : public TDesignerDialogBoxes {
public:
    std::optional<TTemplateName> saveTemplateAs(QWidget*, const QString&,
                                                const TTemplateName&) override {
        return TTemplateName{QStringLiteral("MYCOVER.FCS"), QStringLiteral("My own cover")};
    }
};

TEST_F(MainScreen, DesignerMakesATemplateThatTheTemplateListShowsWithItsPreview) {
    configured();
    writeLogs({}, {});
    open();
    trigger(TCommand::CoverDesigner);
    TCoverDesMainScreen* designer = window->coverDesigner();
    ASSERT_NE(designer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(designer));
    TSaveAsAnswer dialogs;
    designer->setDialogs(&dialogs);

    // Rectangle tool, then a drag on the page.
    designer->toolButton(TLPanelState::psRectangle)->click();
    TFaxCoverPanel& page = designer->page();
    QTest::mousePress(&page, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&page, QPoint(300, 200));
    QTest::mouseRelease(&page, Qt::LeftButton, {}, QPoint(300, 200));
    ASSERT_EQ(page.model().count(), 1u);
    EXPECT_TRUE(designer->saveButton()->isVisible());
    designer->saveButton()->click();
    EXPECT_EQ(designer->windowTitle(),
              QStringLiteral("Cover Sheet Template Designer - My own cover"));

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<TPreviewCovers*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("Preview Fax Cover Templates"));
        const auto found =
            preview->list()->findItems(QStringLiteral("MYCOVER.FCS"), Qt::MatchFixedString);
        EXPECT_EQ(found.size(), 1);
        EXPECT_EQ(preview->list()->currentItem()->text(), QStringLiteral("MYCOVER.FCS"));
        EXPECT_FALSE(preview->picture()->pixmap().isNull());
        EXPECT_EQ(preview->description()->text(), QStringLiteral("My own cover"));
        seen = true;
        preview->reject();
    });
    designer->PreviewClick();
    EXPECT_TRUE(seen);
    designer->close();
}

TEST_F(MainScreen, ClosingTheProgramOffersToSaveAnOpenDesign) {
    configured();
    writeLogs({}, {});
    open();
    trigger(TCommand::CoverDesigner);
    TCoverDesMainScreen* designer = window->coverDesigner();
    ASSERT_NE(designer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(designer));
    designer->page().setPanelState(TLPanelState::psRectangle);
    designer->page().DropObject(QRect(50, 50, 40, 40));
    ASSERT_TRUE(designer->changesMade());
    prompts.answers.push_back(false);
    window->close();
    ASSERT_FALSE(prompts.questions.empty());
    EXPECT_EQ(prompts.questions.back().text, QStringLiteral("Save changes?"));
}

TEST_F(MainScreen, PreferencesOpensTheWizardWhichAFirstRunReachesOnce) {
    open();  // a first run: the quick setup was cancelled
    ASSERT_EQ(preferenceWindows, std::vector<std::string>{"TQuickSetupForm"});
    EXPECT_TRUE(window->firstRun());
    trigger(TCommand::Preferences);
    EXPECT_EQ(preferenceWindows.back(), "TPreferences");
    EXPECT_FALSE(window->firstRun()) << "the wizard took the first run";
}

}  // namespace
}  // namespace px::test
