// The tray icon while receive mode runs: its tooltip and menu count the faxes
// received since receive mode started. With Receive/KeepReceivingInTray,
// closing the main window hides it and receiving goes on; the menu shows the
// window again or quits through the window's close sequence.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/incoming/receive_mode_listener.h"

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace px {

struct ReceiveSettings;

inline constexpr const char* kTrayShowWindow = "&Show Parvex";
inline constexpr const char* kTrayQuit = "&Quit Parvex";
inline constexpr const char* kTrayStillReceiving =
    "Parvex goes on receiving faxes. Click the tray icon to show the window again.";

// "No faxes received yet", "1 fax received", "3 faxes received".
QString receivedCountText(int count);

class TReceiveTray : public QObject, public TReceiveModeListener {
    Q_OBJECT

public:
    TReceiveTray(QWidget& window, const ReceiveSettings& settings, QObject* parent = nullptr);
    ~TReceiveTray() override;

    void receiveModeStarted() override;
    void faxReceived(const TReceivedFaxInfo& fax) override;
    void receiveModeStopped() override;

    // Whether the desktop has a tray; asked of the desktop at construction.
    void setTrayAvailable(bool available) { trayAvailable_ = available; }
    bool iconShown() const;

    int received() const { return received_; }
    QString toolTip() const;
    QMenu* menu() const { return menu_.get(); }

    // The window's close hides it instead: receive mode runs, the icon is
    // there to bring the window back, the setting asks for it, and no quit
    // from the tray menu is under way.
    bool keepsWindowOnClose() const;

    // Hides the window at its close; the first time, the icon says where
    // Parvex went.
    void hideToTray();

    // The tray menu's entries.
    void showWindow();
    void quit();

private:
    void update();

    QWidget& window_;
    const ReceiveSettings& settings_;
    std::unique_ptr<QMenu> menu_;
    QAction* countAction_ = nullptr;
    QSystemTrayIcon* icon_ = nullptr;
    bool trayAvailable_ = false;
    bool active_ = false;
    bool quitting_ = false;
    bool toldWhereItWent_ = false;
    int received_ = 0;
};

}  // namespace px
