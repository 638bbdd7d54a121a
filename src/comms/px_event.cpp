#include "comms/px_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace px {

TPxEvent::TPxEvent(bool manualReset)
    : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), manual_(manualReset) {}

TPxEvent::~TPxEvent() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void TPxEvent::set() {
    const uint64_t one = 1;
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TPxEvent::reset() {
    uint64_t value;
    while (::read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

void TPxEvent::consume() {
    if (!manual_) {
        reset();
    }
}

bool TPxEvent::wait(int ms) {
    return waitAny({this}, ms) == 0;
}

int TPxEvent::waitAny(std::initializer_list<TPxEvent*> events, int ms) {
    std::vector<pollfd> fds;
    for (TPxEvent* event : events) {
        fds.push_back({event->fd_, POLLIN, 0});
    }
    for (;;) {
        int n = ::poll(fds.data(), fds.size(), ms);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return -1;
        }
        int index = 0;
        for (TPxEvent* event : events) {
            if (fds[static_cast<size_t>(index)].revents & POLLIN) {
                event->consume();
                return index;
            }
            ++index;
        }
        return -1;
    }
}

}  // namespace px
