// How long the coded lines of the DTE's page data last on the line: a
// Class 1 modem sees the data the DTE sends after "AT+FTM=", and the
// shortest line with data in it shows whether the far end's minimum scan
// time was kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace px {

class ScanLineMeter {
public:
    // Every byte the DTE writes, commands, frames and data alike.
    void fromDte(const uint8_t* data, std::size_t len);
    // The shortest coded line with data so far, in ms at its line rate; -1
    // before any.
    double shortestLineMs() const { return shortestMs_; }
    // Coded lines with data seen so far.
    long lines() const { return lines_; }
    // A new call.
    void reset() { *this = ScanLineMeter(); }

private:
    void commandChar(char c);
    void dataByte(uint8_t byte);

    std::string command_;
    bool inData_ = false;
    bool dle_ = false;
    int bps_ = 0;
    std::size_t lineBits_ = 0;
    std::size_t zeroRun_ = 0;
    bool hasData_ = false;
    double shortestMs_ = -1;
    long lines_ = 0;
};

}  // namespace px
