#include "pty_port.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace px {

namespace {

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PtyPort::PtyPort(std::string name, const std::string& link) : name_(std::move(name)), link_(link) {
    char path[256] = {};
    struct termios raw {};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B19200);
    cfsetospeed(&raw, B19200);
    if (openpty(&master_, &slave_, path, &raw, nullptr) != 0) {
        throw systemError("cannot open a pseudo-terminal");
    }
    slavePath_ = path;
    // The slave stays open here as well: without it every DTE close would
    // hang up the master and the next open would find a dead port.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (!link_.empty()) {
        // A stale link from an earlier run is replaced; anything else at that
        // path (a real device, a file) is left alone.
        struct stat st {};
        if (::lstat(link_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                ::close(master_);
                ::close(slave_);
                master_ = slave_ = -1;
                std::string existing = link_;
                link_.clear();
                throw std::runtime_error(existing + " exists and is not a symbolic link");
            }
            ::unlink(link_.c_str());
        }
        if (::symlink(slavePath_.c_str(), link_.c_str()) != 0) {
            auto error = systemError("cannot link " + link_ + " to " + slavePath_);
            ::close(master_);
            ::close(slave_);
            throw error;
        }
    }
}

PtyPort::~PtyPort() {
    close();
}

std::vector<uint8_t> PtyPort::read(std::size_t max) {
    std::vector<uint8_t> data(max);
    if (master_ < 0 || max == 0) {
        return {};
    }
    ssize_t got;
    do {
        got = ::read(master_, data.data(), max);
    } while (got < 0 && errno == EINTR);
    data.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return data;
}

void PtyPort::write(const uint8_t* data, std::size_t len) {
    if (master_ < 0) {
        return;
    }
    pending_.insert(pending_.end(), data, data + len);
    flush();
}

void PtyPort::write(const std::string& text) {
    write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void PtyPort::flush() {
    while (master_ >= 0 && !pending_.empty()) {
        ssize_t put = ::write(master_, pending_.data(), pending_.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return;
        }
        pending_.erase(pending_.begin(), pending_.begin() + put);
    }
}

void PtyPort::close() {
    if (!link_.empty()) {
        char target[256] = {};
        ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
        // Only remove the link if it is still ours.
        if (n > 0 && slavePath_ == std::string(target, static_cast<std::size_t>(n))) {
            ::unlink(link_.c_str());
        }
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    pending_.clear();
}

}  // namespace px
