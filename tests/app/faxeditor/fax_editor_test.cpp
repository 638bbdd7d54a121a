// The fax information editor on the offscreen platform: the field limits in
// characters and in stored bytes, the phone book filling in the recipient,
// names for every control, and its picture for the documentation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/faxeditor/fax_editor.h"
#include "app/host/scripted_prompts.h"
#include "app/phonebook/phone_book.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"

namespace px {
namespace {

TEST(FaxEditor, EveryBoxStopsAtTheWidthOfItsLogField) {
    TFaxEditor editor({});
    editor.show();
    const QString typed(60, QLatin1Char('x'));
    struct Box {
        QLineEdit* box;
        int width;
    };
    for (const Box b :
         {Box{editor.recipientBox(), 35}, Box{editor.phoneBox(), 25}, Box{editor.subjectBox(), 50},
          Box{editor.notesBox(), 50}, Box{editor.codesBox(), 25}}) {
        QTest::keyClicks(b.box, typed);
        EXPECT_EQ(b.box->text().size(), b.width) << b.box->objectName().toStdString();
    }
    // Accented letters take two bytes each in the log: 35 bytes hold 17 of them.
    editor.recipientBox()->clear();
    for (int i = 0; i < 30; ++i) {
        editor.recipientBox()->insert(QString(QChar(0x00E9)));  // typed one at a time
    }
    EXPECT_EQ(editor.recipientBox()->text(), QString(17, QChar(0x00E9)));
}

TEST(FaxEditor, ShowsWhatItIsGivenCutToTheFieldsAndGivesBackWhatWasTyped) {
    const TFaxInformation info{"Ada Lovelace", "555 0100", QString(70, 'S'), "call first",
                               QString(17, QChar(0x00E9))};
    TFaxEditor editor(info);
    EXPECT_EQ(editor.recipientBox()->text(), "Ada Lovelace");
    EXPECT_EQ(editor.subjectBox()->text(), QString(50, 'S'));
    EXPECT_EQ(editor.codesBox()->text(), QString(12, QChar(0x00E9)));
    editor.notesBox()->clear();
    QTest::keyClicks(editor.notesBox(), "paid");
    const TFaxInformation back = editor.information();
    EXPECT_EQ(back.notes, "paid");
    EXPECT_EQ(back.phone, "555 0100");
    EXPECT_EQ(editor.windowTitle(), "Fax Information Editor");
}

TEST(FaxEditor, PhonebookFillsRecipientAndNumberAndCancelLeavesThem) {
    TFaxEditor editor({"Old Name", "111", "Quote", "", ""});
    std::optional<TPhoneBookEntry> answer = TPhoneBookEntry{"Grace Hopper", "+1 555 0199"};
    int asked = 0;
    editor.setPhoneBookChooser([&](QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, &editor);
        return answer;
    });
    QTest::mouseClick(editor.phonebookButton(), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(editor.recipientBox()->text(), "Grace Hopper");
    EXPECT_EQ(editor.phoneBox()->text(), "+1 555 0199");
    EXPECT_EQ(editor.subjectBox()->text(), "Quote");

    answer.reset();
    editor.phonebookClick();
    EXPECT_EQ(editor.recipientBox()->text(), "Grace Hopper");

    // A book written by another program may hold more than the log takes.
    answer = TPhoneBookEntry{QString(40, 'n'), QString(30, '9')};
    editor.phonebookClick();
    EXPECT_EQ(editor.recipientBox()->text(), QString(35, 'n'));
    EXPECT_EQ(editor.phoneBox()->text(), QString(25, '9'));
}

// The program's own chooser: the phone book of the program folder, in
// selection mode, the entry the user accepts.
TEST(FaxEditor, ThePhonebookButtonOpensTheProgramsPhoneBookToChooseFrom) {
    test::TempDir home;
    test::TScriptedPrompts prompts;
    const auto env = makeLogEnvironment();
    {
        TPhoneBook book(home.path(), env, prompts, TPhoneBookMode::Browse);
        ASSERT_TRUE(book.openBook());
        book.setEditor([](QWidget*, TPhoneBookEntry& entry) {
            entry = {"Grace Hopper", "555 0100"};
            return true;
        });
        book.newClick();
    }
    TFaxEditor editor({});
    editor.setPhoneBookChooser(phoneBookChooser(home.path(), env, prompts));
    editor.show();
    bool wasSelecting = false;
    QTimer::singleShot(0, [&] {
        auto* book = qobject_cast<TPhoneBook*>(QApplication::activeModalWidget());
        ASSERT_NE(book, nullptr);
        wasSelecting = book->mode() == TPhoneBookMode::Select;
        book->selectRow(0);
        book->acceptClick();
    });
    editor.phonebookClick();
    EXPECT_TRUE(wasSelecting);
    EXPECT_EQ(editor.recipientBox()->text(), "Grace Hopper");
    EXPECT_EQ(editor.phoneBox()->text(), "555 0100");
}

TEST(FaxEditor, FieldTextNeverCutsACharacterInTwo) {
    EXPECT_EQ(fieldText("Invoice", 50), "Invoice");
    // "[clone]" and 22 two-byte letters: 51 bytes; the last letter goes whole.
    const QString subject = "[clone]" + QString(22, QChar(0x00FC));
    const std::string cut = fieldText(subject, 50);
    EXPECT_EQ(cut.size(), 49u);
    EXPECT_EQ(QString::fromStdString(cut), "[clone]" + QString(21, QChar(0x00FC)));
}

TEST(FaxEditor, EveryControlHasAName) {
    TFaxEditor editor({});
    editor.show();
    EXPECT_EQ(test::unnamedControls(&editor), "");
}

// With $PARVEX_SCREENSHOT_DIR set the picture goes there for the
// documentation, else into a scratch folder.
TEST(FaxEditor, Screenshot) {
    test::TempDir scratch;
    TFaxEditor editor({"Ada Lovelace", "+44 20 7946 0000", "Quarterly figures",
                       "Second copy for the archive", "Q3-2026"});
    editor.setWindowTitle("Forward fax from: +44 20 7946 0001");
    editor.show();
    QApplication::processEvents();
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : scratch.path();
    const QPixmap shot = editor.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromStdString(dir + "/fax-information-editor.png")));
}

}  // namespace
}  // namespace px
