// The incoming workflow on a host of its own: deleting received faxes with
// their files, and leaving receive mode.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/host/fake_host.h"
#include "app/incoming/incoming_workflow.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

TEST(IncomingWorkflow, DeleteRemovesTheRecordAndTheReceivedFileInAnyLetterCase) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    const std::string file = host.programFolder.receiveFolder() + "r0000001.apf";
    writeFile(file, "x");
    host.addIncoming("STATION", "R0000001.APF");
    host.scripted.answers = {true};

    workflow.deleteFax();

    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Delete");
    EXPECT_EQ(host.scripted.questions[0].text, "Delete the current fax?\n(from: \"STATION\")");
    EXPECT_TRUE(host.scripted.questions[0].noDefault);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(host.log(TMainPage::Incoming).table().deleted());
    EXPECT_EQ(host.refreshes, 1);
}

TEST(IncomingWorkflow, DeleteAndNotesOnlyBeepWhileAFaxComesIn) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    const std::string file = host.programFolder.receiveFolder() + "R0000001.APF";
    writeFile(file, "x");
    host.addIncoming("STATION", "R0000001.APF");
    host.receiving = true;
    workflow.deleteFax();
    workflow.editNotes();
    EXPECT_EQ(host.scripted.beeps, 2);
    EXPECT_TRUE(host.scripted.questions.empty());
    EXPECT_TRUE(fs::exists(file));
}

TEST(IncomingWorkflow, ClosingInReceiveModeEndsTheModeAndRestoresThePanel) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    host.inReceiveMode = true;
    host.record.resetting.afterString = "ATZ";
    workflow.endReceiveModeForClose();
    EXPECT_FALSE(host.inReceiveMode);
    EXPECT_FALSE(host.panel.isVisible());
}

}  // namespace
}  // namespace px::test
