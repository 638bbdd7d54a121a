// A pseudo-terminal pair standing in for a modem: the port under test opens
// the slave side by its path; a responder thread on the master side answers
// command lines from a script and records everything it received.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>

#include <termios.h>
#include <mutex>
#include <string>
#include <thread>

namespace px::test {

class PtyModem {
public:
    PtyModem();
    ~PtyModem();

    const std::string& path() const { return path_; }
    // Answers a command line (up to its carriage return) with `reply`.
    void on(const std::string& command, const std::string& reply);
    // Sends bytes to the port as if the modem had sent them.
    void send(const std::string& bytes);
    // Stops (or resumes) reading, so that the port's writes back up.
    void setReading(bool reading);
    // Closes the master side: the device vanishes, as an unplugged modem.
    void hangUp();
    std::string received();
    // Waits until the received bytes contain `text`.
    bool waitFor(const std::string& text, int ms);
    size_t receivedCount();
    // The line settings the port gave the device.
    termios lineSettings() const;

private:
    void run();

    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    int stop_ = -1;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> script_;
    std::string received_;
    std::string line_;
    std::atomic<bool> reading_{true};
    std::thread thread_;
};

}  // namespace px::test
