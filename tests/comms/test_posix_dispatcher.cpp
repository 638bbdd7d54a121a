// The Linux port driver and its threads against pseudo-terminals.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "comms/px_port_table.h"
#include "comms/px_posix_dispatcher.h"
#include "pty_modem.h"

namespace px::test {
namespace {

using namespace std::chrono_literals;

// Counts what a directory of /proc/self lists (descriptors, threads).
size_t countEntries(const char* dir) {
    size_t n = 0;
    if (DIR* d = opendir(dir)) {
        while (dirent* e = readdir(d)) {
            n += e->d_name[0] != '.';
        }
        closedir(d);
    }
    return n;
}

// Called in the dispatch thread; the test thread waits on it.
struct Events {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    std::string bytes;
    std::function<void(uint32_t msg, uint32_t wParam)> action;
    TPxBaseDispatcher* d = nullptr;

    static void handler(void* self, uint32_t msg, uint32_t w, uint32_t) {
        auto* e = static_cast<Events*>(self);
        std::string taken;
        if (msg == kMsgTriggerData || msg == kMsgTriggerAvail) {
            uint8_t b;
            while (e->d->takeByte(b) == ecOK) {
                taken += static_cast<char>(b);
            }
        }
        if (e->action) {
            e->action(msg, w);
        }
        {
            std::lock_guard lock(e->mutex);
            e->calls.emplace_back(msg, w);
            e->bytes += taken;
        }
        e->changed.notify_all();
    }
    void attach(TPxBaseDispatcher& dispatcher) {
        d = &dispatcher;
        dispatcher.addMethodHandler(&Events::handler, this, false);
    }
    bool waitFor(uint32_t msg, uint32_t wParam, std::chrono::milliseconds timeout = 3s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] {
            for (auto& c : calls) {
                if (c.first == msg && c.second == wParam) {
                    return true;
                }
            }
            return false;
        });
    }
};

std::unique_ptr<TPxPosixDispatcher> openOn(const std::string& path, int* result = nullptr,
                                           uint32_t outSize = 8192) {
    auto d = std::make_unique<TPxPosixDispatcher>(nullptr, TPxSystemClock::instance(), nullptr);
    int r = d->openPort(path, 115200, kParityNone, 8, 1, 8192, outSize, true, true);
    if (result != nullptr) {
        *result = r;
    }
    return d;
}

TEST(PosixPort, ExchangesDataThroughTheThreads) {
    PtyModem modem;
    modem.on("AT", "\r\nOK\r\n");
    int result;
    Events events;  // outlives the dispatcher's threads
    auto d = openOn(modem.path(), &result);
    ASSERT_EQ(result, ecOK);
    EXPECT_EQ(d->runningThreads(), 3);
    events.attach(*d);
    int ok = d->newDataTrigger("OK", false);
    ASSERT_EQ(d->writeText("AT\r"), ecOK);
    ASSERT_TRUE(events.waitFor(kMsgTriggerData, uint32_t(ok)));
    EXPECT_EQ(modem.received(), "AT\r");
    EXPECT_EQ(events.bytes.rfind("\r\nOK", 0), 0u);
    uint32_t baud;
    int parity, dataBits, stopBits;
    d->getLineParams(baud, parity, dataBits, stopBits);
    EXPECT_EQ(baud, 115200u);
    EXPECT_EQ(d->closePort(), ecOK);
}

TEST(PosixPort, TimerAndOutputTriggersFireFromTheDispatchThread) {
    PtyModem modem;
    Events events;  // outlives the dispatcher's threads
    auto d = openOn(modem.path());
    events.attach(*d);
    int timer = d->newTimerTrigger();
    int used = d->newStatusTrigger(stOutUsed);
    int sent = d->newStatusTrigger(stOutSent);
    ASSERT_EQ(d->armTimerTrigger(timer, 2, true), ecOK);
    EXPECT_TRUE(events.waitFor(kMsgTriggerTimer, uint32_t(timer)));
    ASSERT_EQ(d->writeText(std::string(3000, 'x')), ecOK);
    ASSERT_EQ(d->armStatusTrigger(used, 0, true), ecOK);
    ASSERT_EQ(d->armStatusTrigger(sent, 0, true), ecOK);
    EXPECT_TRUE(events.waitFor(kMsgTriggerStatus, uint32_t(sent)));
    EXPECT_TRUE(events.waitFor(kMsgTriggerStatus, uint32_t(used)));
    EXPECT_TRUE(modem.waitFor(std::string(3000, 'x'), 3000));
}

// A handler's owner removes it from another thread while the dispatch
// thread is inside a call to it: removal returns only after that call, so
// the owner may go away at once.
TEST(PosixPort, RemovingAHandlerWaitsForTheCallInProgress) {
    PtyModem modem;
    auto d = openOn(modem.path());
    struct Owner {
        std::atomic<bool> inCall{false};
        std::atomic<bool> callEnded{false};
        static void handler(void* self, uint32_t msg, uint32_t, uint32_t) {
            auto* owner = static_cast<Owner*>(self);
            if (msg != kMsgTriggerTimer || owner->callEnded) {
                return;
            }
            owner->inCall = true;
            std::this_thread::sleep_for(300ms);
            owner->callEnded = true;
        }
    } owner;
    d->addMethodHandler(&Owner::handler, &owner, false);
    int timer = d->newTimerTrigger();
    ASSERT_EQ(d->armTimerTrigger(timer, 1, true), ecOK);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!owner.inCall && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(owner.inCall);
    d->removeMethodHandler(&Owner::handler, &owner);
    EXPECT_TRUE(owner.callEnded);
    EXPECT_EQ(d->closePort(), ecOK);
}

TEST(PosixPort, OpenFailuresGiveTheOperatingSystemError) {
    int result;
    auto missing = openOn("/dev/parvex-no-such-port", &result);
    EXPECT_EQ(result, ecFileNotFound);
    EXPECT_FALSE(missing->isOpen());
    auto notTty = openOn("/dev/null", &result);
    EXPECT_EQ(result, ecFileNotFound);
    PtyModem modem;
    auto first = openOn(modem.path(), &result);
    ASSERT_EQ(result, ecOK);
    auto second = openOn(modem.path(), &result);
    EXPECT_EQ(result, ecAccessDenied);  // in use
    EXPECT_EQ(second->runningThreads(), 0);
    first->closePort();
    first.reset();
    auto third = openOn(modem.path(), &result);
    EXPECT_EQ(result, ecOK);
    EXPECT_TRUE(TPxPosixDispatcher::probeDevice(modem.path()));  // busy, but present
    EXPECT_FALSE(TPxPosixDispatcher::probeDevice("/dev/parvex-no-such-port"));
}

TEST(PosixPort, TheDeviceVanishingIsReportedAndTheComThreadEnds) {
    PtyModem modem;
    Events events;  // outlives the dispatcher's threads
    auto d = openOn(modem.path());
    events.attach(*d);
    int lines = d->newStatusTrigger(stModem);
    ASSERT_EQ(d->armStatusTrigger(lines, msDsr | msCts, true), ecOK);
    modem.hangUp();
    EXPECT_TRUE(events.waitFor(kMsgTriggerStatus, uint32_t(lines)));
    EXPECT_NE(d->deviceError(), 0);
    EXPECT_FALSE(d->dsrOn());
    // Only the dispatch and output threads remain: nothing polls the dead
    // descriptor any more.
    for (int i = 0; i < 200 && d->runningThreads() != 2; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(d->runningThreads(), 2);
    // Writes go nowhere but do not block; timers still work.
    EXPECT_EQ(d->writeText("ATH\r"), ecOK);
    int timer = d->newTimerTrigger();
    d->armTimerTrigger(timer, 1, true);
    EXPECT_TRUE(events.waitFor(kMsgTriggerTimer, uint32_t(timer)));
    EXPECT_EQ(d->closePort(), ecOK);
    d.reset();
}

TEST(PosixPort, StoppingWithAWritePendingWritesNothingAfterwards) {
    PtyModem modem;
    modem.setReading(false);
    auto d = openOn(modem.path());
    const std::string block(4000, 'w');
    // Fill the device's queue and the output ring until writes are refused.
    for (int i = 0; i < 200 && d->writeText(block) == ecOK; ++i) {
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_GT(d->outputCount(), 0u);
    d->closePort();
    d.reset();
    modem.setReading(true);
    std::this_thread::sleep_for(100ms);
    const size_t atClose = modem.receivedCount();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(modem.receivedCount(), atClose);
}

TEST(PosixPort, PurgeWithTheOutputThreadRunningEmptiesTheRing) {
    PtyModem modem;
    modem.setReading(false);
    auto d = openOn(modem.path());
    const std::string block(4000, 'p');
    for (int i = 0; i < 200 && d->writeText(block) == ecOK; ++i) {
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_GT(d->outputCount(), 0u);
    EXPECT_EQ(d->clearOutput(), ecOK);
    EXPECT_EQ(d->outputCount(), 0u);
    EXPECT_EQ(d->writeText("AFTER\r"), ecOK);
    modem.setReading(true);
    EXPECT_TRUE(modem.waitFor("AFTER\r", 3000));
}

void closeFromHandler(uint32_t msg, uint32_t, uint32_t lParam) {
    if (msg == kMsgTriggerData) {
        TPxBaseDispatcher* d = TPxPortTable::instance().find(lParamPort(lParam));
        d->closePort();
    }
}

TEST(PosixPort, AHandlerCanCloseThePortInsideADispatch) {
    PtyModem modem;
    auto d = openOn(modem.path());
    d->addProcHandler(&closeFromHandler);
    d->newDataTrigger("BYE", false);
    modem.send("BYE");
    for (int i = 0; i < 400 && d->runningThreads() > 0; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(d->closing());
    EXPECT_FALSE(d->isOpen());
    EXPECT_EQ(d->runningThreads(), 0);
    d.reset();
    auto again = openOn(modem.path());
    EXPECT_TRUE(again->isOpen());
}

TEST(PosixPort, StartingTwiceIsRefused) {
    PtyModem modem;
    auto d = openOn(modem.path());
    EXPECT_THROW(d->startThreads(), std::exception);
}

TEST(PosixPort, TenThousandOpenCloseCyclesLeakNothing) {
    PtyModem modem;
    { auto warm = openOn(modem.path()); }
    const size_t fds = countEntries("/proc/self/fd");
    const size_t tasks = countEntries("/proc/self/task");
    for (int i = 0; i < 10000; ++i) {
        int result;
        auto d = openOn(modem.path(), &result);
        ASSERT_EQ(result, ecOK) << "cycle " << i;
        d->closePort();
    }
    EXPECT_EQ(countEntries("/proc/self/fd"), fds);
    EXPECT_EQ(countEntries("/proc/self/task"), tasks);
}

}  // namespace
}  // namespace px::test

#include <sys/stat.h>
#include <unistd.h>

#include "comms/px_serial_ports.h"

namespace px::test {
namespace {

TEST(SerialPorts, ListsTheDevicesThatAnswerInTheirOrder) {
    PtyModem usb, acm;
    char dir[] = "/tmp/px-dev-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string root = dir;
    mkdir((root + "/serial").c_str(), 0755);
    mkdir((root + "/serial/by-id").c_str(), 0755);
    ASSERT_EQ(symlink(usb.path().c_str(), (root + "/ttyUSB10").c_str()), 0);
    ASSERT_EQ(symlink(acm.path().c_str(), (root + "/ttyUSB2").c_str()), 0);
    ASSERT_EQ(symlink(acm.path().c_str(), (root + "/ttyACM0").c_str()), 0);
    ASSERT_EQ(symlink("/dev/null", (root + "/ttyS0").c_str()), 0);     // not a tty
    ASSERT_EQ(symlink("/nonexistent", (root + "/ttyS1").c_str()), 0);  // gone
    ASSERT_EQ(symlink(usb.path().c_str(), (root + "/serial/by-id/usb-Modem-if00").c_str()), 0);
    // A port in use is still listed.
    auto busy = openOn(acm.path());
    ASSERT_TRUE(busy->isOpen());
    EXPECT_EQ(listSerialPorts(root),
              (std::vector<std::string>{root + "/ttyUSB2", root + "/ttyUSB10", root + "/ttyACM0",
                                        root + "/serial/by-id/usb-Modem-if00"}));
    for (const char* name : {"/ttyUSB10", "/ttyUSB2", "/ttyACM0", "/ttyS0", "/ttyS1",
                             "/serial/by-id/usb-Modem-if00"}) {
        unlink((root + name).c_str());
    }
    rmdir((root + "/serial/by-id").c_str());
    rmdir((root + "/serial").c_str());
    rmdir(root.c_str());
}

}  // namespace
}  // namespace px::test
