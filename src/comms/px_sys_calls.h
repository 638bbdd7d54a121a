// The thin seam between the serial driver and the kernel. Every call retries
// when a signal interrupts it (EINTR); tests can substitute failures.
#pragma once

#include <poll.h>
#include <sys/types.h>
#include <termios.h>

#include <cstddef>

namespace px {

class TPxSysCalls {
public:
    virtual ~TPxSysCalls() = default;
    virtual int open(const char* path, int flags);
    virtual int close(int fd);
    virtual ssize_t read(int fd, void* buffer, size_t size);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int ioctl(int fd, unsigned long request, void* argument);
    virtual int tcgetattr(int fd, termios* attributes);
    virtual int tcsetattr(int fd, const termios* attributes);
    virtual int tcflush(int fd, int queue);
    virtual int tcdrain(int fd);
    virtual int poll(pollfd* fds, nfds_t count, int timeoutMs);
    virtual int flock(int fd, int operation);

    // The real kernel.
    static TPxSysCalls& system();
};

}  // namespace px
