// Closing the main window in receive mode with the tray icon: with
// Receive/KeepReceivingInTray the window hides and receiving goes on, and the
// tray's Quit runs the usual close sequence; without it, closing is as ever.
#include "app/desktop/desktop_receiving.h"
#include "main_window_fixture.h"

namespace px::test {
namespace {

class TrayClose : public MainWindowFixture {
protected:
    void openInReceiveMode(bool keepInTray) {
        configured();
        writeLogs({}, {});
        open();
        window->settings().receive.keepReceivingInTray = keepInTray;
        TReceiveTray& tray = window->desktopReceiving().tray();
        // The offscreen platform has no tray; this stands in for one that has.
        tray.setTrayAvailable(true);
        window->setReceiveMode(true);
        tray.receiveModeStarted();
    }
};

TEST_F(TrayClose, WithTheSettingClosingHidesTheWindowAndKeepsReceiving) {
    openInReceiveMode(true);
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->receiveMode());
    EXPECT_TRUE(window->outgoingLog().table().isOpen());
    EXPECT_TRUE(window->incomingLog().table().isOpen());

    window->desktopReceiving().tray().showWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->receiveMode());

    window->desktopReceiving().tray().quit();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->receiveMode()) << "Quit ends receive mode on its way out";
    EXPECT_FALSE(window->outgoingLog().table().isOpen());
}

TEST_F(TrayClose, WithoutTheSettingClosingEndsReceiveModeAsEver) {
    openInReceiveMode(false);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->receiveMode());
    EXPECT_FALSE(window->outgoingLog().table().isOpen());
}

TEST_F(TrayClose, TheTraysQuitStillAsksWhileAFaxComesIn) {
    openInReceiveMode(true);
    window->setFaxBeingReceived(true);
    prompts.answers = {false};
    window->desktopReceiving().tray().quit();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].text, kClosingWhileReceiving);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->receiveMode());
    window->setFaxBeingReceived(false);
    window->settings().receive.keepReceivingInTray = false;
}

}  // namespace
}  // namespace px::test
