// The "Fax Cover Sheet Editor" on the offscreen platform: its controls and
// limits, the order and texts of the checks on Save, the sender hint, the
// phone book and the template chooser it opens, and names for every control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/host/fake_host.h"
#include "app/phonebook/phone_book.h"
#include "app/quickfax/create_edit_quick_fax.h"
#include "support/accessibility.h"
#include "ui/coverdesign/preview_quick_fax_forms.h"
#include "ui/coversender/get_sender_info.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

// Runs `answer` on the modal window of type T that opens next, then closes
// whatever is left open so a failing test cannot hang.
template <typename T>
void answerNextModal(std::function<void(T&)> answer, bool* seen = nullptr) {
    QTimer::singleShot(0, [answer = std::move(answer), seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* window = qobject_cast<T*>(modal)) {
            if (seen != nullptr) {
                *seen = true;
            }
            answer(*window);
        }
        if (QWidget* left = QApplication::activeModalWidget(); left != nullptr && left == modal) {
            left->close();
        }
    });
}

class QuickFaxEditorTest : public ::testing::Test {
protected:
    TFakeHost host;

    TQuickFaxForm filled() {
        TQuickFaxForm form;
        form.recipient = "Ada Lovelace";
        form.recipientFax = "+44 20 7946 0000";
        form.regarding = "Quarterly figures";
        form.notes = "call first";
        form.codes = "Q3";
        form.cover.templateName = "px0002.fct";
        form.cover.importance = {true, false, true, false, false};
        form.cover.message = QStringList{"Line one", "", "Line three"};
        return form;
    }
};

TEST_F(QuickFaxEditorTest, ShowsTheFaxInNamedControlsAndHandsBackWhatWasEdited) {
    TCreateEditQuickFax editor(host, filled());
    EXPECT_EQ(editor.windowTitle(), "Fax Cover Sheet Editor");
    const std::pair<const char*, QString> boxes[] = {{"Recipient", "Ada Lovelace"},
                                                     {"RecipientFax", "+44 20 7946 0000"},
                                                     {"Regarding", "Quarterly figures"},
                                                     {"Notes", "call first"},
                                                     {"Codes", "Q3"}};
    for (const auto& [name, text] : boxes) {
        auto* box = editor.findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->text(), text) << name;
    }
    EXPECT_EQ(editor.findChild<QPlainTextEdit*>("FaxMessage")->toPlainText(),
              "Line one\n\nLine three");
    EXPECT_EQ(editor.findChild<QPlainTextEdit*>("FaxMessage")->verticalScrollBarPolicy(),
              Qt::ScrollBarAlwaysOn);
    const char* names[] = {"cUrgent", "cForReview", "cPleaseComment", "cPleaseReply",
                           "cPleaseRecycle"};
    const char* captions[] = {"Urgent", "For Review", "Please Comment", "Please Reply",
                              "Please Recycle"};
    for (int i = 0; i < 5; ++i) {
        auto* box = editor.findChild<QCheckBox*>(names[i]);
        ASSERT_NE(box, nullptr) << names[i];
        EXPECT_EQ(box->text(), captions[i]);
        EXPECT_EQ(box->isChecked(), i == 0 || i == 2) << names[i];
    }
    EXPECT_EQ(editor.findChild<QLabel*>("CurrentQFileLabel")->text(), "px0002.fct");
    QStringList buttons;
    for (const char* name : {"PhonebookButton", "SelectTemplateButton", "ChangeSenderInfoButton",
                             "HelpButton", "SaveButton", "CancelButton"}) {
        auto* b = editor.findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        buttons << b->text();
    }
    EXPECT_EQ(buttons, QStringList({"&Phonebook", "&Select Fax Cover Template",
                                    "&Change Sender Info", "&Help", "&Save", "Cance&l"}));
    EXPECT_TRUE(editor.SaveButton()->isDefault());
    int helps = 0;
    editor.setHelp([&] { ++helps; });
    editor.HelpButton()->click();
    EXPECT_EQ(helps, 1);

    // Notes and Codes have their own limits; every box stops at its log field.
    editor.Notes()->clear();
    QTest::keyClicks(editor.Notes(), QString(60, 'n'));
    editor.Codes()->clear();
    QTest::keyClicks(editor.Codes(), QString(30, 'c'));
    editor.Recipient()->clear();
    QTest::keyClicks(editor.Recipient(), QString(40, 'r'));
    editor.importanceBox(1)->setChecked(true);
    editor.FaxMessage()->setPlainText("Only this");
    const TQuickFaxForm back = editor.form();
    EXPECT_EQ(back.notes.size(), 50);
    EXPECT_EQ(back.codes.size(), 25);
    EXPECT_EQ(back.recipient.size(), 35);
    EXPECT_EQ(back.cover.importance, (std::array<bool, 5>{true, true, true, false, false}));
    EXPECT_EQ(back.cover.message, QStringList{"Only this"});
    EXPECT_EQ(back.cover.templateName, "px0002.fct");

    editor.show();
    EXPECT_EQ(unnamedControls(&editor), "");
}

TEST_F(QuickFaxEditorTest, SaveChecksRecipientThenFaxNumberThenSubjectOrMessage) {
    struct Case {
        const char* recipient;
        const char* fax;
        const char* regarding;
        const char* message;
        const char* refusal;  // nullptr: accepted
        const char* focused;
    };
    const Case cases[] = {
        {"", "", "", "", "Please enter a recipient", "Recipient"},
        {"   ", "5", "x", "", "Please enter a recipient", "Recipient"},
        {"Ada", "", "", "", "Please enter a recipient fax number", "RecipientFax"},
        {"Ada", "5", "", "",
         "Please enter text for the \"regarding\" field\nand/or enter a message", "Regarding"},
        {"Ada", "5", "", "A message alone will do", nullptr, nullptr},
        {"Ada", "5", "Figures", "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        TFakeHost fresh;
        TQuickFaxForm form;
        form.recipient = c.recipient;
        form.recipientFax = c.fax;
        form.regarding = c.regarding;
        if (*c.message != '\0') {
            form.cover.message = QStringList{c.message};
        }
        TCreateEditQuickFax editor(fresh, form);
        editor.show();
        editor.SaveButton()->setFocus();
        editor.SaveClick();
        if (c.refusal == nullptr) {
            EXPECT_EQ(editor.result(), QDialog::Accepted) << c.message;
            EXPECT_TRUE(fresh.scripted.informations.empty());
            continue;
        }
        ASSERT_EQ(fresh.scripted.informations.size(), 1u) << c.refusal;
        EXPECT_EQ(fresh.scripted.informations[0], c.refusal);
        EXPECT_EQ(editor.focusWidget()->objectName(), c.focused);
        EXPECT_TRUE(editor.isVisible()) << "the editor stays open";
    }
}

TEST_F(QuickFaxEditorTest, TheSenderButtonsHintListsTheSenderAndChangingItWritesTheSettings) {
    {
        TCreateEditQuickFax editor(host, {});
        EXPECT_EQ(editor.ChangeSenderInfoButton()->toolTip(), "No sender information entered");
    }
    host.record.user.name = "Charles Babbage";
    host.record.user.company = "Analytical Engines Ltd";
    host.record.user.fax = "+44 20 7946 0321";
    host.record.user.voice = "+44 20 7946 0300";
    TCreateEditQuickFax editor(host, {});
    editor.show();
    EXPECT_EQ(editor.ChangeSenderInfoButton()->toolTip(),
              "Charles Babbage\nAnalytical Engines Ltd\n+44 20 7946 0321\n+44 20 7946 0300");

    // Cancel keeps the values and writes nothing.
    answerNextModal<TGetSenderInfo>([](TGetSenderInfo& d) {
        d.NameEdit()->setText("Nobody");
        d.CancelButton()->click();
    });
    editor.ChangeSenderInfoClick();
    EXPECT_EQ(host.record.user.name, "Charles Babbage");
    EXPECT_EQ(host.settingsSaved, 0);

    bool seen = false;
    answerNextModal<TGetSenderInfo>(
        [](TGetSenderInfo& d) {
            EXPECT_EQ(d.NameEdit()->text(), "Charles Babbage");
            d.NameEdit()->setText("Ada Lovelace");
            d.CompanyEdit()->clear();
            d.FaxEdit()->clear();
            d.VoiceEdit()->clear();
            d.AcceptButton()->click();
        },
        &seen);
    editor.ChangeSenderInfoClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(host.record.user.name, "Ada Lovelace");
    EXPECT_EQ(host.settingsSaved, 1);
    EXPECT_EQ(editor.ChangeSenderInfoButton()->toolTip(), "Ada Lovelace");
}

TEST_F(QuickFaxEditorTest, ThePhoneBookFillsRecipientAndFaxNumber) {
    {
        TLogTable book(TLogKind::PhoneBook, host.programFolder.path(),
                       host.log(TMainPage::Outgoing).table().sharedEnv());
        ASSERT_TRUE(book.open());
        for (const auto& [name, phone] : {std::pair{"Grace Hopper", "555 0100"},
                                          std::pair{"Ada Lovelace", "+44 20 7946 0000"}}) {
            book.table().append();
            book.table().setText("NAME", name);
            book.table().setText("PHONE", phone);
        }
    }
    TQuickFaxForm form;
    form.recipient = "someone";
    TCreateEditQuickFax editor(host, form);
    editor.show();

    // Cancel leaves both boxes alone.
    answerNextModal<TPhoneBook>([](TPhoneBook& book) { book.cancelButton()->click(); });
    editor.PhonebookClick();
    EXPECT_EQ(editor.Recipient()->text(), "someone");

    bool seen = false;
    answerNextModal<TPhoneBook>(
        [](TPhoneBook& book) {
            EXPECT_EQ(book.mode(), TPhoneBookMode::Select);
            book.selectRow(0);  // in NAME order: Ada first
            book.acceptButton()->click();
        },
        &seen);
    editor.PhonebookClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(editor.Recipient()->text(), "Ada Lovelace");
    EXPECT_EQ(editor.RecipientFax()->text(), "+44 20 7946 0000");
}

TEST_F(QuickFaxEditorTest, APhoneBookThatCannotBeOpenedDoesNothing) {
    // A folder where the table should be: it can be neither created nor opened.
    fs::create_directory(host.home / "PXPB.DBF");
    TCreateEditQuickFax editor(host, {});
    editor.show();
    bool opened = false;
    answerNextModal<TPhoneBook>([](TPhoneBook&) {}, &opened);
    editor.PhonebookClick();
    QApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(host.scripted.informations.empty());
    EXPECT_EQ(editor.Recipient()->text(), "");
}

class TemplateChooserTest : public QuickFaxEditorTest {
protected:
    void SetUp() override {
        const std::string covers = host.programFolder.coversFolder();
        fs::create_directories(covers);
        for (const char* name : {"PX0001.FCT", "px0002.fct", "Other.FCT", "Design.FCS"}) {
            writeFile(covers + name, "");
        }
        QImage picture(816, 1056, QImage::Format_Mono);
        picture.fill(1);
        for (const char* name : {"PX0001.bmp", "px0002.bmp", "Other.bmp"}) {
            ASSERT_TRUE(picture.save(QString::fromStdString(covers + name), "BMP"));
        }
        writeFile(covers + "px0002.DES", "Second template\r\n");
    }
};

TEST_F(TemplateChooserTest, ListsTheRenderListsWithTheCurrentOneSelectedAndFocused) {
    TPreviewQuickFaxForms chooser(QString::fromStdString(host.programFolder.coversFolder()),
                                  "PX0002.FCT");
    chooser.show();
    QApplication::processEvents();
    EXPECT_EQ(chooser.windowTitle(), "Select  Fax Cover Template");
    EXPECT_EQ(chooser.toolTip(), "Select the fax cover form to use as a template");
    QStringList listed;
    for (int i = 0; i < chooser.list()->count(); ++i) {
        listed << chooser.list()->item(i)->text();
    }
    EXPECT_EQ(listed, QStringList({"Other.FCT", "PX0001.FCT", "px0002.fct"}));
    EXPECT_EQ(chooser.chosenName(), "px0002.fct");
    EXPECT_EQ(chooser.description()->text(), "Second template");
    EXPECT_FALSE(chooser.picture()->pixmap().isNull());
    EXPECT_EQ(chooser.focusWidget(), chooser.list());
    EXPECT_EQ(unnamedControls(&chooser), "");
}

TEST_F(TemplateChooserTest, OkWithoutASelectionBeeps) {
    TPreviewQuickFaxForms chooser(QString::fromStdString(host.home / "no-such-folder"),
                                  "px0001.fct");
    int beeps = 0;
    chooser.setBeep([&] { ++beeps; });
    chooser.show();
    chooser.okButton()->click();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_TRUE(chooser.chosenName().isEmpty());
}

TEST_F(TemplateChooserTest, TheEditorTakesTheChosenTemplateOnOkOnly) {
    TCreateEditQuickFax editor(host, {});
    editor.show();
    EXPECT_EQ(editor.CurrentQFileLabel()->text(), "px0001.fct");

    bool preselected = false;
    answerNextModal<TPreviewQuickFaxForms>([&](TPreviewQuickFaxForms& chooser) {
        preselected = chooser.chosenName() == "PX0001.FCT";
        chooser.list()->setCurrentRow(0);
        chooser.cancelButton()->click();
    });
    editor.SelectTemplateClick();
    EXPECT_TRUE(preselected) << "found whatever its letter case";
    EXPECT_EQ(editor.templateName(), "px0001.fct");

    answerNextModal<TPreviewQuickFaxForms>([](TPreviewQuickFaxForms& chooser) {
        chooser.list()->setCurrentRow(2);
        chooser.okButton()->click();
    });
    editor.SelectTemplateClick();
    EXPECT_EQ(editor.CurrentQFileLabel()->text(), "px0002.fct");
    EXPECT_EQ(editor.form().cover.templateName, "px0002.fct");
}

// Draws the editor filled in; with $PARVEX_SCREENSHOT_DIR set the picture goes
// there for the documentation, else into a scratch folder.
TEST_F(QuickFaxEditorTest, Screenshot) {
    host.record.user.name = "Charles Babbage";
    TQuickFaxForm form = filled();
    form.cover.templateName = "px0001.fct";
    form.cover.message = QStringList{"Dear Ada,",
                                     "",
                                     "the figures for the third quarter follow on the next pages.",
                                     "Please call me when you have read them.",
                                     "",
                                     "Charles"};
    TCreateEditQuickFax editor(host, form);
    editor.show();
    QApplication::processEvents();
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : host.home.path();
    const QPixmap shot = editor.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromStdString(dir + "/cover-sheet-editor.png")));
}

}  // namespace
}  // namespace px::test
