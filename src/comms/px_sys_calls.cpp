#include "comms/px_sys_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace px {

namespace {

template <class Call>
auto retry(Call call) {
    for (;;) {
        auto result = call();
        if (result != -1 || errno != EINTR) {
            return result;
        }
    }
}

}  // namespace

int TPxSysCalls::open(const char* path, int flags) {
    return retry([&] { return ::open(path, flags); });
}

int TPxSysCalls::close(int fd) {
    // close() must not be retried: the descriptor is gone even on EINTR.
    int result = ::close(fd);
    return (result == -1 && errno == EINTR) ? 0 : result;
}

ssize_t TPxSysCalls::read(int fd, void* buffer, size_t size) {
    return retry([&] { return ::read(fd, buffer, size); });
}

ssize_t TPxSysCalls::write(int fd, const void* data, size_t size) {
    return retry([&] { return ::write(fd, data, size); });
}

int TPxSysCalls::ioctl(int fd, unsigned long request, void* argument) {
    return retry([&] { return ::ioctl(fd, request, argument); });
}

int TPxSysCalls::tcgetattr(int fd, termios* attributes) {
    return retry([&] { return ::tcgetattr(fd, attributes); });
}

int TPxSysCalls::tcsetattr(int fd, const termios* attributes) {
    return retry([&] { return ::tcsetattr(fd, TCSANOW, attributes); });
}

int TPxSysCalls::tcflush(int fd, int queue) {
    return retry([&] { return ::tcflush(fd, queue); });
}

int TPxSysCalls::tcdrain(int fd) {
    return retry([&] { return ::tcdrain(fd); });
}

int TPxSysCalls::poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return retry([&] { return ::poll(fds, count, timeoutMs); });
}

int TPxSysCalls::flock(int fd, int operation) {
    return retry([&] { return ::flock(fd, operation); });
}

TPxSysCalls& TPxSysCalls::system() {
    static TPxSysCalls calls;
    return calls;
}

}  // namespace px
