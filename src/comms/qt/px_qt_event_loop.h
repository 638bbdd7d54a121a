// The serial layer's event delivery on a Qt event loop: calls from the
// dispatch thread run in the thread of the given QObject (the GUI thread).
#pragma once

#include <QObject>
#include <QPointer>

#include "comms/px_event_loop.h"

namespace px {

class TPxQtEventLoop : public TPxEventLoop {
public:
    // Calls run in `context`'s thread; without one, in the application's.
    explicit TPxQtEventLoop(QObject* context = nullptr);
    ~TPxQtEventLoop() override;

    void post(std::shared_ptr<TPxDelivery> delivery) override;
    void processEvents() override;
    bool isLoopThread() const override;

private:
    QObject* context_;
    bool ownContext_;
};

}  // namespace px
