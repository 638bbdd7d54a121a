#include "comms/px_dispatcher_thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include "comms/px_posix_dispatcher.h"

namespace px {

namespace {

// The dispatch thread wakes at least this often: the resolution of timers.
constexpr int kDispatchWaitMs = 50;

}  // namespace

TPxDispatcherThread::~TPxDispatcherThread() {
    join();
}

void TPxDispatcherThread::start() {
    thread_ = std::thread([this] { run(); });
}

void TPxDispatcherThread::join() {
    if (!thread_.joinable()) {
        return;
    }
    if (isCurrent()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void TPxDispatcherThread::setNice(int nice) {
    nice_ = nice;
    if (tid_ != 0) {
        // Raising the priority needs privileges; without them the thread keeps
        // the normal one.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid_.load()), nice);
    }
}

void TPxDispatcherThread::run() {
    tid_ = static_cast<int>(::gettid());
    pthread_setname_np(pthread_self(), name());
    if (nice_ != 0) {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid_.load()), nice_);
    }
    dispatcher_.threadStarted();
    execute();
    finished_ = true;
    dispatcher_.threadEnded();
    // Whoever stops the threads waits on this event as well.
    dispatcher_.general_.set();
}

void TComThread::execute() {
    auto& d = dispatcher_;
    d.general_.set();
    while (!d.killed()) {
        uint32_t mask = 0;
        const bool working = d.waitLineEvent(mask);
        if (d.killed()) {
            break;
        }
        if (mask != 0) {
            if (mask & (evRing | evRingTe)) {
                d.noteRingEdge();
            }
            d.pendingMask_ |= mask;
            d.comEvent_.set();
            d.comDone_.wait(-1);
        }
        if (!working) {
            // The device failed: after reporting it there is nothing left to
            // wait for, and polling a hung-up descriptor would spin.
            break;
        }
    }
    d.general_.set();
}

void TDispThread::execute() {
    auto& d = dispatcher_;
    d.general_.set();
    while (!d.killed() && !d.closing()) {
        const bool event = d.comEvent_.wait(kDispatchWaitMs);
        if (d.killed()) {
            break;
        }
        if (event) {
            d.processLineEvent(d.pendingMask_.exchange(0));
            d.comDone_.set();
        }
        d.processTriggers();
        if (d.handlerFailed()) {
            break;
        }
    }
    endedByKill_ = d.killed();
}

void TOutThread::execute() {
    auto& d = dispatcher_;
    d.general_.set();
    while (!d.killed() && !d.closing()) {
        const int which = TPxEvent::waitAny({&d.outputEvent_, &d.flushRequest_}, -1);
        if (which == 1) {
            d.acknowledgeFlush();
            continue;
        }
        if (d.killed()) {
            break;
        }
        d.drainOutput();
    }
}

}  // namespace px
