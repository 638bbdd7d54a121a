#include "app/desktop/received_fax_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace px {

namespace {

constexpr const char* kAppName = "Parvex";
constexpr const char* kAppIcon = "mail-message-new";
constexpr int kServerDefaultTimeout = -1;
// A service that never reports its notifications closed must not make the
// list grow for as long as receive mode runs.
constexpr std::size_t kMaxRemembered = 64;

// Notification servers parse the body as markup, and control characters are
// not allowed there; the summary is plain text but shown on one line.
QString displayable(const QString& id) {
    QString text = id.trimmed();
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) {
            c = QChar::ReplacementCharacter;
        }
    }
    return text;
}

}  // namespace

QString receivedFaxText(const TReceivedFaxInfo& fax) {
    const QString id = displayable(fax.stationId);
    const QString from = id.isEmpty() ? QString("an unknown sender") : id;
    const QString pages = fax.pages == 1 ? QString("1 page") : QString("%1 pages").arg(fax.pages);
    return "Fax from " + from + ", " + pages;
}

QString receivedFaxBody(const TReceivedFaxInfo& fax) {
    return receivedFaxText(fax).toHtmlEscaped();
}

TReceivedFaxNotifier::TReceivedFaxNotifier(Open open, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), open_(std::move(open)), bus_(bus) {
    if (!bus_.isConnected()) {
        return;
    }
    // Both signals go to every client; naming the service lets the bus drop
    // any that another client sends in its place.
    bus_.connect(kNotificationService, kNotificationPath, kNotificationInterface, "ActionInvoked",
                 this, SLOT(actionInvoked(uint, QString)));
    bus_.connect(kNotificationService, kNotificationPath, kNotificationInterface,
                 "NotificationClosed", this, SLOT(notificationClosed(uint, uint)));
}

void TReceivedFaxNotifier::faxReceived(const TReceivedFaxInfo& fax) {
    if (!bus_.isConnected()) {
        emit notifyFailed("no session bus");
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kNotificationService, kNotificationPath,
                                                       kNotificationInterface, "Notify");
    const QStringList actions = {kDefaultAction, kViewActionLabel, kViewAction, kViewActionLabel};
    const QVariantMap hints = {{"category", QString("transfer.complete")}};
    call << QString(kAppName) << uint(0) << QString(kAppIcon) << QString(kNotificationSummary)
         << receivedFaxBody(fax) << actions << hints << kServerDefaultTimeout;
    // Nothing waits here: a missing service is an error reply, and a hung one
    // only a reply that never comes.
    const Shown shown{fax, QDateTime::currentDateTime()};
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, shown](QDBusPendingCallWatcher* w) { replied(w, shown); });
}

void TReceivedFaxNotifier::replied(QDBusPendingCallWatcher* watcher, const Shown& shown) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        emit notifyFailed(reply.error().name());
        return;
    }
    const uint id = reply.value();
    if (shown_.size() >= kMaxRemembered) {
        shown_.erase(shown_.begin());
    }
    shown_[id] = shown;
    emit notified(id);
}

void TReceivedFaxNotifier::actionInvoked(uint id, const QString& actionKey) {
    const auto it = shown_.find(id);
    if (it == shown_.end() || (actionKey != kDefaultAction && actionKey != kViewAction)) {
        return;
    }
    // The entry may go while the viewer runs (the service closes the notification).
    const Shown shown = it->second;
    if (open_) {
        open_(shown.fax, shown.at);
    }
}

void TReceivedFaxNotifier::notificationClosed(uint id, uint reason) {
    (void)reason;
    shown_.erase(id);
}

}  // namespace px
