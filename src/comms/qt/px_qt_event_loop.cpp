#include "comms/qt/px_qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace px {

TPxQtEventLoop::TPxQtEventLoop(QObject* context)
    : context_(context), ownContext_(context == nullptr) {
    if (ownContext_) {
        context_ = new QObject();
        if (QCoreApplication::instance() != nullptr) {
            context_->moveToThread(QCoreApplication::instance()->thread());
        }
    }
}

TPxQtEventLoop::~TPxQtEventLoop() {
    if (ownContext_) {
        delete context_;
    }
}

void TPxQtEventLoop::post(std::shared_ptr<TPxDelivery> delivery) {
    QMetaObject::invokeMethod(
        context_, [delivery] { delivery->run(); }, Qt::QueuedConnection);
}

void TPxQtEventLoop::processEvents() {
    QCoreApplication::processEvents();
}

bool TPxQtEventLoop::isLoopThread() const {
    return QThread::currentThread() == context_->thread();
}

}  // namespace px
