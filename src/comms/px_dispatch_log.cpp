#include "comms/px_dispatch_log.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "comms/px_dispatch_types.h"
#include "comms/px_error_text.h"
#include "comms/px_trace_buffer.h"

namespace px {

namespace {

constexpr int kTypeRowBase = 15001;
constexpr int kSubtypeRowBase = 15100;
constexpr int kTelnetOptionRowBase = 15700;
constexpr uint32_t kMaxTelnetOption = 42;
// Width of the four fixed columns; wrapped data continues below the data column.
constexpr size_t kDataColumn = 44;
constexpr size_t kLastDataColumn = 79;

// Where the header's fields lie; the bytes between subtype and time are filler.
constexpr size_t kTypeAt = 0;
constexpr size_t kSubtypeAt = 1;
constexpr size_t kTimeAt = 4;
constexpr size_t kValueAt = 8;
constexpr size_t kLengthAt = 12;
static_assert(kLengthAt + 4 == kLogHeaderSize);

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string compilerLine() {
#if defined(__clang__)
    return "Clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " __VERSION__;
#else
    return "unknown C++ compiler";
#endif
}

std::string systemLine() {
    utsname name{};
    if (uname(&name) != 0) {
        return "Unknown";
    }
    return std::string(name.sysname) + " " + name.release + " " + name.machine;
}

// By status trigger kind; 0 and unknown kinds show as not active.
constexpr const char* kStatusKindTexts[] = {
    "(Not active)",         "(Modem status)",       "(Line status)",
    "(Output buffer free)", "(Output buffer used)", "(Output sent)",
};
static_assert(std::size(kStatusKindTexts) == stOutSent + 1, "a text for every status kind");
static_assert(stModem == 1 && stLine == 2 && stOutFree == 3 && stOutUsed == 4);

const char* statusKindText(uint8_t kind) {
    return kind < std::size(kStatusKindTexts) ? kStatusKindTexts[kind] : kStatusKindTexts[0];
}

// The modem status byte's bits, from bit 0 up.
constexpr const char* kModemStatusBitNames[] = {"DCTS ", "DDSR ", "TERI ", "DDCD ",
                                                "CTS ",  "DSR ",  "RI ",   "DCD "};
static_assert(std::size(kModemStatusBitNames) == 8, "a name for every bit of the status byte");
static_assert(msDeltaCts == 1 << 0 && msDeltaDsr == 1 << 1 && msTrailingRi == 1 << 2 &&
              msDeltaDcd == 1 << 3 && msCts == 1 << 4 && msDsr == 1 << 5 && msRi == 1 << 6 &&
              msDcd == 1 << 7);

}  // namespace

std::array<uint8_t, 4> logWord(uint32_t value) {
    std::array<uint8_t, 4> bytes{};
    put32(bytes.data(), value);
    return bytes;
}

void TPxDispatchLog::start(uint32_t bytes) {
    bytes = std::clamp<uint32_t>(bytes, 1, kMaxLogSize);
    if (ring_.size() != bytes) {
        ring_.assign(bytes, 0);
    }
    clear();
    paused_ = false;
}

void TPxDispatchLog::stop() {
    std::vector<uint8_t>().swap(ring_);
    writePos_ = readPos_ = 0;
    free_ = 0;
    paused_ = false;
}

void TPxDispatchLog::clear() {
    writePos_ = readPos_ = 0;
    free_ = capacity();
}

void TPxDispatchLog::copyIn(const uint8_t* data, size_t n) {
    size_t first = std::min(n, ring_.size() - writePos_);
    std::memcpy(ring_.data() + writePos_, data, first);
    std::memcpy(ring_.data(), data + first, n - first);
    writePos_ = (writePos_ + n) % ring_.size();
}

void TPxDispatchLog::copyOut(size_t from, uint8_t* data, size_t n) const {
    for (size_t i = 0; i < n; ++i) {
        data[i] = ring_[(from + i) % ring_.size()];
    }
}

uint32_t TPxDispatchLog::entrySizeAt(size_t pos) const {
    uint8_t header[kLogHeaderSize];
    copyOut(pos, header, kLogHeaderSize);
    return static_cast<uint32_t>(kLogHeaderSize) + get32(header + kLengthAt);
}

void TPxDispatchLog::add(uint8_t type, uint8_t subtype, uint32_t time, uint32_t value,
                         const uint8_t* data, uint32_t length) {
    if (!recording()) {
        return;
    }
    const uint64_t size = kLogHeaderSize + static_cast<uint64_t>(length);
    if (size >= ring_.size()) {
        return;
    }
    while (free_ < size) {
        uint32_t oldest = entrySizeAt(readPos_);
        readPos_ = (readPos_ + oldest) % ring_.size();
        free_ += oldest;
    }
    uint8_t header[kLogHeaderSize] = {};
    header[kTypeAt] = type;
    header[kSubtypeAt] = subtype;
    put32(header + kTimeAt, time);
    put32(header + kValueAt, value);
    put32(header + kLengthAt, length);
    copyIn(header, kLogHeaderSize);
    if (length > 0) {
        copyIn(data, length);
    }
    free_ -= static_cast<uint32_t>(size);
}

std::vector<TPxLogEntry> TPxDispatchLog::entries() const {
    std::vector<TPxLogEntry> out;
    if (!active()) {
        return out;
    }
    size_t used = ring_.size() - free_;
    size_t pos = readPos_;
    while (used > 0) {
        uint8_t header[kLogHeaderSize];
        copyOut(pos, header, kLogHeaderSize);
        TPxLogEntry entry;
        entry.type = header[kTypeAt];
        entry.subtype = header[kSubtypeAt];
        entry.time = get32(header + kTimeAt);
        entry.value = get32(header + kValueAt);
        entry.data.resize(get32(header + kLengthAt));
        copyOut(pos + kLogHeaderSize, entry.data.data(), entry.data.size());
        size_t size = kLogHeaderSize + entry.data.size();
        pos = (pos + size) % ring_.size();
        used -= size;
        out.push_back(std::move(entry));
    }
    return out;
}

std::string TPxDispatchLog::formatTime(uint32_t ms) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%07u", ms);
    std::string text(digits);
    text.insert(4, ".");
    return text;
}

std::string TPxDispatchLog::formatEntry(const TPxLogEntry& entry, bool hex) {
    const std::string typeText = errorTextRow(kTypeRowBase + entry.type);
    const std::string subtypeText =
        entry.subtype == 0 ? std::string() : errorTextRow(kSubtypeRowBase + entry.subtype);
    char head[96];
    std::snprintf(head, sizeof head, "%8s  %-8s  %-12s  %08x  ", formatTime(entry.time).c_str(),
                  typeText.c_str(), subtypeText.c_str(), entry.value);
    std::string line(head);
    const bool statusTriggerChange =
        (entry.type == ltTriggerAlloc || entry.type == ltTriggerDispose) &&
        entry.subtype == lsStatusTrigger;
    if (statusTriggerChange) {
        line += statusKindText(entry.data.empty() ? 0 : entry.data[0]);
    } else if (!entry.data.empty()) {
        size_t column = kDataColumn;
        const std::string continuation(kDataColumn, ' ');
        for (uint8_t byte : entry.data) {
            appendTraceByte(line, column, byte, hex, kLastDataColumn, continuation);
        }
    } else if (entry.subtype == lsModemStatus && entry.type == ltDispatch) {
        std::string names;
        for (size_t bit = 0; bit < std::size(kModemStatusBitNames); ++bit) {
            if (entry.value & (1u << bit)) {
                names += kModemStatusBitNames[bit];
            }
        }
        while (!names.empty() && names.back() == ' ') {
            names.pop_back();
        }
        line += " (" + names + ")";
    } else if (entry.type == ltTelnet && entry.value <= kMaxTelnetOption) {
        line += " [" + errorTextRow(kTelnetOptionRowBase + static_cast<int>(entry.value)) + "]";
    }
    return line;
}

std::string TPxDispatchLog::format(bool hex) const {
    std::string out;
    out += "PXCOM v1.0\n";
    out += "Compiler : " + compilerLine() + "\n";
    out += "Operating System : " + systemLine() + "\n";
    out += "Time      Type      SubType       Data      OtherData\n";
    out += "--------  --------  ------------  --------  ---------\n";
    for (const auto& entry : entries()) {
        out += formatEntry(entry, hex);
        out += '\n';
    }
    return out;
}

ErrorCode TPxDispatchLog::dump(const std::string& path, bool hex, bool append) {
    ErrorCode result = ecOK;
    if (active() && free_ < capacity()) {
        result = writeTextFile(path, format(hex), append);
    }
    stop();
    return result;
}

}  // namespace px
