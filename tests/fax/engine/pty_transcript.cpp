#include "pty_transcript.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "../../support/raw_pty.h"

namespace px::test {

PtyTranscript::PtyTranscript(std::vector<Exchange> script) : transcript_(std::move(script)) {
    path_ = openRawPty(master_, slave_);
    thread_ = std::thread([this] { run(); });
}

PtyTranscript::~PtyTranscript() {
    stop_ = true;
    thread_.join();
    close(master_);
    close(slave_);
}

size_t PtyTranscript::remaining() {
    std::lock_guard lock(mutex_);
    return transcript_.remaining();
}

std::string PtyTranscript::failure() {
    std::lock_guard lock(mutex_);
    return transcript_.failure();
}

void PtyTranscript::reply(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size() && !stop_) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{master_, POLLOUT, 0};
            poll(&p, 1, 10);
        }
    }
}

void PtyTranscript::run() {
    char buffer[4096];
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) {
            continue;
        }
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        std::vector<std::string> replies;
        std::string failure;
        {
            std::lock_guard lock(mutex_);
            const bool wasFailing = !transcript_.failure().empty();
            replies = transcript_.feed(buffer, static_cast<size_t>(n));
            if (!wasFailing) {
                failure = transcript_.failure();
            }
        }
        if (!failure.empty()) {
            ADD_FAILURE() << "modem transcript: " << failure;
        }
        for (const std::string& bytes : replies) {
            reply(bytes);
        }
    }
}

}  // namespace px::test
