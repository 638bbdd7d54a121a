// A waitable event on an eventfd, so that threads can wait on it together
// with the device in one poll(). Auto-reset events clear when a wait returns.
#pragma once

#include <initializer_list>

namespace px {

class TPxEvent {
public:
    explicit TPxEvent(bool manualReset = false);
    ~TPxEvent();
    TPxEvent(const TPxEvent&) = delete;
    TPxEvent& operator=(const TPxEvent&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void set();
    void reset();
    // Waits up to ms (negative: forever); true when the event was set.
    bool wait(int ms);
    // After poll() reported the descriptor readable: consumes the signal of
    // an auto-reset event.
    void consume();
    // Waits for the first of several events; returns its index or -1 on time-out.
    static int waitAny(std::initializer_list<TPxEvent*> events, int ms);

private:
    int fd_;
    bool manual_;
};

}  // namespace px
