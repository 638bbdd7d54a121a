// Serial layer figures over a pseudo-terminal pair at 115200 bps line
// settings: full-duplex throughput through the rings, CPU time of the three
// port threads idle and while streaming at the line rate, and the latency
// from a byte's arrival to its trigger handler. Prints each figure with the
// goal it is held against as a ratio (below 1 meets the goal).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "comms/px_port_table.h"
#include "comms/px_posix_dispatcher.h"

using namespace px;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kLineBytesPerSecond = 115200.0 / 10.0;  // 8N1

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[256];
        openpty(&master, &slave, name, nullptr, nullptr);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = name;
    }
    ~Pty() {
        close(master);
        close(slave);
    }
};

// User plus system CPU time of one thread, in seconds.
double threadCpu(int tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < text.size()) {
        size_t next = text.find(' ', pos);
        fields.push_back(text.substr(pos, next - pos));
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    // Fields after the name start at "state" (field 3): utime is 14, stime 15.
    const double ticks = std::stod(fields.at(11)) + std::stod(fields.at(12));
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double portCpu(TPxPosixDispatcher& d) {
    double total = 0;
    for (int tid : d.threadIds()) {
        total += tid ? threadCpu(tid) : 0;
    }
    return total;
}

std::unique_ptr<TPxPosixDispatcher> openPort(const std::string& path) {
    auto d = std::make_unique<TPxPosixDispatcher>(nullptr, TPxSystemClock::instance(), nullptr);
    if (d->openPort(path, 115200, kParityNone, 8, 1, 8192, 8192, true, true) != ecOK) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    return d;
}

// Drains everything received into nowhere, as a modem handler would.
void consumeAll(void*, uint32_t msg, uint32_t wParam, uint32_t lParam) {
    if (msg != kMsgTriggerAvail) {
        return;
    }
    auto* d = TPxPortTable::instance().find(static_cast<int>(lParam >> 16));
    uint8_t b;
    for (uint32_t i = 0; i < wParam && d->takeByte(b) == ecOK; ++i) {
    }
}

std::atomic<uint64_t> gReceived{0};
void countAll(void*, uint32_t msg, uint32_t wParam, uint32_t lParam) {
    consumeAll(nullptr, msg, wParam, lParam);
    if (msg == kMsgTriggerAvail) {
        gReceived += wParam;
    }
}

// The far end: sends `toSend` bytes at `rate` bytes/s (0: as fast as it can)
// and reads whatever comes back.
struct FarEnd {
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> sent{0};
    std::atomic<uint64_t> got{0};
    std::thread thread;
    FarEnd(int master, uint64_t toSend, double rate) {
        thread = std::thread([=, this] {
            std::vector<char> out(4096, 'm'), in(65536);
            const auto start = Clock::now();
            while (!stop) {
                uint64_t allowed = toSend;
                if (rate > 0) {
                    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
                    allowed = std::min<uint64_t>(toSend, static_cast<uint64_t>(secs * rate));
                }
                if (sent < allowed) {
                    size_t chunk = std::min<uint64_t>(out.size(), allowed - sent);
                    ssize_t n = write(master, out.data(), chunk);
                    if (n > 0)
                        sent += static_cast<uint64_t>(n);
                }
                ssize_t n = read(master, in.data(), in.size());
                if (n > 0)
                    got += static_cast<uint64_t>(n);
                pollfd p{master, POLLIN, 0};
                poll(&p, 1, 1);
            }
        });
    }
    ~FarEnd() {
        stop = true;
        thread.join();
    }
};

void writeAll(TPxPosixDispatcher& d, uint64_t total, double rate) {
    const std::string block(1024, 'p');
    uint64_t written = 0;
    const auto start = Clock::now();
    while (written < total) {
        uint64_t allowed = total;
        if (rate > 0) {
            const double secs = std::chrono::duration<double>(Clock::now() - start).count();
            allowed = std::min<uint64_t>(total, static_cast<uint64_t>(secs * rate));
        }
        const uint64_t chunk = std::min<uint64_t>(block.size(), total - written);
        if (written + chunk <= allowed && d.outputFree() >= chunk) {
            d.writeText(std::string_view(block).substr(0, chunk));
            written += chunk;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void throughput() {
    Pty pty;
    auto d = openPort(pty.path);
    d->setAvailLevel(1);
    d->addMethodHandler(&countAll, nullptr, false);
    const uint64_t total = 8u << 20;
    gReceived = 0;
    const auto start = Clock::now();
    {
        FarEnd far(pty.master, total, 0);
        writeAll(*d, total, 0);
        while ((far.got < total || gReceived < total) &&
               Clock::now() - start < std::chrono::seconds(60)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    const double each = static_cast<double>(total) / secs;
    std::printf("full-duplex throughput: %.2f MB/s each way (%.0fx the 115200 bps line rate)\n",
                each / 1e6, each / kLineBytesPerSecond);
    d->closePort();
}

void cpu() {
    Pty pty;
    auto d = openPort(pty.path);
    d->setAvailLevel(1);
    d->addMethodHandler(&consumeAll, nullptr, false);
    const int timer = d->newTimerTrigger();
    d->armTimerTrigger(timer, secondsToTicks(3600), true);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double before = portCpu(*d);
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double idle =
        (portCpu(*d) - before) / std::chrono::duration<double>(Clock::now() - t0).count() * 100.0;
    std::printf("idle CPU of the three threads: %.2f %% of a core (goal < 1 %%: ratio %.2f)\n",
                idle, idle / 1.0);

    const double seconds = 5;
    const uint64_t bytes = static_cast<uint64_t>(kLineBytesPerSecond * seconds);
    before = portCpu(*d);
    t0 = Clock::now();
    {
        FarEnd far(pty.master, bytes, kLineBytesPerSecond);
        writeAll(*d, bytes, kLineBytesPerSecond);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    double streaming =
        (portCpu(*d) - before) / std::chrono::duration<double>(Clock::now() - t0).count() * 100.0;
    std::printf(
        "streaming CPU at 115200 bps both ways: %.2f %% of a core (goal < 5 %%: ratio %.2f)\n",
        streaming, streaming / 5.0);
    d->closePort();
}

std::atomic<int64_t> gArrivedNs{0};
std::atomic<int64_t> gHandledNs{0};
void stamp(void*, uint32_t msg, uint32_t, uint32_t lParam) {
    if (msg == kMsgTriggerData) {
        gHandledNs = Clock::now().time_since_epoch().count();
    }
    consumeAll(nullptr, kMsgTriggerAvail, 0xFFFF, lParam);
    auto* d = TPxPortTable::instance().find(static_cast<int>(lParam >> 16));
    d->clearInput();
}

void latency() {
    Pty pty;
    auto d = openPort(pty.path);
    d->addMethodHandler(&stamp, nullptr, false);
    d->newDataTrigger("\n", false);
    std::vector<double> ms;
    for (int i = 0; i < 1000; ++i) {
        gHandledNs = 0;
        const auto sent = Clock::now();
        [[maybe_unused]] ssize_t n = write(pty.master, "OK\r\n", 4);
        while (gHandledNs == 0 && Clock::now() - sent < std::chrono::seconds(1)) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        if (gHandledNs != 0) {
            ms.push_back(static_cast<double>(gHandledNs - sent.time_since_epoch().count()) / 1e6);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[ms.size() * 99 / 100];
    std::printf(
        "trigger latency, byte arrival to handler (%zu samples): median %.3f ms (goal < 5: "
        "ratio %.3f), p99 %.3f ms (goal < 60: ratio %.3f)\n",
        ms.size(), median, median / 5.0, p99, p99 / 60.0);
    d->closePort();
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    throughput();
    latency();
    cpu();
    return 0;
}
