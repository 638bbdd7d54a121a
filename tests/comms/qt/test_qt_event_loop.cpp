// Delivery from worker threads to a Qt event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <thread>

#include "comms/qt/px_qt_event_loop.h"

namespace px {
namespace {

TEST(QtEventLoop, SendRunsInTheLoopThreadAndGivesUpWhenNobodyServes) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    TPxQtEventLoop loop;
    EXPECT_TRUE(loop.isLoopThread());
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> ranInMain{false};
    std::atomic<bool> sent{false};
    std::atomic<bool> gaveUp{false};
    std::atomic<bool> late{false};
    std::thread worker([&] {
        sent = loop.send([&] { ranInMain = std::this_thread::get_id() == mainThread; }, 3000);
        // Nobody runs the loop now: the send gives up and the call never runs.
        QMetaObject::invokeMethod(
            &app, [&] { app.quit(); }, Qt::QueuedConnection);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gaveUp = !loop.send([&] { late = true; }, 100);
    });
    QTimer::singleShot(5000, &app, [&] { app.quit(); });
    app.exec();
    worker.join();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(ranInMain);
    EXPECT_TRUE(gaveUp);
    loop.processEvents();  // the abandoned call stays abandoned
    EXPECT_FALSE(late);
    int called = 0;
    EXPECT_TRUE(loop.send([&] { ++called; }, 0));  // on the loop thread: direct
    EXPECT_EQ(called, 1);
}

}  // namespace
}  // namespace px
