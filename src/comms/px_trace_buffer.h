// The trace: every byte sent ("T") and received ("R") with its direction mark,
// kept in a ring of two-byte entries and written to a text file on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/px_errors.h"

namespace px {

constexpr uint32_t kMaxTraceSize = 4000000;
constexpr uint32_t kDefaultTraceSize = 10000;

class TPxTraceBuffer {
public:
    // Allocates (or empties) a ring of `entries` entries and starts recording.
    void start(uint32_t entries);
    void stop();  // frees the ring
    void clear();
    void setPaused(bool paused) { paused_ = paused; }
    bool active() const { return !ring_.empty(); }
    bool recording() const { return active() && !paused_; }
    uint32_t capacity() const { return static_cast<uint32_t>(ring_.size() / 2); }
    uint32_t count() const { return wrapped_ ? capacity() : pos_; }

    void add(char mark, uint8_t byte);
    void add(char mark, const uint8_t* data, size_t n);

    // The recorded entries as the trace file shows them.
    std::string format(bool hex) const;
    // Writes the file (appending or replacing) and frees the ring. Nothing is
    // written when no entry was recorded. Returns 0 or minus the file error.
    ErrorCode dump(const std::string& path, bool hex, bool append);

private:
    std::vector<uint8_t> ring_;
    uint32_t pos_ = 0;
    bool wrapped_ = false;
    bool paused_ = false;
};

// Shared by the trace and the dispatch log: appends one byte as the trace file
// shows it, breaking the line before the item would pass `lastColumn`.
void appendTraceByte(std::string& out, size_t& column, uint8_t byte, bool hex, size_t lastColumn,
                     const std::string& continuation);

// Writes text to a file, replacing or appending; 0 or minus the file error.
ErrorCode writeTextFile(const std::string& path, const std::string& text, bool append);

}  // namespace px
