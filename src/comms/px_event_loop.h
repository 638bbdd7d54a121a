// Delivery of calls to the application's thread.
//
// The dispatch thread hands trigger messages to windows and method handlers that
// live in the application's thread: a blocking send that gives up after a time
// limit, or a posted call that runs later. The GUI implements this interface on
// its event loop; tools and tests use TPxPlainEventLoop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace px {

// One queued call. The loop runs it at most once; a sender that gives up
// cancels it, so a call that was not started by then never runs.
class TPxDelivery {
public:
    explicit TPxDelivery(std::function<void()> fn) : fn_(std::move(fn)) {}

    // Runs the call on the loop's thread unless it was cancelled.
    void run();
    // True when the call will not run (it was still waiting); false when it is
    // running or has run.
    bool cancel();
    // Waits up to ms milliseconds for the call to finish; true when it has.
    bool waitDone(int ms);
    bool done() const;

private:
    enum class State { Queued, Running, Done, Cancelled };
    std::function<void()> fn_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Queued;
};

class TPxEventLoop {
public:
    virtual ~TPxEventLoop() = default;

    // Queues a call for the loop's thread; never blocks.
    virtual void post(std::shared_ptr<TPxDelivery> delivery) = 0;
    // Runs the calls that are waiting (only on the loop's thread).
    virtual void processEvents() = 0;
    // True on the thread that runs the loop.
    virtual bool isLoopThread() const = 0;

    // Runs fn on the loop's thread and waits for it to return. Gives up after
    // timeoutMs (negative: no limit) or as soon as *abandon becomes true.
    // On the loop's own thread fn is called directly. True when fn has run.
    bool send(std::function<void()> fn, int timeoutMs, const std::atomic<bool>* abandon = nullptr);
    // Queues fn to run later on the loop's thread.
    void postCall(std::function<void()> fn);
};

// An event loop for programs without a GUI: the thread that created it (or
// that called attachToCurrentThread last) runs the calls in processEvents or
// while waiting in waitAndProcess.
class TPxPlainEventLoop : public TPxEventLoop {
public:
    TPxPlainEventLoop();

    void post(std::shared_ptr<TPxDelivery> delivery) override;
    void processEvents() override;
    bool isLoopThread() const override;

    void attachToCurrentThread();
    // Waits up to ms milliseconds for a call to arrive and runs what is waiting.
    void waitAndProcess(int ms);
    // Processes calls until pred() holds or ms milliseconds have passed;
    // returns pred().
    bool runUntil(const std::function<bool()>& pred, int ms);
    size_t pending() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::shared_ptr<TPxDelivery>> queue_;
    std::atomic<std::thread::id> owner_;
};

}  // namespace px
