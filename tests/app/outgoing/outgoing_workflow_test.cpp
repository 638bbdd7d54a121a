// The outgoing workflow on a host of its own: deleting faxes with their files,
// archiving on either log, and the send command's refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/host/fake_host.h"
#include "app/outgoing/outgoing_workflow.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class OutgoingWorkflowTest : public ::testing::Test {
protected:
    TFakeHost host;
    TOutgoingWorkflow workflow{host};

    std::string sendFile(const std::string& name) { return host.programFolder.sendFolder() + name; }
    void touch(const std::string& path) { writeFile(path, "x"); }
};

TEST_F(OutgoingWorkflowTest, DeletingOneHalfOfAFaxKeepsTheRecordAndTheOtherHalf) {
    struct Case {
        int choice;
        bool recordKept;
        bool docKept;
        bool coverKept;
        const char* docField;
        const char* coverField;
    };
    // Files stored in another letter case than the log's names are found.
    for (const Case c :
         {Case{0, true, true, false, "FAX00001.APF", ""},
          Case{1, true, false, true, "", "COV00001.APF"}, Case{2, false, false, false, "", ""}}) {
        TFakeHost fresh;
        TOutgoingWorkflow flow(fresh);
        const std::string send = fresh.programFolder.sendFolder();
        writeFile(send + "fax00001.apf", "x");
        writeFile(send + "Cov00001.Apf", "x");
        writeFile(send + "COV00001.FCD", "x");
        fresh.addOutgoing("Quote", "FAX00001.APF", "COV00001.APF");
        const std::uint32_t recno = fresh.log(TMainPage::Outgoing).table().recNo();
        fresh.scripted.choices = {c.choice};

        flow.deleteFax();

        ASSERT_EQ(fresh.scripted.choicesOffered.size(), 1u);
        EXPECT_EQ(fresh.scripted.choicesOffered[0],
                  QStringList({"Delete Fax Cover", "Delete Fax Body",
                               "Delete Both Fax Cover && Fax Body"}));
        EXPECT_EQ(fs::exists(send + "fax00001.apf"), c.docKept) << c.choice;
        EXPECT_EQ(fs::exists(send + "Cov00001.Apf"), c.coverKept) << c.choice;
        EXPECT_EQ(fs::exists(send + "COV00001.FCD"), c.coverKept) << c.choice;
        TXbTable& table = fresh.log(TMainPage::Outgoing).table();
        table.env().setDeletedHidden(false);
        table.goTo(recno);
        EXPECT_EQ(!table.deleted(), c.recordKept) << c.choice;
        if (c.recordKept) {
            EXPECT_EQ(table.text("FAXDOC"), c.docField);
            EXPECT_EQ(table.text("FAXCOVER"), c.coverField);
        }
        EXPECT_EQ(fresh.refreshes, 1);
    }
}

TEST_F(OutgoingWorkflowTest, DeleteAsksOnceForAFaxOfOnePartAndCancelKeepsEverything) {
    touch(sendFile("FAX00002.APF"));
    host.addOutgoing("Invoice", "FAX00002.APF", "");
    host.scripted.answers = {false};
    workflow.deleteFax();
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Delete");
    EXPECT_EQ(host.scripted.questions[0].text, "Delete the current fax?\n(subject: \"Invoice\")");
    EXPECT_TRUE(host.scripted.questions[0].noDefault);
    EXPECT_TRUE(fs::exists(sendFile("FAX00002.APF")));
    EXPECT_TRUE(host.hasCurrent(TMainPage::Outgoing));

    host.scripted.answers = {true};
    workflow.deleteFax();
    EXPECT_FALSE(fs::exists(sendFile("FAX00002.APF")));
}

TEST_F(OutgoingWorkflowTest, DeleteNeverFollowsANameOutOfTheSendFolder) {
    touch(host.home / "PX.INI");
    host.addOutgoing("Sneaky", "../PX.INI", "..");
    host.scripted.choices = {2};
    workflow.deleteFax();
    EXPECT_TRUE(fs::exists(host.home / "PX.INI"));
    EXPECT_TRUE(fs::exists(host.programFolder.sendFolder()));
}

TEST_F(OutgoingWorkflowTest, DeleteWithoutARecordOnlyBeeps) {
    workflow.deleteFax();
    EXPECT_EQ(host.scripted.beeps, 1);
    EXPECT_TRUE(host.scripted.questions.empty());
}

TEST_F(OutgoingWorkflowTest, ArchiveAsksWithTheFaxesOwnWordsOnEitherLog) {
    host.addOutgoing("", "FAX00001.APF", "");
    host.addIncoming("ACME", "R0000001.APF");
    host.scripted.answers = {true, true, true};

    workflow.archive(TMainPage::Outgoing);
    EXPECT_EQ(host.scripted.questions.back().caption, "Archive");
    EXPECT_EQ(host.scripted.questions.back().text, "Archive the current fax?\n(no subject)");
    EXPECT_TRUE(host.log(TMainPage::Outgoing).archived());

    workflow.archive(TMainPage::Outgoing);
    EXPECT_EQ(host.scripted.questions.back().text, "UnArchive the current fax?\n(no subject)");
    EXPECT_FALSE(host.log(TMainPage::Outgoing).archived());

    workflow.archive(TMainPage::Incoming);
    EXPECT_EQ(host.scripted.questions.back().text, "Archive the current fax?\n(from: ACME)");
    EXPECT_TRUE(host.log(TMainPage::Incoming).archived());
    EXPECT_EQ(host.refreshes, 3);
}

TEST_F(OutgoingWorkflowTest, ArchiveOnTheIncomingLogBeepsWhileAFaxComesIn) {
    host.addIncoming("ACME", "R0000001.APF");
    host.receiving = true;
    workflow.archive(TMainPage::Incoming);
    EXPECT_EQ(host.scripted.beeps, 1);
    EXPECT_TRUE(host.scripted.questions.empty());
    EXPECT_FALSE(host.log(TMainPage::Incoming).archived());
}

TEST_F(OutgoingWorkflowTest, SendIsRefusedInReceiveModeAndFromTheIncomingPage) {
    host.addOutgoing("Quote", "FAX00001.APF", "");
    host.inReceiveMode = true;
    workflow.send();
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], messageText(kSendRefusedInReceiveMode));

    host.inReceiveMode = false;
    host.page = TMainPage::Incoming;
    workflow.send();
    ASSERT_EQ(host.scripted.informations.size(), 2u);
    EXPECT_EQ(host.scripted.informations[1], messageText(kSendFromIncomingPage));
}

// Which faxes New, Add Cover and Edit take to the cover sheet editor, and
// which they refuse.
TEST_F(OutgoingWorkflowTest, CoverCommandsOpenTheEditorOnlyWhereACoverBelongs) {
    std::vector<QString> opened;  // the subject each editor was opened on
    workflow.setQuickFaxEditor([&](TWorkflowHost&, TQuickFaxForm& form) {
        opened.push_back(form.regarding);
        return false;
    });
    int informationEdits = 0;
    workflow.setFaxInformationEditor([&](QWidget*, const QString&, TFaxInformation&) {
        ++informationEdits;
        return false;
    });
    // Without an outgoing fax only New opens it.
    workflow.addCoverSheet();
    workflow.edit();
    EXPECT_EQ(host.scripted.beeps, 2);
    workflow.newCoverSheet();
    ASSERT_EQ(opened.size(), 1u);

    host.addOutgoing("Body only", "FAX00001.APF", "");
    workflow.addCoverSheet();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], "Body only");
    // Editing a fax without a cover is the fax information editor's.
    workflow.edit();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(informationEdits, 1);

    host.addOutgoing("With cover", "", "COV00001.APF");
    workflow.edit();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2], "With cover");

    // Receive mode refuses all three with its message.
    host.inReceiveMode = true;
    workflow.newCoverSheet();
    workflow.addCoverSheet();
    workflow.edit();
    EXPECT_EQ(opened.size(), 3u);
    ASSERT_EQ(host.scripted.informations.size(), 3u);
    for (const QString& text : host.scripted.informations) {
        EXPECT_EQ(text, messageText(kReceiveModeRefusal));
    }
}

}  // namespace
}  // namespace px::test
