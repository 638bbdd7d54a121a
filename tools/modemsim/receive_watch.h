// Tells from the DTE's command lines whether it waits for calls: a program in
// receive mode selects a fax class, enables reception or sets auto-answer and
// then stays quiet, while one about to send goes on to probe modulations and
// dial. The demo line calls such a DTE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace px {

class ReceiveWatch {
public:
    // Bytes the DTE wrote while no call is on the line.
    void fromDte(const uint8_t* data, std::size_t len);
    // The last command line set the modem up to take calls.
    bool armed() const { return armed_; }
    // Counts command lines that armed the watch, so the caller can restart
    // its quiet-time clock on each.
    uint64_t armings() const { return armings_; }
    // Forgets a half-read line and the set-up (a call has started).
    void reset();

private:
    void commandLine(const std::string& line);

    std::string line_;
    bool overlong_ = false;
    bool armed_ = false;
    uint64_t armings_ = 0;
};

}  // namespace px
