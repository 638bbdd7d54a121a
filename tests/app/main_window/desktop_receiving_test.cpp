// What the desktop adds to receive mode, in the main window: closing with
// the tray icon (with Receive/KeepReceivingInTray the window hides and
// receiving goes on, and the tray's Quit runs the usual close sequence;
// without it, closing is as ever), the notification's viewer, and the
// receipt command's trouble in the status panel.
#include <QTest>

#include "app/desktop/desktop_receiving.h"
#include "app/host/status_panel.h"
#include "main_window_fixture.h"
#include "support/apf_samples.h"
#include "ui/viewer/fax_viewer.h"

namespace px::test {
namespace {

class DesktopReceiving : public MainWindowFixture {
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

TEST_F(DesktopReceiving, WithTheSettingClosingHidesTheWindowAndKeepsReceiving) {
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

TEST_F(DesktopReceiving, WithoutTheSettingClosingEndsReceiveModeAsEver) {
    openInReceiveMode(false);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->receiveMode());
    EXPECT_FALSE(window->outgoingLog().table().isOpen());
}

TEST_F(DesktopReceiving, TheTraysQuitStillAsksWhileAFaxComesIn) {
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

TEST_F(DesktopReceiving, TheNotificationOpensTheFaxBesideTheWindow) {
    openInReceiveMode(false);
    QImage page(1728, 400, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    const std::string file = home / "Receive/R0000001.APF";
    writeApfPages(file, {page, page}, true);

    const TReceivedFaxInfo fax{QString::fromStdString(file), "+1 555 0100", 2};
    window->openReceivedFax(fax, QDateTime(QDate(2026, 12, 8), QTime(9, 5)));
    TFaxViewer* viewer = window->findChild<TFaxViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->isModal()) << "receive mode goes on while the fax is viewed";
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->ready(); }, 5000));
    EXPECT_EQ(viewer->fileName(), QString::fromStdString(file));
    EXPECT_EQ(viewer->title(), "Fax printout");
    EXPECT_TRUE(
        viewer->printHeader().startsWith("From: +1 555 0100" + QString(13, ' ') + "Received: "))
        << viewer->printHeader().toStdString();
    EXPECT_TRUE(prompts.informations.empty());
    viewer->close();
    QApplication::processEvents();
}

TEST_F(DesktopReceiving, AReceiptCommandThatCannotStartIsShownInTheStatusPanel) {
    openInReceiveMode(false);
    window->statusPanel().showText("Waiting for fax...");
    window->settings().receive.command = home / "missing-program";
    window->desktopReceiving().command().faxReceived(
        {QString::fromStdString(home / "Receive/R0000001.APF"), "X", 1});
    EXPECT_EQ(window->statusPanel().text(),
              receiptCommandFailure(QString::fromStdString(home / "missing-program"), "not found"));
    EXPECT_TRUE(window->receiveMode());
}

}  // namespace
}  // namespace px::test
