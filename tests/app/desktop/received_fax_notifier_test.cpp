// The desktop notification against a notification service of the test's own
// on a private session bus (the test runs under dbus-run-session): what the
// service is asked to show, the action opening the fax, and a desktop without
// the service.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/desktop/fake_notification_service.h"
#include "app/desktop/received_fax_notifier.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"

namespace px::test {
namespace {

constexpr int kReplyTimeoutMs = 10000;
// How long a signal that must not lead anywhere is given to arrive.
constexpr int kSettleMs = 300;

class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        PX_REQUIRE(qEnvironmentVariableIsSet("PARVEX_PRIVATE_SESSION_BUS") &&
                       QDBusConnection::sessionBus().isConnected(),
                   "a private session bus (dbus-run-session)");
        service_ = std::make_unique<TFakeNotificationService>();
        ASSERT_TRUE(service_->start());
    }

    TFakeNotificationService& service() { return *service_; }

    // Tells the notifier of a fax and waits for the service's answer.
    uint notify(TReceivedFaxNotifier& notifier, const TReceivedFaxInfo& fax) {
        QSignalSpy shown(&notifier, &TReceivedFaxNotifier::notified);
        notifier.faxReceived(fax);
        if (!shown.wait(kReplyTimeoutMs)) {
            ADD_FAILURE() << "no answer from the notification service";
            return 0;
        }
        return shown.at(0).at(0).toUInt();
    }

    struct Opened {
        QString path;
        QString id;
        int pages;
    };
    std::vector<Opened> opened;
    TReceivedFaxNotifier::Open recorder() {
        return [this](const TReceivedFaxInfo& fax, const QDateTime& at) {
            EXPECT_TRUE(at.isValid());
            opened.push_back({fax.path, fax.stationId, fax.pages});
        };
    }

private:
    std::unique_ptr<TFakeNotificationService> service_;
};

TEST_F(NotifierTest, AsksTheServiceForSummaryBodyAndTheViewAction) {
    TReceivedFaxNotifier notifier(recorder());
    const uint id = notify(notifier, {"/home/ann/parvex/Receive/R0000001.APF", "+1 555 0100", 3});
    ASSERT_EQ(service().calls.size(), 1u);
    const TNotifyCall& call = service().calls[0];
    EXPECT_EQ(id, call.id);
    EXPECT_EQ(call.appName, "Parvex");
    EXPECT_EQ(call.replacesId, 0u);
    EXPECT_EQ(call.summary, "Fax received");
    EXPECT_EQ(call.body, "Fax from +1 555 0100, 3 pages");
    EXPECT_EQ(call.actions, QStringList({"default", "View Fax", "view", "View Fax"}));
    EXPECT_EQ(call.expireTimeout, -1);
    EXPECT_EQ(notifier.openNotifications(), 1u);
}

TEST_F(NotifierTest, BodyTextsForNoIdOnePageAndHostileIds) {
    struct Case {
        QString id;
        int pages;
        const char* body;
    };
    const Case cases[] = {
        {"", 1, "Fax from an unknown sender, 1 page"},
        {"                    ", 2, "Fax from an unknown sender, 2 pages"},
        {"  +49 30 1234      ", 0, "Fax from +49 30 1234, 0 pages"},
        {"<b>x</b><a href=y>", 1, "Fax from &lt;b&gt;x&lt;/b&gt;&lt;a href=y&gt;, 1 page"},
        {"\"\"&amp;''\"\"", 1, "Fax from &quot;&quot;&amp;amp;''&quot;&quot;, 1 page"},
        {"%n%s ../../$(id)", 1, "Fax from %n%s ../../$(id), 1 page"},
        {QString::fromUtf8("A\x01\x1b[2J\nB\x7f"), 1,
         "Fax from A\xef\xbf\xbd\xef\xbf\xbd[2J\xef\xbf\xbd"
         "B\xef\xbf\xbd, 1 page"},
        {QString::fromUtf8("Müller ☎ 東京"), 4, "Fax from Müller ☎ 東京, 4 pages"},
    };
    TReceivedFaxNotifier notifier(recorder());
    for (const Case& c : cases) {
        notify(notifier, {"/r/F.APF", c.id, c.pages});
        ASSERT_FALSE(service().calls.empty());
        EXPECT_EQ(service().calls.back().body, QString::fromUtf8(c.body)) << c.id.toStdString();
        EXPECT_EQ(service().calls.back().summary, "Fax received");
    }
}

TEST_F(NotifierTest, TheActionOpensTheFaxItWasShownFor) {
    TReceivedFaxNotifier notifier(recorder());
    const uint first = notify(notifier, {"/r/R0000001.APF", "FIRST", 1});
    const uint second = notify(notifier, {"/r/R0000002.APF", "SECOND", 2});

    service().invokeAction(second, "view");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kReplyTimeoutMs));
    EXPECT_EQ(opened[0].path, "/r/R0000002.APF");
    EXPECT_EQ(opened[0].id, "SECOND");
    EXPECT_EQ(opened[0].pages, 2);

    service().invokeAction(first, "default");
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, kReplyTimeoutMs));
    EXPECT_EQ(opened[1].path, "/r/R0000001.APF");
}

TEST_F(NotifierTest, ActionsOfOtherNotificationsOrFromOtherClientsOpenNothing) {
    TReceivedFaxNotifier notifier(recorder());
    const uint id = notify(notifier, {"/r/R0000001.APF", "X", 1});

    service().invokeAction(id + 1000, "view");  // another program's notification
    service().invokeAction(id, "unknown-key");
    // Any client can send the signal; only the service's own counts.
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
    TFakeNotificationService::emitSignal(other, "ActionInvoked", {id, QString("view")});
    QTest::qWait(kSettleMs);
    EXPECT_TRUE(opened.empty());
    QDBusConnection::disconnectFromBus("other");

    service().close(id);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return notifier.openNotifications() == 0; }, kReplyTimeoutMs));
    service().invokeAction(id, "view");
    QTest::qWait(kSettleMs);
    EXPECT_TRUE(opened.empty()) << "a closed notification's action";
}

TEST_F(NotifierTest, NoServiceOnTheBusIsNoError) {
    service().stop();
    TReceivedFaxNotifier notifier(recorder());
    QSignalSpy failed(&notifier, &TReceivedFaxNotifier::notifyFailed);
    QSignalSpy shown(&notifier, &TReceivedFaxNotifier::notified);
    notifier.faxReceived({"/r/F.APF", "X", 1});
    ASSERT_TRUE(failed.wait(kReplyTimeoutMs));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(notifier.openNotifications(), 0u);
    EXPECT_TRUE(service().calls.empty());
}

TEST(ReceivedFaxNotifier, NoSessionBusIsNoError) {
    const QDBusConnection none =
        QDBusConnection::connectToBus("unix:path=/nonexistent/parvex-bus", "parvex-no-bus");
    ASSERT_FALSE(none.isConnected());
    TReceivedFaxNotifier notifier([](const TReceivedFaxInfo&, const QDateTime&) {}, none);
    QSignalSpy failed(&notifier, &TReceivedFaxNotifier::notifyFailed);
    notifier.faxReceived({"/r/F.APF", "X", 1});
    EXPECT_EQ(failed.size(), 1);
    QDBusConnection::disconnectFromBus("parvex-no-bus");
}

// Draws what the service received the way a desktop shows a notification:
// the application, the summary in bold, the body read as markup (so an
// escaped ID shows as typed) and the action as a button. With
// $PARVEX_SCREENSHOT_DIR set the picture goes there for the documentation.
TEST_F(NotifierTest, Screenshot) {
    TReceivedFaxNotifier notifier(recorder());
    notify(notifier, {"/r/R0000001.APF", "+1 555 0100", 3});
    ASSERT_EQ(service().calls.size(), 1u);
    const TNotifyCall& call = service().calls[0];

    QFrame bubble;
    bubble.setFixedWidth(380);
    bubble.setStyleSheet(
        "QFrame#bubble { background: #2b2d30; border-radius: 10px; }"
        "QLabel { color: #e8e8e8; background: transparent; }"
        "QLabel#app { color: #a8acb2; font-size: 11px; }"
        "QLabel#summary { font-weight: bold; font-size: 14px; }"
        "QPushButton { background: #3d4046; color: #e8e8e8; border: none;"
        " border-radius: 6px; padding: 6px; }");
    bubble.setObjectName("bubble");
    auto* layout = new QVBoxLayout(&bubble);
    layout->setContentsMargins(14, 10, 14, 12);
    auto* app = new QLabel(call.appName + " · now", &bubble);
    app->setObjectName("app");
    auto* summary = new QLabel(call.summary, &bubble);
    summary->setObjectName("summary");
    summary->setTextFormat(Qt::PlainText);
    auto* body = new QLabel(call.body, &bubble);
    body->setTextFormat(Qt::RichText);
    body->setWordWrap(true);
    layout->addWidget(app);
    layout->addWidget(summary);
    layout->addWidget(body);
    auto* buttons = new QHBoxLayout;
    for (qsizetype i = 0; i + 1 < call.actions.size(); i += 2) {
        if (call.actions[i] != "default") {
            buttons->addWidget(new QPushButton(call.actions[i + 1], &bubble));
        }
    }
    layout->addLayout(buttons);
    bubble.show();
    QApplication::processEvents();

    TempDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : scratch.path();
    const QPixmap shot = bubble.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromStdString(dir + "/notification.png")));
}

}  // namespace
}  // namespace px::test
