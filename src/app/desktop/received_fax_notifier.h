// The desktop notification for each received fax, through the freedesktop
// notification service on the session bus. Its action opens the fax. Calls
// are asynchronous, and a desktop without the service (or without a session
// bus) simply shows nothing.
#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

#include "app/incoming/receive_mode_listener.h"

class QDBusPendingCallWatcher;

namespace px {

inline constexpr const char* kNotificationService = "org.freedesktop.Notifications";
inline constexpr const char* kNotificationPath = "/org/freedesktop/Notifications";
inline constexpr const char* kNotificationInterface = "org.freedesktop.Notifications";
// The action a click on the notification itself invokes, and the button's.
inline constexpr const char* kDefaultAction = "default";
inline constexpr const char* kViewAction = "view";
inline constexpr const char* kViewActionLabel = "View Fax";
inline constexpr const char* kNotificationSummary = "Fax received";

// "Fax from +1 555 0100, 3 pages" as plain text; the ID trimmed, with its
// control characters shown as U+FFFD.
QString receivedFaxText(const TReceivedFaxInfo& fax);
// The same, escaped for the markup a notification body may carry.
QString receivedFaxBody(const TReceivedFaxInfo& fax);

class TReceivedFaxNotifier : public QObject, public TReceiveModeListener {
    Q_OBJECT

public:
    // Opens a received fax (the viewer); `at` is when the fax arrived.
    using Open = std::function<void(const TReceivedFaxInfo& fax, const QDateTime& at)>;

    explicit TReceivedFaxNotifier(Open open,
                                  const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    void faxReceived(const TReceivedFaxInfo& fax) override;

    // Notifications shown and not yet closed.
    std::size_t openNotifications() const { return shown_.size(); }

signals:
    // The service showed the notification under this ID.
    void notified(uint id);
    // The service could not be reached or refused (no error is shown for it).
    void notifyFailed(const QString& error);

private slots:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);

private:
    struct Shown {
        TReceivedFaxInfo fax;
        QDateTime at;
    };
    void replied(QDBusPendingCallWatcher* watcher, const Shown& shown);

    Open open_;
    QDBusConnection bus_;
    std::map<uint, Shown> shown_;
};

}  // namespace px
