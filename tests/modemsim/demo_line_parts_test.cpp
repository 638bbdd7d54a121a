// The demo line's parts that need no call: telling a DTE that waits for calls
// from one about to send, and numbering the faxes kept in the inbox.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "demo_inbox.h"
#include "receive_watch.h"

namespace px {
namespace {

void feed(ReceiveWatch& watch, const std::string& text) {
    watch.fromDte(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(ReceiveWatch, ArmsOnReceiveSetUpAndDisarmsWhenTheDteDialsOrResets) {
    ReceiveWatch watch;
    // Class 1 receive mode: initialise, probe, then select the class and wait.
    feed(watch, "ATE0Q0V1X4S0=0S2=43\r");
    EXPECT_FALSE(watch.armed()) << "S0=0 turns auto-answer off";
    feed(watch, "AT+FCLASS=1\rAT+FRM=?\r");
    EXPECT_FALSE(watch.armed()) << "probing modulations is a DTE at work";
    feed(watch, "AT+FCLASS=1\r");
    EXPECT_TRUE(watch.armed());
    EXPECT_EQ(watch.armings(), 2u);

    // A send selects the class too, then dials.
    feed(watch, "AT+FCLASS=1\r\nATDT5551234\r");
    EXPECT_FALSE(watch.armed());

    // Class 2 reception, auto-answer, and the commands that end them.
    for (const char* arming : {"AT+FCR=1", "AT+FAA=0", "ATS0=2", "at+fclass=2.0"}) {
        feed(watch, "ATZ\r");
        EXPECT_FALSE(watch.armed());
        feed(watch, std::string(arming) + "\r");
        EXPECT_TRUE(watch.armed()) << arming;
    }
    for (const char* ending : {"ATH0", "AT&F", "ATA", "AT+FCLASS=1;D123"}) {
        feed(watch, "AT+FCLASS=1\r");
        feed(watch, std::string(ending) + "\r");
        EXPECT_FALSE(watch.armed()) << ending;
    }
    // Neutral lines and queries keep the state.
    feed(watch, "AT+FCLASS=1\rAT\rAT+FCLASS=?\rAT+FCR=0\r");
    EXPECT_TRUE(watch.armed());
}

TEST(ReceiveWatch, LinesSplitAcrossReadsCountOnceAndOverlongLinesAreDropped) {
    ReceiveWatch watch;
    feed(watch, "AT+FC");
    EXPECT_FALSE(watch.armed());
    feed(watch, "LASS=1");
    EXPECT_FALSE(watch.armed()) << "no command before its carriage return";
    feed(watch, "\r");
    EXPECT_TRUE(watch.armed());

    // Page data is no command, even when its tail looks like one.
    watch.reset();
    feed(watch, std::string(300, 'x') + "AT+FCLASS=1\r");
    EXPECT_FALSE(watch.armed());
    // A half line from before a reset is forgotten.
    feed(watch, "ATD");
    watch.reset();
    feed(watch, "AT+FCLASS=1\r");
    EXPECT_TRUE(watch.armed());
}

TEST(DemoInbox, NumbersOnFromTheHighestFaxAlreadyThere) {
    test::TempDir dir;
    const std::string inbox = dir / "nested/inbox";
    {
        DemoInbox first(inbox);
        EXPECT_EQ(first.nextBase(), inbox + "/fax-0001");
        EXPECT_EQ(first.nextBase(), inbox + "/fax-0002");
    }
    std::ofstream(inbox + "/fax-0041.json") << "{}";
    std::ofstream(inbox + "/fax-9x.tif") << "";
    std::ofstream(inbox + "/notes.txt") << "";
    DemoInbox again(inbox);
    EXPECT_EQ(again.nextBase(), inbox + "/fax-0042");

    EXPECT_EQ(inboxNumber("fax-0007.tif"), 7);
    EXPECT_EQ(inboxNumber("fax-12345.json"), 12345);
    EXPECT_EQ(inboxNumber("fax-0050.part.tif"), 50) << "a fax still coming in holds its number";
    EXPECT_EQ(inboxNumber("fax-.tif"), 0);
    EXPECT_EQ(inboxNumber("fax-0007"), 0);
    EXPECT_EQ(inboxNumber("Fax-0007.tif"), 0);
    EXPECT_EQ(inboxNumber("fax-99999999999.tif"), 0);

    // A file where the folder should be.
    std::ofstream(dir / "plain") << "";
    EXPECT_THROW(DemoInbox(dir / "plain"), std::runtime_error);
}

}  // namespace
}  // namespace px
