// The phone book browser and its entry editor on the offscreen platform: the
// first use, adding, editing and deleting in NAME order, selection mode, the
// field limits, and names for every control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <filesystem>

#include "app/host/scripted_prompts.h"
#include "app/phonebook/phone_book.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class PhoneBookTest : public ::testing::Test {
protected:
    test::TempDir home;
    test::TScriptedPrompts prompts;
    std::shared_ptr<TTableEnv> env = makeLogEnvironment();
    // What the scripted editor returns in turn; an empty name stands for Cancel.
    std::deque<TPhoneBookEntry> edits;
    std::vector<TPhoneBookEntry> editorShown;

    std::unique_ptr<TPhoneBook> openBook(TPhoneBookMode mode = TPhoneBookMode::Browse) {
        auto book = std::make_unique<TPhoneBook>(home.path(), env, prompts, mode);
        book->setEditor([this](QWidget*, TPhoneBookEntry& entry) {
            editorShown.push_back(entry);
            if (edits.empty() || edits.front().name.isEmpty()) {
                if (!edits.empty()) {
                    edits.pop_front();
                }
                return false;
            }
            entry = edits.front();
            edits.pop_front();
            return true;
        });
        EXPECT_TRUE(book->openBook());
        book->show();
        return book;
    }

    static QStringList names(TPhoneBook& book) {
        QStringList out;
        auto* model = book.grid()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            out << model->index(row, 0).data().toString() + "=" +
                       model->index(row, 1).data().toString();
        }
        return out;
    }
};

TEST_F(PhoneBookTest, FirstUseCreatesTheTableAndOpensEmptyWithEditAndDeleteOff) {
    auto book = openBook();
    EXPECT_TRUE(fs::exists(home / "PXPB.DBF"));
    EXPECT_TRUE(fs::exists(home / "PXPB.CDX"));
    EXPECT_EQ(book->windowTitle(), "Phone Book Browser");
    EXPECT_EQ(book->entryCount(), 0);
    EXPECT_FALSE(book->editButton()->isEnabled());
    EXPECT_FALSE(book->deleteButton()->isEnabled());
    EXPECT_TRUE(book->newButton()->isEnabled());
    // Reached anyway (a double click), they only beep.
    book->editClick();
    book->deleteClick();
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(editorShown.empty());
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(PhoneBookTest, AFolderThatCannotHoldTheTableShowsNoPhoneBook) {
    TPhoneBook book(home / "missing/folder", env, prompts, TPhoneBookMode::Browse);
    EXPECT_FALSE(book.openBook());
    EXPECT_TRUE(prompts.informations.empty());
}

TEST_F(PhoneBookTest, NewEditAndDeleteKeepTheListInNameOrder) {
    auto book = openBook();
    edits = {{"bob", "1"}, {"Alice", "2"}, {"alice", "3"}, {"", ""}};
    for (int i = 0; i < 4; ++i) {
        book->newClick();
    }
    // The order of the key as stored: no case folding.
    EXPECT_EQ(names(*book), QStringList({"Alice=2", "alice=3", "bob=1"}));
    EXPECT_TRUE(book->editButton()->isEnabled());
    EXPECT_TRUE(book->deleteButton()->isEnabled());
    // A new entry becomes the current one; New starts empty.
    EXPECT_EQ(book->grid()->currentIndex().row(), 1);
    EXPECT_EQ(editorShown[0].name, "");

    // Editing the last entry moves it to the top and keeps it current.
    book->selectRow(2);
    edits = {{"Aaron", "99"}};
    book->editClick();
    EXPECT_EQ(editorShown.back().name, "bob");
    EXPECT_EQ(editorShown.back().phone, "1");
    EXPECT_EQ(names(*book), QStringList({"Aaron=99", "Alice=2", "alice=3"}));
    EXPECT_EQ(book->grid()->currentIndex().row(), 0);
    // Cancelling the editor changes nothing.
    book->selectRow(1);
    edits = {{"", ""}};
    book->editClick();
    EXPECT_EQ(names(*book), QStringList({"Aaron=99", "Alice=2", "alice=3"}));

    // Delete asks first, with No as the default; No keeps the entry.
    book->selectRow(1);
    prompts.answers = {false, true};
    book->deleteClick();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "Delete");
    EXPECT_EQ(prompts.questions[0].text, "Delete the current phone book entry?:\nAlice");
    EXPECT_TRUE(prompts.questions[0].noDefault);
    EXPECT_EQ(book->entryCount(), 3);
    book->selectRow(1);
    book->deleteClick();
    EXPECT_EQ(names(*book), QStringList({"Aaron=99", "alice=3"}));
    book.reset();

    // The deleted entry stays away in a browser opened later, though its
    // record is in the file until the next rebuild.
    auto again = openBook();
    EXPECT_EQ(names(*again), QStringList({"Aaron=99", "alice=3"}));
    EXPECT_EQ(again->book().table().recCount(), 3u);
}

TEST_F(PhoneBookTest, SelectionModeReturnsTheChosenEntry) {
    {
        auto book = openBook();
        edits = {{"Grace Hopper", "555 0100"}, {"Ada Lovelace", "+44 20 7946 0000"}};
        book->newClick();
        book->newClick();
    }
    auto book = openBook(TPhoneBookMode::Select);
    EXPECT_FALSE(book->closeButton()->isVisible());
    EXPECT_TRUE(book->cancelButton()->isVisible());
    EXPECT_TRUE(book->acceptButton()->isVisible());
    EXPECT_TRUE(book->acceptButton()->isEnabled());
    book->selectRow(1);
    QTest::mouseClick(book->acceptButton(), Qt::LeftButton);
    EXPECT_EQ(book->result(), QDialog::Accepted);
    EXPECT_EQ(book->chosen().name, "Grace Hopper");
    EXPECT_EQ(book->chosen().phone, "555 0100");

    auto cancelled = openBook(TPhoneBookMode::Select);
    QTest::mouseClick(cancelled->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled->result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled->chosen().name.isEmpty());

    auto browsing = openBook();
    EXPECT_TRUE(browsing->closeButton()->isVisible());
    EXPECT_FALSE(browsing->cancelButton()->isVisible());
    EXPECT_FALSE(browsing->acceptButton()->isVisible());
}

TEST_F(PhoneBookTest, SelectionModeWithoutEntriesCannotAccept) {
    auto book = openBook(TPhoneBookMode::Select);
    EXPECT_FALSE(book->acceptButton()->isEnabled());
    book->acceptClick();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(book->isVisible());
}

TEST_F(PhoneBookTest, TheEditorKeepsEachBoxWithinItsField) {
    TPhoneBookEditor editor({"", ""});
    editor.show();
    EXPECT_EQ(editor.windowTitle(), "Phone Book Editor");
    QTest::keyClicks(editor.nameBox(), QString(40, 'n'));
    QTest::keyClicks(editor.phoneBox(), QString(30, '5'));
    EXPECT_EQ(editor.entry().name.size(), 35);
    EXPECT_EQ(editor.entry().phone.size(), 25);
    // Accented letters take two bytes each in the table: the box stops where
    // the field is full, so no letter is ever cut in half.
    editor.nameBox()->clear();
    for (int i = 0; i < 30; ++i) {
        editor.nameBox()->insert(QString(QChar(0xE9)));
    }
    EXPECT_EQ(editor.entry().name, QString(17, QChar(0xE9)));
}

TEST_F(PhoneBookTest, AnOverlongEntryIsStoredCutAtAWholeCharacter) {
    auto book = openBook();
    edits = {{QString(20, 'a') + QString(20, QChar(0xE9)), QString(30, '5')}};
    book->newClick();
    // 20 one-byte letters and 7 two-byte ones fill 34 of the 35 bytes.
    EXPECT_EQ(names(*book),
              QStringList({QString(20, 'a') + QString(7, QChar(0xE9)) + "=" + QString(25, '5')}));
}

TEST_F(PhoneBookTest, TheRealEditorAddsAnEntryThatReadsBackWhole) {
    TPhoneBook book(home.path(), env, prompts, TPhoneBookMode::Browse);
    ASSERT_TRUE(book.openBook());
    book.show();
    bool sawEditor = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<TPhoneBookEditor*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        sawEditor = true;
        editor->nameBox()->insert(QString::fromUtf8("Zoë Ångström"));
        QTest::keyClicks(editor->phoneBox(), "+46 8 555 000");
        QTest::mouseClick(editor->acceptButton(), Qt::LeftButton);
    });
    QTest::mouseClick(book.newButton(), Qt::LeftButton);
    EXPECT_TRUE(sawEditor);
    EXPECT_EQ(names(book), QStringList({QString::fromUtf8("Zoë Ångström=+46 8 555 000")}));
}

TEST_F(PhoneBookTest, EveryControlHasAName) {
    for (TPhoneBookMode mode : {TPhoneBookMode::Browse, TPhoneBookMode::Select}) {
        auto book = openBook(mode);
        EXPECT_EQ(test::unnamedControls(book.get()), "");
    }
    TPhoneBookEditor editor({"Ada", "1"});
    editor.show();
    EXPECT_EQ(test::unnamedControls(&editor), "");
}

// Draws the browser with a few entries; with $PARVEX_SCREENSHOT_DIR set the
// picture goes there for the documentation, else into a scratch folder.
TEST_F(PhoneBookTest, Screenshot) {
    auto book = openBook();
    edits = {{"Ada Lovelace", "+44 20 7946 0000"},
             {"Grace Hopper", "555 0100"},
             {"Charles Babbage", "020 7946 0123"},
             {"Edsger Dijkstra", "+31 40 247 9111"},
             {"Zuse KG", "+49 6621 500"}};
    for (int i = 0; i < 5; ++i) {
        book->newClick();
    }
    book->selectRow(1);
    QApplication::processEvents();
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : home.path();
    const QPixmap shot = book->grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromStdString(dir + "/phone-book.png")));
}

}  // namespace
}  // namespace px
