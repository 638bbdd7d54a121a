#include "comms/px_com_window.h"

#include "comms/px_custom_com_port.h"
#include "comms/px_port_table.h"

namespace px {

void TPxComWindow::handleMessage(uint32_t msg, uint32_t wParam, uint32_t lParam) {
    // The port table tells whether the message still belongs to this port's
    // current dispatcher (a late message of a closed port is dropped).
    const int handle = lParamPort(lParam);
    TPxBaseDispatcher* dispatcher = TPxPortTable::instance().find(handle);
    if (dispatcher == nullptr || dispatcher->owner() != &port_ ||
        dispatcher != port_.dispatcher_.get()) {
        return;
    }
    switch (msg) {
        case kMsgTriggerAvail:
        case kMsgTriggerData:
        case kMsgTriggerTimer:
        case kMsgTriggerStatus:
            // A trigger that reaches us while the port is closing (its close
            // pumps messages) is dropped: the port's operations are gone.
            if (port_.state_ == psOpen) {
                port_.handleTrigger(msg, wParam, lParamData(lParam));
            }
            break;
        case kMsgPortClose:
            port_.handleDeferredClose(lParam);
            break;
        default:
            break;
    }
}

void TPxComWindow::postClose(int dispatcherHandle) {
    std::weak_ptr<TPxComWindow> self = shared_from_this();
    port_.loop_->postCall([self, dispatcherHandle] {
        if (auto window = self.lock()) {
            window->handleMessage(kMsgPortClose, 0, makeLParam(0, dispatcherHandle));
        }
    });
}

}  // namespace px
