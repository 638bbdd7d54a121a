// A modem on a pseudo-terminal played from a transcript: a thread on the
// master side waits for each step's expected bytes and answers with the
// step's reply, so that a session runs through a real port and its threads.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scripted_modem.h"

namespace px::test {

class PtyTranscript {
public:
    explicit PtyTranscript(std::vector<Exchange> script);
    ~PtyTranscript();
    PtyTranscript(const PtyTranscript&) = delete;
    PtyTranscript& operator=(const PtyTranscript&) = delete;

    // The device the port under test opens.
    const std::string& path() const { return path_; }
    // Steps not reached yet.
    size_t remaining();
    // Empty while the engine wrote what the script expects (a difference is
    // also reported to the running test as a failure).
    std::string failure();

private:
    void run();
    void reply(const std::string& bytes);

    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    std::mutex mutex_;
    Transcript transcript_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace px::test
