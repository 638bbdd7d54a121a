// File > Fax Log Cleanup from the main window: the window deletes, the main
// window rebuilds the indexes afterwards, and the next start asks nothing.
#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "app/cleanup/dm_form.h"
#include "main_window_fixture.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class FaxLogCleanup : public MainWindowFixture {};

TEST_F(FaxLogCleanup, DeletingRebuildsTheIndexesAndTheNextStartAsksNothing) {
    configured();
    writeLogs({{"Keep", "Ann", "20261201", "FAX00001.APF"},
               {"Old", "Bob", "20261130", "FAX00002.APF", "", true}},
              {{"ACME", "20261129", "R1.APF", true}}, false);
    fs::create_directories(home / "SEND");
    writeFile(home / "SEND/FAX00002.APF", "fax");
    prompts.answers = {false};  // decline the reindex offered at start
    open();
    ASSERT_EQ(prompts.questions.size(), 1u);
    ASSERT_EQ(rows(TMainPage::Outgoing), 1) << "the archived fax is hidden";

    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TDMForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        shown = true;
        EXPECT_EQ(window->outgoingLog().table().filter(), "") << "every fax in view";
        prompts.answers = {true};
        form->DeleteArchivedClick();
        form->reject();
    });
    trigger(TCommand::FaxLogCleanup);
    ASSERT_TRUE(shown);
    EXPECT_EQ(prompts.informations.back(), "1 deleted.");
    EXPECT_FALSE(fs::exists(home / "SEND/FAX00002.APF"));

    // Rebuild Indexes ran: the deleted record is packed away, the marker is there.
    EXPECT_TRUE(window->outgoingLog().hasMarkerTag());
    EXPECT_TRUE(window->incomingLog().hasMarkerTag());
    EXPECT_EQ(window->outgoingLog().table().recCount(), 1u);
    EXPECT_EQ(window->outgoingLog().table().filter(), window->filter().text());
    EXPECT_EQ(window->incomingLog().table().filter(), window->filter().text());
    EXPECT_EQ(rows(TMainPage::Outgoing), 1);

    window->close();
    window.reset();
    const std::size_t asked = prompts.questions.size();
    open();
    EXPECT_EQ(prompts.questions.size(), asked) << "no reindex question";
}

TEST_F(FaxLogCleanup, ClosingWithoutDeletingLeavesTheIndexesAlone) {
    configured();
    writeLogs({{"Keep", "Ann", "20261201"}}, {}, false);
    prompts.answers = {false};
    open();
    QTimer::singleShot(0, [] {
        if (auto* form = qobject_cast<TDMForm*>(QApplication::activeModalWidget())) {
            form->reject();
        }
    });
    trigger(TCommand::FaxLogCleanup);
    EXPECT_FALSE(window->outgoingLog().hasMarkerTag());
    EXPECT_EQ(window->outgoingLog().table().filter(), window->filter().text());
}

}  // namespace
}  // namespace px::test
