// TPxBaseDispatcher: one dispatch pass, which calls every handler with one
// trigger message and then consumes what they read.
#include "comms/px_base_dispatcher.h"

#include <algorithm>
#include <exception>

namespace px {
namespace {

// Counts a handler running in the event loop's thread while it runs.
class LoopHandlerMark {
public:
    explicit LoopHandlerMark(std::atomic<int>& running) : running_(running) { ++running_; }
    ~LoopHandlerMark() { --running_; }
    LoopHandlerMark(const LoopHandlerMark&) = delete;
    LoopHandlerMark& operator=(const LoopHandlerMark&) = delete;

private:
    std::atomic<int>& running_;
};

}  // namespace

bool TPxBaseDispatcher::setDispatching(bool on) {
    std::lock_guard lock(lineLock_);
    holdThread_ = on ? std::this_thread::get_id() : std::thread::id{};
    bool previous = dispatching_.exchange(on);
    if (previous && !on) {
        dispatching_ = true;
        endDispatching();
    }
    return previous;
}

bool TPxBaseDispatcher::callerInsideDispatch() const {
    std::lock_guard lock(lineLock_);
    if (!dispatching_) {
        return false;
    }
    const std::thread::id self = std::this_thread::get_id();
    if (self == passThread_.load() || self == holdThread_.load()) {
        return true;
    }
    if (loop_ != nullptr && loop_->isLoopThread() && loopHandlers_->load() > 0) {
        return true;
    }
    // Input held by a thread that is not marked (or no longer): as before,
    // only a pass known to run elsewhere lets the caller go on.
    return passThread_.load() == std::thread::id{};
}

void TPxBaseDispatcher::endDispatching() {
    std::lock_guard lock(lineLock_);
    dispatching_ = false;
    holdThread_ = std::thread::id{};
    auto gone = [](const auto& entry) { return entry.deleted; };
    std::erase_if(windows_, gone);
    std::erase_if(procs_, gone);
    std::erase_if(methods_, gone);
    recomputeNotify();
}

void TPxBaseDispatcher::resetPeek() {
    std::lock_guard lock(inLock_);
    peekCount_ = 0;
}

void TPxBaseDispatcher::notePeek() {
    std::lock_guard lock(inLock_);
    peekMax_ = std::max(peekMax_, peekCount_);
}

void TPxBaseDispatcher::beginCall(const void* key) {
    std::lock_guard lock(callMutex_);
    callingKey_ = key;
    callingThread_ = std::this_thread::get_id();
}

void TPxBaseDispatcher::endCall() {
    {
        std::lock_guard lock(callMutex_);
        callingKey_ = nullptr;
    }
    callEnded_.notify_all();
}

void TPxBaseDispatcher::awaitCallEnd(const void* key) {
    std::unique_lock lock(callMutex_);
    callEnded_.wait(lock, [&] {
        // A handler that removes itself during its own call does not wait.
        return callingKey_ != key || callingThread_ == std::this_thread::get_id();
    });
}

template <class Entry, class Call>
bool TPxBaseDispatcher::callHandlers(std::vector<Entry>& list, const Call& call) {
    for (size_t i = 0;; ++i) {
        Entry entry;
        bool direct = false;
        {
            std::lock_guard lock(lineLock_);
            if (i >= list.size()) {
                return true;
            }
            entry = list[i];
            // Marked while the entry is still listed: a removal that comes
            // after this waits for the call below to return.
            direct = !entry.deleted && calledDirectly(entry);
            if (direct) {
                beginCall(callKey(entry));
            }
        }
        if (entry.deleted) {
            continue;
        }
        resetPeek();
        try {
            call(entry);
        } catch (...) {
            if (direct) {
                endCall();
            }
            throw;
        }
        if (direct) {
            endCall();
        }
        notePeek();
        if (closing_) {
            return false;
        }
    }
}

bool TPxBaseDispatcher::deliverEvent(uint32_t msg, uint32_t wParam, uint16_t lParamLow) {
    if (!notify_) {
        return true;
    }
    {
        std::lock_guard lock(lineLock_);
        dispatching_ = true;
        passThread_ = std::this_thread::get_id();
    }
    const bool peek = msg == kMsgTriggerAvail || msg == kMsgTriggerData;
    if (peek) {
        std::lock_guard lock(inLock_);
        peekMode_ = true;
        peekCount_ = peekMax_ = 0;
    }
    const uint32_t lParam = makeLParam(lParamLow, handle_);
    bool goOn = true;
    std::exception_ptr failure;
    try {
        goOn = callHandlers(methods_, [&](const MethodEntry& e) {
            if (e.isMethod && loop_ != nullptr) {
                // By value: a call given up on may still be running afterwards.
                loop_->send(
                    [proc = e.proc, data = e.data, msg, wParam, lParam, running = loopHandlers_] {
                        const LoopHandlerMark mark(*running);
                        proc(data, msg, wParam, lParam);
                    },
                    -1, &abandonSends_);
            } else {
                e.proc(e.data, msg, wParam, lParam);
            }
        });
        if (goOn) {
            goOn = callHandlers(procs_, [&](const ProcEntry& e) { e.proc(msg, wParam, lParam); });
        }
        bool windowsWanted;
        {
            std::lock_guard lock(lineLock_);
            windowsWanted = windows_.size() > 1 || ownerHasEvents_;
        }
        if (goOn && windowsWanted) {
            goOn = callHandlers(windows_, [&](const WindowEntry& e) {
                if (loop_ != nullptr) {
                    loop_->send(
                        [window = e.window, msg, wParam, lParam, running = loopHandlers_] {
                            const LoopHandlerMark mark(*running);
                            window->handleMessage(msg, wParam, lParam);
                        },
                        kWindowSendTimeoutMs, &abandonSends_);
                } else {
                    e.window->handleMessage(msg, wParam, lParam);
                }
            });
        }
    } catch (...) {
        failure = std::current_exception();
        goOn = false;
    }
    if (peek) {
        std::lock_guard lock(inLock_);
        const uint32_t used = static_cast<uint32_t>(rxRing_.used());
        const uint32_t taken = std::min(peekMax_, used);
        rxRing_.consume(taken);
        consumedTotal_ += taken;
        noteConsumed();
        if (msg == kMsgTriggerAvail && taken != wParam) {
            goOn = false;
        }
        peekMode_ = false;
        peekCount_ = peekMax_ = 0;
    }
    {
        std::lock_guard lock(lineLock_);
        passThread_ = std::thread::id{};
        endDispatching();
    }
    if (failure) {
        reportHandlerException(failure);
        return false;
    }
    return goOn && !closing_;
}

}  // namespace px
