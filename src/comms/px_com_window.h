// The hidden window of an open port: receives the dispatcher's trigger
// messages in the application's thread and turns them into the component's
// events, and finishes a close that was started inside a handler.
#pragma once

#include <memory>

#include "comms/px_dispatch_types.h"

namespace px {

class TPxCustomComPort;

class TPxComWindow : public TPxMessageWindow, public std::enable_shared_from_this<TPxComWindow> {
public:
    explicit TPxComWindow(TPxCustomComPort& port) : port_(port) {}
    void handleMessage(uint32_t msg, uint32_t wParam, uint32_t lParam) override;
    // Queues the deferred close (0x7E0A) for the application's thread.
    void postClose(int dispatcherHandle);

private:
    TPxCustomComPort& port_;
};

}  // namespace px
