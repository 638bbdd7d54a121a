// The tray icon of receive mode: the count of faxes since receive mode
// started, when closing the window keeps receiving in the tray, and the
// window coming back when receive mode ends on its own.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/desktop/receive_tray.h"
#include "settings/px_settings.h"
#include "support/accessibility.h"

namespace px::test {
namespace {

struct TrayRig {
    QWidget window;
    ReceiveSettings settings;
    TReceiveTray tray{window, settings};

    TrayRig() {
        // The offscreen platform has no tray; these tests stand in for one that does.
        tray.setTrayAvailable(true);
        window.show();
    }
    QString countEntry() const { return tray.menu()->actions().value(0)->text(); }
};

TEST(ReceiveTray, CountsFaxesSinceReceiveModeStarted) {
    TrayRig rig;
    rig.tray.receiveModeStarted();
    EXPECT_TRUE(rig.tray.iconShown());
    EXPECT_EQ(rig.tray.received(), 0);
    EXPECT_EQ(rig.countEntry(), "No faxes received yet");
    rig.tray.faxReceived({"/r/A.APF", "ID", 1});
    EXPECT_EQ(rig.countEntry(), "1 fax received");
    rig.tray.faxReceived({"/r/B.APF", "", 2});
    rig.tray.faxReceived({"/r/C.APF", "", 3});
    EXPECT_EQ(rig.tray.received(), 3);
    EXPECT_EQ(rig.countEntry(), "3 faxes received");
    EXPECT_EQ(rig.tray.toolTip(), "Parvex is receiving faxes\n3 faxes received");

    rig.tray.receiveModeStopped();
    EXPECT_FALSE(rig.tray.iconShown());
    rig.tray.receiveModeStarted();
    EXPECT_EQ(rig.tray.received(), 0);
    EXPECT_EQ(rig.countEntry(), "No faxes received yet");
}

TEST(ReceiveTray, ClosingKeepsTheWindowOnlyInReceiveModeWithTheSettingAndATray) {
    struct Case {
        bool setting;
        bool tray;
        bool receiving;
        bool keeps;
    };
    const Case cases[] = {
        {true, true, true, true},   {false, true, true, false},   {true, false, true, false},
        {true, true, false, false}, {false, false, false, false},
    };
    for (const Case& c : cases) {
        QWidget window;
        ReceiveSettings settings;
        settings.keepReceivingInTray = c.setting;
        TReceiveTray tray(window, settings);
        tray.setTrayAvailable(c.tray);
        if (c.receiving) {
            tray.receiveModeStarted();
        }
        EXPECT_EQ(tray.keepsWindowOnClose(), c.keeps)
            << "setting " << c.setting << " tray " << c.tray << " receiving " << c.receiving;
        EXPECT_EQ(tray.iconShown(), c.tray && c.receiving);
    }
}

TEST(ReceiveTray, QuitClosesTheWindowThroughItsCloseSequence) {
    struct Window : QWidget {
        TReceiveTray* tray = nullptr;
        int closes = 0;
        bool keptAtClose = true;
        void closeEvent(QCloseEvent* event) override {
            ++closes;
            keptAtClose = tray->keepsWindowOnClose();
            QWidget::closeEvent(event);
        }
    } window;
    ReceiveSettings settings;
    settings.keepReceivingInTray = true;
    TReceiveTray tray(window, settings);
    window.tray = &tray;
    tray.setTrayAvailable(true);
    tray.receiveModeStarted();
    window.hide();

    tray.quit();
    EXPECT_EQ(window.closes, 1);
    EXPECT_FALSE(window.keptAtClose) << "a quit from the tray must not hide again";
    EXPECT_TRUE(tray.keepsWindowOnClose()) << "a refused close leaves the tray as it was";
}

TEST(ReceiveTray, TheWindowComesBackWhenReceiveModeEndsWhileHidden) {
    TrayRig rig;
    rig.settings.keepReceivingInTray = true;
    rig.tray.receiveModeStarted();
    rig.window.hide();
    rig.tray.receiveModeStopped();
    EXPECT_TRUE(rig.window.isVisible());
}

TEST(ReceiveTray, MenuEntriesHaveNamesAndShowTheWindow) {
    TrayRig rig;
    rig.tray.receiveModeStarted();
    rig.window.hide();
    const QList<QAction*> actions = rig.tray.menu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_EQ(actions[2]->text(), kTrayShowWindow);
    EXPECT_EQ(actions[3]->text(), kTrayQuit);
    actions[2]->trigger();
    EXPECT_TRUE(rig.window.isVisible());

    rig.tray.menu()->popup(QPoint(0, 0));
    EXPECT_EQ(unnamedControls(rig.tray.menu()), "");
    rig.tray.menu()->hide();
}

}  // namespace
}  // namespace px::test
