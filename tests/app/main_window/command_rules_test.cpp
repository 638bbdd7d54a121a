#include <gtest/gtest.h>

#include "app/main_window/command_rules.h"

namespace px {
namespace {

TEST(CommandRules, EnabledCommandsFollowThePageAndTheCurrentRecords) {
    struct Row {
        const char* name;
        TCommandInputs in;
        TCommandStates want;
    };
    TCommandStates emptyOut;
    emptyOut.newCover = true;
    TCommandStates filledOut{true, true, true,  true, true,  true, true,
                             true, true, false, true, false, false};
    TCommandStates coverOut = filledOut;
    coverOut.addCover = false;
    TCommandStates emptyIn;
    emptyIn.outgoingGrid = true;
    emptyIn.send = true;  // kept from the outgoing page
    TCommandStates filledIn{true, false, false, true,  true, true, false,
                            true, false, true,  false, true, true};
    const Row rows[] = {
        {"both logs empty, outgoing page",
         {TMainPage::Outgoing, false, false, false, false, true},
         emptyOut},
        {"outgoing fax without cover",
         {TMainPage::Outgoing, true, false, false, false, false},
         filledOut},
        {"outgoing fax with cover",
         {TMainPage::Outgoing, true, false, true, false, false},
         coverOut},
        {"incoming page keeps Send as it was",
         {TMainPage::Incoming, true, false, false, false, true},
         emptyIn},
        {"archived incoming fax", {TMainPage::Incoming, false, true, false, true, false}, filledIn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TCommandStates got = evaluateCommands(row.in);
        EXPECT_EQ(got.sort, row.want.sort);
        EXPECT_EQ(got.send, row.want.send);
        EXPECT_EQ(got.newCover, row.want.newCover);
        EXPECT_EQ(got.edit, row.want.edit);
        EXPECT_EQ(got.del, row.want.del);
        EXPECT_EQ(got.view, row.want.view);
        EXPECT_EQ(got.addCover, row.want.addCover);
        EXPECT_EQ(got.archive, row.want.archive);
        EXPECT_EQ(got.clone, row.want.clone);
        EXPECT_EQ(got.forward, row.want.forward);
        EXPECT_EQ(got.outgoingGrid, row.want.outgoingGrid);
        EXPECT_EQ(got.incomingGrid, row.want.incomingGrid);
        EXPECT_EQ(got.archiveReadsUnarchive, row.want.archiveReadsUnarchive);
    }
}

}  // namespace
}  // namespace px
