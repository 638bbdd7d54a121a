// A modem played on a pseudo-terminal: it answers each command line from a
// table (or not at all) and records the lines it was sent.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/raw_pty.h"

namespace px::test {

using Replies = std::map<std::string, std::string>;

class PlayedModem {
public:
    explicit PlayedModem(std::map<std::string, std::string> replies)
        : replies_(std::move(replies)) {
        path_ = openRawPty(master_, slave_);
        thread_ = std::thread([this] { run(); });
    }
    ~PlayedModem() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    const std::string& path() const { return path_; }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    void run() {
        std::string line;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            char c;
            while (::read(master_, &c, 1) == 1) {
                if (c != '\r') {
                    line += c;
                    continue;
                }
                {
                    std::lock_guard lock(mutex_);
                    lines_.push_back(line);
                }
                auto reply = replies_.find(line);
                if (reply != replies_.end()) {
                    const std::string out = "\r\n" + reply->second + "\r\n";
                    [[maybe_unused]] auto n = ::write(master_, out.data(), out.size());
                }
                line.clear();
            }
        }
    }

    std::map<std::string, std::string> replies_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

}  // namespace px::test
