// The dispatch log: every event a dispatcher handles, with the time since the
// port was opened, kept in a byte ring of variable-length entries and written
// to a text file on request.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/px_errors.h"

namespace px {

constexpr uint32_t kMaxLogSize = 16000000;
constexpr uint32_t kDefaultLogSize = 10000;

// Entry types.
enum TPxLogType : uint8_t {
    ltNone = 0,
    ltDispatch = 1,
    ltTrigger = 2,
    ltError = 3,
    ltThread = 4,
    ltTriggerAlloc = 5,
    ltTriggerDispose = 6,
    ltHandlerAlloc = 7,
    ltHandlerDispose = 8,
    ltTriggerDataChange = 9,
    ltTelnet = 10,
    ltFax = 11,
    ltXModem = 12,
    ltYModem = 13,
    ltZModem = 14,
    ltKermit = 15,
    ltAscii = 16,
    ltBPlus = 17,
    ltPacket = 18,
    ltUser = 19
};

// Entry subtypes; the fax engine adds its state labels from lsFaxTransmitBase
// and lsFaxReceiveBase on.
enum TPxLogSubtype : uint8_t {
    lsNone = 0,
    lsReadCom = 1,
    lsWriteCom = 2,
    lsLineStatus = 3,
    lsModemStatus = 4,
    lsAvail = 5,
    lsTimer = 6,
    lsData = 7,
    lsStatus = 8,
    lsStart = 9,
    lsExit = 10,
    lsSleep = 11,
    lsWake = 12,
    lsDataTrigger = 13,
    lsTimerTrigger = 14,
    lsStatusTrigger = 15,
    lsAvailTrigger = 16,
    lsWindow = 17,
    lsProcedure = 18,
    lsMethod = 19,
    lsFaxTransmitBase = 30,
    lsFaxReceiveBase = 79
};

constexpr size_t kLogHeaderSize = 16;

// A 32-bit number as entries carry it in their data, low byte first.
std::array<uint8_t, 4> logWord(uint32_t value);

struct TPxLogEntry {
    uint8_t type = 0;
    uint8_t subtype = 0;
    uint32_t time = 0;
    uint32_t value = 0;
    std::vector<uint8_t> data;
};

class TPxDispatchLog {
public:
    void start(uint32_t bytes);  // allocates (or empties) the ring and records
    void stop();                 // frees the ring
    void clear();
    void setPaused(bool paused) { paused_ = paused; }
    bool active() const { return !ring_.empty(); }
    bool recording() const { return active() && !paused_; }
    uint32_t capacity() const { return static_cast<uint32_t>(ring_.size()); }
    uint32_t freeBytes() const { return free_; }

    // Records one entry; an entry not smaller than the whole ring is dropped,
    // otherwise the oldest entries make room for it.
    void add(uint8_t type, uint8_t subtype, uint32_t time, uint32_t value,
             const uint8_t* data = nullptr, uint32_t length = 0);

    std::vector<TPxLogEntry> entries() const;
    // The file's text: the banner, the column header and one line per entry.
    std::string format(bool hex) const;
    // Writes the file (appending or replacing) and frees the ring; nothing is
    // written when the ring is empty. Returns 0 or minus the file error.
    ErrorCode dump(const std::string& path, bool hex, bool append);

    // One entry's line, as the file shows it.
    static std::string formatEntry(const TPxLogEntry& entry, bool hex);
    // Milliseconds as seconds with three decimals: 12345 → "0012.345".
    static std::string formatTime(uint32_t ms);

private:
    void copyIn(const uint8_t* data, size_t n);
    void copyOut(size_t from, uint8_t* data, size_t n) const;
    uint32_t entrySizeAt(size_t pos) const;

    std::vector<uint8_t> ring_;
    size_t writePos_ = 0;
    size_t readPos_ = 0;
    uint32_t free_ = 0;
    bool paused_ = false;
};

}  // namespace px
