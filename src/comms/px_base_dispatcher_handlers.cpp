// TPxBaseDispatcher: the window, procedure and method handler lists, the notify
// flag, and what becomes of a handler's exception.
#include "comms/px_base_dispatcher.h"

#include <cstdio>
#include <exception>

namespace px {

void TPxBaseDispatcher::setNotifyMode(TPxNotifyMode mode) {
    std::lock_guard lock(lineLock_);
    if (mode == TPxNotifyMode::OwnerHasEvents) {
        ownerHasEvents_ = true;
    } else if (mode == TPxNotifyMode::OwnerHasNone) {
        ownerHasEvents_ = false;
    }
    recomputeNotify();
}

void TPxBaseDispatcher::recomputeNotify() {
    notify_ = windows_.size() > 1 || !procs_.empty() || !methods_.empty() || ownerHasEvents_;
}

void TPxBaseDispatcher::setExceptionDisplay(std::function<void(std::exception_ptr)> display) {
    std::lock_guard lock(lineLock_);
    exceptionDisplay_ = std::move(display);
}

void TPxBaseDispatcher::reportHandlerException(std::exception_ptr error) {
    handlerFailed_ = true;
    std::function<void(std::exception_ptr)> display;
    {
        std::lock_guard lock(lineLock_);
        display = exceptionDisplay_;
    }
    if (display) {
        display(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex: trigger handler failed: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "parvex: trigger handler failed\n");
    }
}

int TPxBaseDispatcher::addWindowHandler(TPxMessageWindow* window) {
    std::lock_guard lock(lineLock_);
    windows_.push_back({window, false});
    recomputeNotify();
    log_.add(ltHandlerAlloc, lsWindow, msSinceOpen(),
             static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
    return ecOK;
}

template <class Entry, class Match>
bool TPxBaseDispatcher::dropHandler(std::vector<Entry>& list, const Match& match) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (match(*it) && !it->deleted) {
            if (dispatching_) {
                it->deleted = true;  // the pass is walking the list
            } else {
                list.erase(it);
            }
            recomputeNotify();
            return true;
        }
    }
    return false;
}

int TPxBaseDispatcher::removeWindowHandler(TPxMessageWindow* window) {
    {
        std::lock_guard lock(lineLock_);
        if (dropHandler(windows_, [window](const WindowEntry& e) { return e.window == window; })) {
            log_.add(ltHandlerDispose, lsWindow, msSinceOpen(),
                     static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
        }
    }
    awaitCallEnd(window);
    return ecOK;
}

int TPxBaseDispatcher::addProcHandler(TPxTriggerProc proc) {
    std::lock_guard lock(lineLock_);
    procs_.push_back({proc, false});
    recomputeNotify();
    log_.add(ltHandlerAlloc, lsProcedure, msSinceOpen(), 0);
    return ecOK;
}

int TPxBaseDispatcher::removeProcHandler(TPxTriggerProc proc) {
    {
        std::lock_guard lock(lineLock_);
        if (dropHandler(procs_, [proc](const ProcEntry& e) { return e.proc == proc; })) {
            log_.add(ltHandlerDispose, lsProcedure, msSinceOpen(), 0);
        }
    }
    awaitCallEnd(reinterpret_cast<const void*>(proc));
    return ecOK;
}

int TPxBaseDispatcher::addMethodHandler(TPxTriggerMethod proc, void* data, bool isMethod) {
    std::lock_guard lock(lineLock_);
    methods_.push_back({proc, data, false, isMethod});
    recomputeNotify();
    return ecOK;
}

int TPxBaseDispatcher::removeMethodHandler(TPxTriggerMethod proc, void* data) {
    {
        std::lock_guard lock(lineLock_);
        dropHandler(methods_, [proc, data](const MethodEntry& e) {
            return e.proc == proc && e.data == data;
        });
    }
    awaitCallEnd(data);
    return ecOK;
}

}  // namespace px
