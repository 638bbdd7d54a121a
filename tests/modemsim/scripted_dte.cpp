#include "scripted_dte.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace px::test {

ScriptedDte::ScriptedDte(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
}

ScriptedDte::~ScriptedDte() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void ScriptedDte::send(const std::string& command) {
    transcript_ += "DTE: " + command + "\n";
    std::string line = command + "\r";
    write(std::vector<uint8_t>(line.begin(), line.end()));
}

void ScriptedDte::sendBytes(const std::vector<uint8_t>& data) {
    transcript_ += "DTE: <" + std::to_string(data.size()) + " octets of data>\n";
    write(data);
}

void ScriptedDte::write(const std::vector<uint8_t>& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
        if (n < 0) {
            throw std::runtime_error("write to the modem failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

bool ScriptedDte::readByte(uint8_t& b, double seconds) {
    if (!pushback_.empty()) {
        b = pushback_.front();
        pushback_.erase(pushback_.begin());
        return true;
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) {
        return false;
    }
    return ::read(fd_, &b, 1) == 1;
}

bool ScriptedDte::expect(const std::string& want, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
        uint8_t b = 0;
        if (!readByte(b, std::max(left, 0.001))) {
            continue;
        }
        if (b == '\r' || b == '\n') {
            if (b == '\r') {
                // Results end in CR LF: take the LF too, so that page data
                // after "CONNECT" starts clean.
                uint8_t next = 0;
                if (readByte(next, 0.2) && next != '\n') {
                    pushback_.push_back(next);
                }
            }
            if (!pending_.empty()) {
                std::string line = pending_;
                pending_.clear();
                lines_.push_back(line);
                transcript_ += "DCE: " + line + "\n";
                if (line.find(want) != std::string::npos) {
                    return true;
                }
                if (line.find("ERROR") != std::string::npos) {
                    return false;
                }
            }
        } else if (b >= 0x20 && b < 0x7F) {
            pending_ += static_cast<char>(b);
        }
    }
    return false;
}

bool ScriptedDte::readPage(std::vector<uint8_t>& page, double seconds) {
    bool dle = false;
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        uint8_t b = 0;
        if (!readByte(b, 1.0)) {
            continue;
        }
        if (dle) {
            dle = false;
            if (b == 0x10) {
                page.push_back(b);
            } else if (b == 0x03) {
                transcript_ += "DCE: <" + std::to_string(page.size()) + " octets of page data>\n";
                return true;
            }
        } else if (b == 0x10) {
            dle = true;
        } else {
            page.push_back(b);
        }
    }
    return false;
}

}  // namespace px::test
