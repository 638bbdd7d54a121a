// A notification service on its own connection to the session bus: it keeps
// every Notify call and can invoke actions and close notifications the way a
// desktop's service does.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace px::test {

struct TNotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
    uint id = 0;
};

class TFakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    static constexpr const char* kConnectionName = "parvex-test-notification-service";

    TFakeNotificationService()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnectionName)) {}
    ~TFakeNotificationService() override {
        stop();
        QDBusConnection::disconnectFromBus(kConnectionName);
    }

    bool start() {
        return bus_.isConnected() &&
               bus_.registerObject("/org/freedesktop/Notifications", this,
                                   QDBusConnection::ExportAllSlots) &&
               bus_.registerService("org.freedesktop.Notifications");
    }
    void stop() {
        bus_.unregisterService("org.freedesktop.Notifications");
        bus_.unregisterObject("/org/freedesktop/Notifications");
    }

    std::vector<TNotifyCall> calls;

    void invokeAction(uint id, const QString& key) { emitSignal(bus_, "ActionInvoked", {id, key}); }
    void close(uint id) { emitSignal(bus_, "NotificationClosed", {id, uint(2)}); }

    static void emitSignal(QDBusConnection& bus, const char* name, const QVariantList& args) {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", name);
        signal.setArguments(args);
        bus.send(signal);
    }

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout) {
        const uint id = static_cast<uint>(calls.size()) + 100;
        calls.push_back(
            {appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout, id});
        return id;
    }
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }

private:
    QDBusConnection bus_;
};

}  // namespace px::test
