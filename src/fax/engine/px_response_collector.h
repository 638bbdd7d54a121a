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

// Tests on a result line.
bool lineHas(std::string_view line, std::string_view word);
inline bool lineHasOK(std::string_view line) {
    return lineHas(line, "OK");
}
inline bool lineHasConnect(std::string_view line) {
    return lineHas(line, "CONNECT");
}
inline bool lineHasNoCarrier(std::string_view line) {
    return lineHas(line, "RRIER");
}
inline bool lineHasError(std::string_view line) {
    return lineHas(line, "ERROR");
}
// The parameters of a result line: what follows the first ':' (or '='),
// trimmed; empty when there is none.
std::string resultParameters(std::string_view line);
// The station ID of a remote-ID result ("+FCSI: \"ID\""): quotes dropped, trimmed.
std::string resultStationId(std::string_view line);
// The number after a hang-up word ("+FHNG:50" → 50, "+FHS:00" → 0); -1 if none.
int hangupCode(std::string_view line, std::string_view word);
// Trims blanks and control characters at both ends.
std::string trimLine(std::string_view text);

}  // namespace px
