// Outgoing faxes made from others and edited without a cover, on a host of
// its own: Clone, Forward Received Fax, Edit's fax information, and what a
// command that fails half-way leaves behind (nothing).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/host/fake_host.h"
#include "app/outgoing/outgoing_record.h"
#include "app/outgoing/outgoing_workflow.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class FaxCopiesTest : public ::testing::Test {
protected:
    TFakeHost host;
    TOutgoingWorkflow workflow{host};
    // What the scripted editor returns; nothing stands for Cancel.
    std::optional<TFaxInformation> accepted;
    std::vector<std::pair<QString, TFaxInformation>> editorShown;
    std::function<void()> whileEditing;

    void SetUp() override {
        workflow.setFaxInformationEditor(
            [this](QWidget*, const QString& caption, TFaxInformation& info) {
                editorShown.emplace_back(caption, info);
                if (whileEditing) {
                    whileEditing();
                }
                if (!accepted) {
                    return false;
                }
                info = *accepted;
                return true;
            });
    }

    std::string send() const { return host.programFolder.sendFolder(); }
    std::vector<std::string> sendFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(send())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    TXbTable& outgoing() { return host.log(TMainPage::Outgoing).table(); }
    std::uint32_t outgoingCount() { return outgoing().recCount(); }
};

TEST_F(FaxCopiesTest, CloneCopiesTheFilesAndRecipientAndMarksTheSubject) {
    writeFile(send() + "FAX00000.APF", "document");
    writeFile(send() + "COV00000.APF", "cover");
    writeFile(send() + "COV00000.FCD", "px0001.fct\nX    \nHello\n");
    host.addOutgoing("Invoice", "FAX00000.APF", "COV00000.APF");
    outgoing().setText("RECIPIENT", "Ada Lovelace");
    outgoing().setText("PHONE", "555 0100");
    outgoing().setText("NOTES", "paid");
    outgoing().setText("CODES", "Q3");
    outgoing().setText("LASTRESULT", "Sent");
    outgoing().setText("TIMESENT", "10:15");
    host.scripted.answers = {true};

    workflow.clone();

    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Clone");
    EXPECT_EQ(host.scripted.questions[0].text, "Clone the current fax?\n(subject: \"Invoice\")");
    EXPECT_TRUE(host.scripted.questions[0].noDefault);
    ASSERT_EQ(outgoingCount(), 2u);
    TXbTable& t = outgoing();
    t.goTo(2);
    EXPECT_EQ(t.text("SUBJECT"), "[clone]Invoice");
    EXPECT_EQ(t.text("RECIPIENT"), "Ada Lovelace");
    EXPECT_EQ(t.text("PHONE"), "555 0100");
    for (const char* blank : {"NOTES", "CODES", "LASTRESULT", "TIMESENT"}) {
        EXPECT_EQ(t.text(blank), "") << blank;
    }
    EXPECT_TRUE(t.value("DATESENT").date.empty());
    EXPECT_EQ(t.text("FAXDOC"), "FAX00001.APF");
    EXPECT_EQ(t.text("FAXCOVER"), "COV00001.APF");
    EXPECT_EQ(readFile(send() + "FAX00001.APF"), "document");
    EXPECT_EQ(readFile(send() + "COV00001.APF"), "cover");
    EXPECT_EQ(readFile(send() + "COV00001.FCD"), "px0001.fct\nX    \nHello\n");
    EXPECT_EQ(host.reopens, 1);
}

TEST_F(FaxCopiesTest, CloneLeavesACoverWithoutCompanionBehindAndDoesNothingOnNoOrNoFiles) {
    writeFile(send() + "FAX00000.APF", "document");
    writeFile(send() + "COV00000.APF", "cover");
    host.addOutgoing("Quote", "FAX00000.APF", "COV00000.APF");
    host.scripted.answers = {true};
    workflow.clone();
    outgoing().goTo(2);
    EXPECT_EQ(outgoing().text("FAXDOC"), "FAX00001.APF");
    EXPECT_EQ(outgoing().text("FAXCOVER"), "");
    EXPECT_FALSE(fs::exists(send() + "COV00001.APF"));

    // No: nothing at all.
    host.scripted.answers = {false};
    workflow.clone();
    EXPECT_EQ(outgoingCount(), 2u);

    // A record naming no file: asked, then nothing.
    host.addOutgoing("Empty", "", "");
    host.scripted.answers = {true};
    workflow.clone();
    EXPECT_EQ(outgoingCount(), 3u);
    EXPECT_TRUE(host.scripted.informations.empty());

    // Files named but gone: said so, and no record without files.
    host.addOutgoing("Gone", "FAX00077.APF", "");
    host.scripted.answers = {true};
    workflow.clone();
    EXPECT_EQ(outgoingCount(), 4u);
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], kErrorOpeningFaxFile);
    EXPECT_EQ(sendFiles(),
              (std::vector<std::string>{"COV00000.APF", "FAX00000.APF", "FAX00001.APF"}));
}

TEST_F(FaxCopiesTest, ACloneThatFailsHalfWayLeavesNoFileAndNoRecord) {
    writeFile(send() + "FAX00000.APF", "document");
    writeFile(send() + "COV00000.APF", "cover");
    // A companion that cannot be read as a file: the cover copy fails.
    fs::create_directory(send() + "COV00000.FCD");
    host.addOutgoing("Invoice", "FAX00000.APF", "COV00000.APF");
    const std::vector<std::string> before = sendFiles();
    host.scripted.answers = {true};
    workflow.clone();
    EXPECT_EQ(sendFiles(), before);
    EXPECT_EQ(outgoingCount(), 1u);
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], kFaxFileNotCopied);

    // The log refuses the new record after the copies are made.
    fs::remove(send() + "COV00000.FCD");
    writeFile(send() + "COV00000.FCD", "px0001.fct\n     \n");
    host.scripted.answers = {true};
    host.scripted.asked = [&](const auto&) { outgoing().close(); };
    workflow.clone();
    EXPECT_EQ(sendFiles(),
              (std::vector<std::string>{"COV00000.APF", "COV00000.FCD", "FAX00000.APF"}));
    EXPECT_EQ(host.scripted.informations.size(), 2u);
    EXPECT_EQ(host.reopens, 0);
}

TEST_F(FaxCopiesTest, ForwardAsksThenCopiesTheReceivedFaxIntoANewOutgoingFax) {
    writeFile(host.programFolder.receiveFolder() + "R0000001.APF", "received");
    host.addIncoming("+1 555 0123", "r0000001.apf");
    host.page = TMainPage::Incoming;
    accepted = TFaxInformation{"Grace Hopper", "555 0199", "For you", "n", "c"};
    host.scripted.answers = {true};

    workflow.forwardReceivedFax();

    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Forward");
    EXPECT_EQ(host.scripted.questions[0].text,
              "Forward the current fax to be sent?\n(from: +1 555 0123)");
    EXPECT_TRUE(host.scripted.questions[0].noDefault);
    ASSERT_EQ(editorShown.size(), 1u);
    EXPECT_EQ(editorShown[0].first, "Forward fax from: +1 555 0123");
    EXPECT_EQ(editorShown[0].second, TFaxInformation{});
    ASSERT_EQ(outgoingCount(), 1u);
    TXbTable& t = outgoing();
    t.goTo(1);
    EXPECT_EQ(t.text("FAXDOC"), "FWD00000.APF");
    EXPECT_EQ(t.text("FAXCOVER"), "");
    EXPECT_EQ(t.text("RECIPIENT"), "Grace Hopper");
    EXPECT_EQ(t.text("PHONE"), "555 0199");
    EXPECT_EQ(t.text("SUBJECT"), "For you");
    EXPECT_EQ(t.text("NOTES"), "n");
    EXPECT_EQ(t.text("CODES"), "c");
    EXPECT_EQ(readFile(send() + "FWD00000.APF"), "received");
    EXPECT_EQ(host.page, TMainPage::Outgoing);
    EXPECT_EQ(host.reopens, 1);
}

TEST_F(FaxCopiesTest, ForwardDoesNothingWithoutTheFileOnNoOnCancelOrInReceiveMode) {
    host.addIncoming("ACME", "R0000009.APF");
    host.scripted.answers = {true};
    workflow.forwardReceivedFax();
    EXPECT_TRUE(host.scripted.questions.empty());

    host.scripted.answers.clear();
    writeFile(host.programFolder.receiveFolder() + "R0000009.APF", "received");
    workflow.forwardReceivedFax();  // No
    EXPECT_TRUE(editorShown.empty());

    host.scripted.answers = {true};
    workflow.forwardReceivedFax();  // Cancel in the editor
    EXPECT_EQ(editorShown.size(), 1u);

    host.inReceiveMode = true;
    workflow.forwardReceivedFax();
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], messageText(kReceiveModeRefusal));
    EXPECT_EQ(host.scripted.questions.size(), 2u);
    EXPECT_EQ(outgoingCount(), 0u);
    EXPECT_TRUE(sendFiles().empty());
}

TEST_F(FaxCopiesTest, AForwardTheLogRefusesLeavesNoCopyInSend) {
    writeFile(host.programFolder.receiveFolder() + "R0000001.APF", "received");
    host.addIncoming("ACME", "R0000001.APF");
    accepted = TFaxInformation{"Grace Hopper", "555 0199", "", "", ""};
    whileEditing = [&] { outgoing().close(); };
    host.scripted.answers = {true};
    workflow.forwardReceivedFax();
    EXPECT_TRUE(sendFiles().empty());
    EXPECT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.reopens, 0);
}

TEST_F(FaxCopiesTest, EditOfAFaxWithoutCoverWritesTheFiveFieldsBackToItsRecord) {
    host.addOutgoing("Quote", "FAX00001.APF", "");
    outgoing().setText("RECIPIENT", "Ada");
    outgoing().setText("LASTRESULT", "Sent");
    host.addOutgoing("Other", "FAX00002.APF", "");
    outgoing().goTo(1);
    accepted = TFaxInformation{"Ada Lovelace", "555 0100", "Quote, revised", "call first", "Q3"};
    // The grid moves the cursor while the editor is open.
    whileEditing = [&] { outgoing().goTo(2); };

    workflow.edit();

    ASSERT_EQ(editorShown.size(), 1u);
    EXPECT_EQ(editorShown[0].first, "Fax Information Editor");
    EXPECT_EQ(editorShown[0].second, (TFaxInformation{"Ada", "", "Quote", "", ""}));
    TXbTable& t = outgoing();
    t.goTo(1);
    EXPECT_EQ(readFaxInformation(t), *accepted);
    EXPECT_EQ(t.text("LASTRESULT"), "Sent");
    EXPECT_EQ(t.text("FAXDOC"), "FAX00001.APF");
    t.goTo(2);
    EXPECT_EQ(t.text("SUBJECT"), "Other");
    EXPECT_EQ(host.refreshes, 1);

    // Cancel changes nothing.
    t.goTo(1);
    accepted.reset();
    whileEditing = nullptr;
    workflow.edit();
    t.goTo(1);
    EXPECT_EQ(t.text("SUBJECT"), "Quote, revised");
}

}  // namespace
}  // namespace px::test
