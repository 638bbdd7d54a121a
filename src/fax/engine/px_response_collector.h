// Collects what a fax modem sends between commands: result lines ("OK",
// "CONNECT", "+FCON", ...) and, in Class 1, HDLC frames ended by DLE ETX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace px {

class TPxResponseCollector {
public:
    enum class Result { None, Line, Frame };

    static constexpr size_t kMaxLine = 128;
    // Longest frame kept: T.30 frames are far shorter; the rest is dropped.
    static constexpr size_t kMaxFrame = 256;

    // Feeds one received byte; Line or Frame when one is complete.
    Result feed(uint8_t byte);
    // Forgets a partial line or frame (the last complete one stays readable).
    void reset();

    // The last complete line, trimmed of blanks and control characters.
    const std::string& line() const { return line_; }
    // The last complete frame, DLE pairs undone, starting at 0xFF.
    const std::vector<uint8_t>& frame() const { return frame_; }

private:
    std::string partial_;
    std::vector<uint8_t> framePartial_;
    bool inFrame_ = false;
    bool dle_ = false;
    std::string line_;
    std::vector<uint8_t> frame_;
};

// What a complete line is: px_modem_result.h.

// Trims blanks and control characters at both ends.
std::string trimLine(std::string_view text);

}  // namespace px
