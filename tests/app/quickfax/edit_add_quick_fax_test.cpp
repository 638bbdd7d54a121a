// New, Add Cover and Edit of a cover on a host of their own: what the editor
// is given, the cover page, its data file and the log record after Save,
// nothing at all after Cancel, and failures that leave no half-made fax.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "app/host/fake_host.h"
#include "app/quickfax/create_edit_quick_fax.h"
#include "app/quickfax/edit_add_quick_fax.h"
#include "cover/io/cover_render_list.h"
#include "cover/render/cover_renderer.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

// A template that shows every value a fax gives it, but not the date and the
// time, so two renderings of one fax are the same page.
std::string valuesTemplate() {
    std::string out;
    auto field = [&](TCoverFieldType type, int top) {
        TRenderRecord r;
        r.kind = static_cast<int>(TRenderKind::rkField);
        r.left = 40;
        r.top = top;
        r.width = 1200;
        r.height = 60;
        r.fontName = "Arial";
        r.fontSize = 24;
        r.fieldType = static_cast<int>(type);
        writeRenderRecord(out, r);
    };
    int top = 0;
    for (TCoverFieldType type :
         {TCoverFieldType::cfRecipient, TCoverFieldType::cfRecipientFax,
          TCoverFieldType::cfRegarding, TCoverFieldType::cfSender, TCoverFieldType::cfSenderCompany,
          TCoverFieldType::cfSenderFax, TCoverFieldType::cfSenderVoice}) {
        field(type, top);
        top += 80;
    }
    TRenderRecord row;
    row.kind = static_cast<int>(TRenderKind::rkImportance);
    row.left = 40;
    row.top = top;
    row.width = 1500;
    row.height = 60;
    row.fontName = "Arial";
    row.fontSize = 20;
    writeRenderRecord(out, row);
    TRenderRecord message = row;
    message.kind = static_cast<int>(TRenderKind::rkMessage);
    message.top = top + 100;
    message.height = 600;
    writeRenderRecord(out, message);
    return out;
}

// An APF file with its time stamp (bytes 6 to 9 of the header) blanked.
std::string withoutTimeStamp(std::string apf) {
    if (apf.size() >= 10) {
        apf.replace(6, 4, 4, '\0');
    }
    return apf;
}

class EditAddQuickFaxTest : public ::testing::Test {
protected:
    TFakeHost host;
    std::string send = host.programFolder.sendFolder();
    std::string covers = host.programFolder.coversFolder();
    // What the scripted editor was shown, and what it answers.
    std::vector<TQuickFaxForm> shown;
    std::optional<TQuickFaxForm> answer;
    std::function<void()> whileOpen;

    void SetUp() override {
        fs::create_directories(covers);
        writeFile(covers + "VALUES.FCT", valuesTemplate());
    }

    TQuickFaxEditor editor() {
        return [this](TWorkflowHost&, TQuickFaxForm& form) {
            shown.push_back(form);
            if (whileOpen) {
                whileOpen();
            }
            if (!answer) {
                return false;
            }
            form = *answer;
            return true;
        };
    }

    static TQuickFaxForm sample() {
        TQuickFaxForm f;
        f.recipient = "Ada Lovelace";
        f.recipientFax = "+44 20 7946 0000";
        f.regarding = "Quarterly figures";
        f.notes = "call first";
        f.codes = "Q3";
        f.cover.templateName = "values.fct";  // found whatever its case
        f.cover.importance = {true, false, false, true, false};
        f.cover.message = QStringList{"Dear Ada,", "", "the figures follow."};
        return f;
    }

    TXbTable& outgoing() { return host.log(TMainPage::Outgoing).table(); }

    QStringList sendFolder() const {
        QStringList names =
            QDir(QString::fromStdString(send)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }

    // The cover RenderCoverPage makes for the sample with the host's sender.
    std::string expectedCover(const TQuickFaxForm& f) {
        TCoverValues v;
        v[TCoverFieldType::cfRecipient] = f.recipient;
        v[TCoverFieldType::cfRecipientFax] = f.recipientFax;
        v[TCoverFieldType::cfRegarding] = f.regarding;
        v[TCoverFieldType::cfSender] = QString::fromStdString(host.record.user.name);
        v[TCoverFieldType::cfSenderCompany] = QString::fromStdString(host.record.user.company);
        v[TCoverFieldType::cfSenderFax] = QString::fromStdString(host.record.user.fax);
        v[TCoverFieldType::cfSenderVoice] = QString::fromStdString(host.record.user.voice);
        v.importance = f.cover.importance;
        const std::string path = host.home / "expected.apf";
        RenderCoverPage(QString::fromStdString(path), QString::fromStdString(covers + "VALUES.FCT"),
                        v, f.cover.message.join("\r\n"), QString());
        return withoutTimeStamp(readFile(path));
    }
};

TEST_F(EditAddQuickFaxTest, NewRendersTheCoverWritesItsDataAndAddsTheRecord) {
    host.record.user.name = "Charles Babbage";
    host.record.user.company = "Analytical Engines Ltd";
    host.record.user.fax = "+44 20 7946 0321";
    writeFile(send + "COV00000.APF", "taken");
    answer = sample();

    EXPECT_TRUE(EditAddQuickFax(host, true, editor()));

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].cover.templateName, "px0001.fct") << "a new fax starts on the default";
    EXPECT_TRUE(shown[0].recipient.isEmpty());
    ASSERT_TRUE(outgoing().hasCurrent());
    EXPECT_EQ(outgoing().recCount(), 1u);
    EXPECT_EQ(outgoing().text("RECIPIENT"), "Ada Lovelace");
    EXPECT_EQ(outgoing().text("PHONE"), "+44 20 7946 0000");
    EXPECT_EQ(outgoing().text("SUBJECT"), "Quarterly figures");
    EXPECT_EQ(outgoing().text("NOTES"), "call first");
    EXPECT_EQ(outgoing().text("CODES"), "Q3");
    EXPECT_EQ(outgoing().text("FAXCOVER"), "COV00001.APF");
    EXPECT_EQ(outgoing().text("FAXDOC"), "");
    EXPECT_EQ(readFile(send + "COV00001.FCD"),
              "values.fct\r\nX  X \r\nDear Ada,\r\n\r\nthe figures follow.\r\n");
    const std::string cover = withoutTimeStamp(readFile(send + "COV00001.APF"));
    EXPECT_EQ(cover, expectedCover(sample())) << "the page RenderCoverPage makes for these values";
    EXPECT_NE(cover, expectedCover(TQuickFaxForm{})) << "and the values are on it";
    EXPECT_EQ(sendFolder(), QStringList({"COV00000.APF", "COV00001.APF", "COV00001.FCD"}));
    EXPECT_EQ(host.evaluations, 1);
    EXPECT_EQ(host.reopens, 1);
}

TEST_F(EditAddQuickFaxTest, CancelWritesNothing) {
    host.addOutgoing("Invoice", "FAX00001.APF", "COV00004.APF");
    writeFile(send + "COV00004.APF", "old page");
    writeFile(send + "COV00004.FCD", "values.fct\r\nX    \r\nold\r\n");
    for (const bool isNew : {true, false}) {
        EXPECT_FALSE(EditAddQuickFax(host, isNew, editor()));
    }
    EXPECT_EQ(outgoing().recCount(), 1u);
    EXPECT_EQ(outgoing().text("SUBJECT"), "Invoice");
    EXPECT_EQ(readFile(send + "COV00004.APF"), "old page");
    EXPECT_EQ(readFile(send + "COV00004.FCD"), "values.fct\r\nX    \r\nold\r\n");
    EXPECT_EQ(sendFolder(), QStringList({"COV00004.APF", "COV00004.FCD"}));
    EXPECT_EQ(host.reopens, 0);
    EXPECT_EQ(host.evaluations, 0);
}

TEST_F(EditAddQuickFaxTest, AddCoverKeepsTheDocumentAndSetsTheCover) {
    writeFile(send + "FAX00007.APF", "document");
    host.addOutgoing("Contract", "FAX00007.APF", "");
    outgoing().setText("RECIPIENT", "Bob");
    outgoing().setText("PHONE", "555");
    TQuickFaxForm edited = sample();
    edited.regarding = "Contract";
    answer = edited;

    EXPECT_TRUE(EditAddQuickFax(host, false, editor()));

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].recipient, "Bob");
    EXPECT_EQ(shown[0].recipientFax, "555");
    EXPECT_EQ(shown[0].regarding, "Contract");
    EXPECT_EQ(shown[0].cover.templateName, "px0001.fct");
    EXPECT_EQ(outgoing().recCount(), 1u);
    EXPECT_EQ(outgoing().text("FAXDOC"), "FAX00007.APF");
    EXPECT_EQ(outgoing().text("FAXCOVER"), "COV00000.APF");
    EXPECT_EQ(outgoing().text("RECIPIENT"), "Ada Lovelace");
    EXPECT_EQ(readFile(send + "FAX00007.APF"), "document");
    EXPECT_TRUE(fs::exists(send + "COV00000.FCD"));
    EXPECT_EQ(host.reopens, 0) << "no record was added";
    EXPECT_EQ(host.evaluations, 1);
    EXPECT_EQ(host.refreshes, 1);
}

TEST_F(EditAddQuickFaxTest, EditKeepsTheCoverNumberAndRewritesPageAndData) {
    host.addOutgoing("Old subject", "", "COV00003.APF");
    outgoing().setText("RECIPIENT", "Grace Hopper");
    outgoing().setText("PHONE", "555 0100");
    outgoing().setText("NOTES", "n");
    outgoing().setText("CODES", "c");
    // Stored in another letter case than the log's name: found and rewritten
    // in place, not doubled.
    writeFile(send + "cov00003.apf", "old page");
    writeFile(send + "Cov00003.Fcd",
              "C:\\PX\\Covers\\VALUES.FCT\r\n X X \r\nold one\r\nold two\r\n");
    answer = sample();

    EXPECT_TRUE(EditAddQuickFax(host, false, editor()));

    ASSERT_EQ(shown.size(), 1u);
    const TQuickFaxForm& before = shown[0];
    EXPECT_EQ(before.cover.templateName, "VALUES.FCT") << "the file name part only";
    EXPECT_EQ(before.cover.importance, (std::array<bool, 5>{false, true, false, true, false}));
    EXPECT_EQ(before.cover.message, QStringList({"old one", "old two"}));
    EXPECT_EQ(before.recipient, "Grace Hopper");
    EXPECT_EQ(before.recipientFax, "555 0100");
    EXPECT_EQ(before.regarding, "Old subject");
    EXPECT_EQ(before.notes, "n");
    EXPECT_EQ(before.codes, "c");

    EXPECT_EQ(sendFolder(), QStringList({"Cov00003.Fcd", "cov00003.apf"}));
    EXPECT_EQ(outgoing().text("FAXCOVER"), "cov00003.apf");
    EXPECT_EQ(outgoing().text("SUBJECT"), "Quarterly figures");
    EXPECT_EQ(withoutTimeStamp(readFile(send + "cov00003.apf")), expectedCover(sample()));
    EXPECT_EQ(readFile(send + "Cov00003.Fcd"),
              "values.fct\r\nX  X \r\nDear Ada,\r\n\r\nthe figures follow.\r\n");
}

TEST_F(EditAddQuickFaxTest, CoverDataTheEditorCannotReadGivesTheDefaults) {
    struct Case {
        const char* data;  // nullptr: no data file
        const char* templateName;
        std::array<bool, 5> boxes;
        QStringList message;
    };
    const Case cases[] = {
        {nullptr, "px0001.fct", {}, {}},
        {"px0003.fct\r\nXXXX\r\nkept\r\n", "px0003.fct", {}, {"kept"}},
        {"px0003.fct\r\nXXXXXX\r\n", "px0003.fct", {}, {}},
        {"px0003.fct\r\nX X X\r\n", "px0003.fct", {true, false, true, false, true}, {}},
    };
    for (const Case& c : cases) {
        TFakeHost fresh;
        fresh.addOutgoing("S", "", "COV00009.APF");
        if (c.data != nullptr) {
            writeFile(fresh.programFolder.sendFolder() + "COV00009.FCD", c.data);
        }
        shown.clear();
        EditAddQuickFax(fresh, false, editor());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].cover.templateName, c.templateName);
        EXPECT_EQ(shown[0].cover.importance, c.boxes) << (c.data ? c.data : "none");
        EXPECT_EQ(shown[0].cover.message, c.message);
        EXPECT_EQ(shown[0].regarding, "S");
    }
}

TEST_F(EditAddQuickFaxTest, AMissingTemplateGivesABlankCover) {
    TQuickFaxForm f = sample();
    f.cover.templateName = "gone.fct";
    answer = f;
    EXPECT_TRUE(EditAddQuickFax(host, true, editor()));
    EXPECT_EQ(outgoing().text("FAXCOVER"), "COV00000.APF");
    TCoverValues none;
    const std::string blank = host.home / "blank.apf";
    RenderCoverPage(QString::fromStdString(blank), QString::fromStdString(covers + "gone.fct"),
                    none, "", "");
    EXPECT_EQ(withoutTimeStamp(readFile(send + "COV00000.APF")), withoutTimeStamp(readFile(blank)));
}

TEST_F(EditAddQuickFaxTest, ACoverThatCannotBeStoredLeavesNoRecordAndNoFile) {
    // Something in the way of the new cover's name.
    fs::create_directory(send + "COV00000.APF");
    answer = sample();
    EXPECT_FALSE(EditAddQuickFax(host, true, editor()));
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_TRUE(host.scripted.informations[0].contains("COV00000.APF"));
    EXPECT_EQ(outgoing().recCount(), 0u);
    EXPECT_EQ(sendFolder(), QStringList({"COV00000.APF"}));
    EXPECT_EQ(host.reopens, 0);
    EXPECT_FALSE(host.panel.isVisible()) << "the busy text is gone";
}

TEST_F(EditAddQuickFaxTest, AnEditThatCannotBeStoredKeepsTheOldCoverData) {
    host.addOutgoing("Old", "", "COV00002.APF");
    fs::create_directory(send + "COV00002.APF");
    writeFile(send + "COV00002.FCD", "values.fct\r\n     \r\nold\r\n");
    answer = sample();
    EXPECT_FALSE(EditAddQuickFax(host, false, editor()));
    EXPECT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(readFile(send + "COV00002.FCD"), "values.fct\r\n     \r\nold\r\n");
    EXPECT_EQ(outgoing().text("SUBJECT"), "Old");
    EXPECT_EQ(sendFolder(), QStringList({"COV00002.APF", "COV00002.FCD"}));
}

TEST_F(EditAddQuickFaxTest, ALogThatCannotTakeTheRecordTakesTheNewCoverAway) {
    answer = sample();
    whileOpen = [this] { outgoing().close(); };
    EXPECT_FALSE(EditAddQuickFax(host, true, editor()));
    EXPECT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_TRUE(sendFolder().isEmpty()) << sendFolder().join(", ").toStdString();
}

TEST_F(EditAddQuickFaxTest, AStoredCoverNameWithAFolderIsNeverWritten) {
    writeFile(host.home / "PX.INI", "[User]\r\n");
    host.addOutgoing("Sneaky", "", "../PX.INI");
    answer = sample();
    EXPECT_TRUE(EditAddQuickFax(host, false, editor()));
    EXPECT_EQ(readFile(host.home / "PX.INI"), "[User]\r\n");
    EXPECT_EQ(outgoing().text("FAXCOVER"), "COV00000.APF");
}

// The real editor, opened modally by the operation as the main window does.
TEST_F(EditAddQuickFaxTest, TheEditorWindowSavesAQuickFax) {
    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<TCreateEditQuickFax*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->findChild<QLineEdit*>("Recipient")->setText("Ada Lovelace");
        editor->findChild<QLineEdit*>("RecipientFax")->setText("555 0199");
        editor->findChild<QLineEdit*>("Regarding")->setText("Quarterly figures");
        editor->findChild<QPushButton*>("SaveButton")->click();
    });
    EXPECT_TRUE(EditAddQuickFax(host, true));
    EXPECT_EQ(outgoing().text("RECIPIENT"), "Ada Lovelace");
    EXPECT_EQ(outgoing().text("SUBJECT"), "Quarterly figures");
    EXPECT_EQ(readFile(send + "COV00000.FCD"), "px0001.fct\r\n     \r\n");

    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<TCreateEditQuickFax*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->findChild<QLineEdit*>("Recipient")->setText("Someone else");
        editor->findChild<QPushButton*>("CancelButton")->click();
    });
    EXPECT_FALSE(EditAddQuickFax(host, false));
    EXPECT_EQ(outgoing().text("RECIPIENT"), "Ada Lovelace");
}

}  // namespace
}  // namespace px::test
