#include "pty_modem.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "../support/raw_pty.h"

namespace px::test {

PtyModem::PtyModem() {
    path_ = openRawPty(master_, slave_);
    stop_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

PtyModem::~PtyModem() {
    uint64_t one = 1;
    [[maybe_unused]] auto n = write(stop_, &one, sizeof one);
    thread_.join();
    if (master_ >= 0) {
        close(master_);
    }
    close(slave_);
    close(stop_);
}

void PtyModem::on(const std::string& command, const std::string& reply) {
    std::lock_guard lock(mutex_);
    script_[command] = reply;
}

void PtyModem::send(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
}

void PtyModem::setReading(bool reading) {
    reading_ = reading;
}

void PtyModem::hangUp() {
    std::lock_guard lock(mutex_);
    close(master_);
    master_ = -1;
}

std::string PtyModem::received() {
    std::lock_guard lock(mutex_);
    return received_;
}

size_t PtyModem::receivedCount() {
    std::lock_guard lock(mutex_);
    return received_.size();
}

bool PtyModem::waitFor(const std::string& text, int ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                             [&] { return received_.find(text) != std::string::npos; });
}

void PtyModem::run() {
    char buffer[4096];
    for (;;) {
        int master;
        {
            std::lock_guard lock(mutex_);
            master = master_;
        }
        pollfd fds[2] = {{reading_ && master >= 0 ? master : -1, POLLIN, 0}, {stop_, POLLIN, 0}};
        poll(fds, 2, 10);
        if (fds[1].revents & POLLIN) {
            return;
        }
        if (!(fds[0].revents & POLLIN)) {
            continue;
        }
        std::unique_lock lock(mutex_);
        if (master_ < 0) {
            continue;
        }
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        std::string replies;
        for (ssize_t i = 0; i < n; ++i) {
            received_ += buffer[i];
            if (buffer[i] == '\r') {
                auto it = script_.find(line_);
                if (it != script_.end()) {
                    replies += it->second;
                }
                line_.clear();
            } else {
                line_ += buffer[i];
            }
        }
        if (!replies.empty()) {
            [[maybe_unused]] auto w = write(master_, replies.data(), replies.size());
        }
        lock.unlock();
        changed_.notify_all();
    }
}

termios PtyModem::lineSettings() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t;
}

}  // namespace px::test
