#include "comms/px_event_loop.h"

#include <chrono>

namespace px {

namespace {

// A sender waits in slices this short, so that an abandon request is seen
// quickly.
constexpr int kSendSliceMs = 20;
// runUntil looks at its condition at least this often.
constexpr long kRunSliceMs = 10;

}  // namespace

void TPxDelivery::run() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Queued) {
            return;
        }
        state_ = State::Running;
    }
    auto finish = [this] {
        {
            std::lock_guard lock(mutex_);
            state_ = State::Done;
            fn_ = nullptr;
        }
        changed_.notify_all();
    };
    try {
        fn_();
    } catch (...) {
        // The sender stops waiting; the error goes on to the loop's caller.
        finish();
        throw;
    }
    finish();
}

bool TPxDelivery::cancel() {
    std::lock_guard lock(mutex_);
    if (state_ == State::Queued) {
        state_ = State::Cancelled;
        fn_ = nullptr;
    }
    return state_ == State::Cancelled;
}

bool TPxDelivery::waitDone(int ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                             [this] { return state_ == State::Done; });
}

bool TPxDelivery::done() const {
    std::lock_guard lock(mutex_);
    return state_ == State::Done;
}

bool TPxEventLoop::send(std::function<void()> fn, int timeoutMs, const std::atomic<bool>* abandon) {
    if (isLoopThread()) {
        fn();
        return true;
    }
    auto delivery = std::make_shared<TPxDelivery>(std::move(fn));
    post(delivery);
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (delivery->waitDone(kSendSliceMs)) {
            return true;
        }
        auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
        bool expired = timeoutMs >= 0 && waited >= timeoutMs;
        if (expired || (abandon != nullptr && abandon->load())) {
            // A call already running is not waited for any longer either: the
            // sender only stops waiting for its result.
            delivery->cancel();
            return delivery->done();
        }
    }
}

void TPxEventLoop::postCall(std::function<void()> fn) {
    post(std::make_shared<TPxDelivery>(std::move(fn)));
}

TPxPlainEventLoop::TPxPlainEventLoop() : owner_(std::this_thread::get_id()) {}

void TPxPlainEventLoop::attachToCurrentThread() {
    owner_ = std::this_thread::get_id();
}

bool TPxPlainEventLoop::isLoopThread() const {
    return owner_.load() == std::this_thread::get_id();
}

void TPxPlainEventLoop::post(std::shared_ptr<TPxDelivery> delivery) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(delivery));
    }
    arrived_.notify_all();
}

void TPxPlainEventLoop::processEvents() {
    std::vector<std::shared_ptr<TPxDelivery>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (auto& delivery : batch) {
        delivery->run();
    }
}

void TPxPlainEventLoop::waitAndProcess(int ms) {
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !queue_.empty(); });
    }
    processEvents();
}

bool TPxPlainEventLoop::runUntil(const std::function<bool()>& pred, int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            return pred();
        }
        waitAndProcess(static_cast<int>(std::min<long>(left, kRunSliceMs)));
    }
    return true;
}

size_t TPxPlainEventLoop::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace px
