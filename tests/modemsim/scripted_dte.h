// A DTE that follows a script: writes AT commands and page data to a
// simulated modem's port and waits for the results, keeping a transcript.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace px::test {

class ScriptedDte {
public:
    explicit ScriptedDte(const std::string& path);
    ~ScriptedDte();
    ScriptedDte(const ScriptedDte&) = delete;
    ScriptedDte& operator=(const ScriptedDte&) = delete;

    void send(const std::string& command);  // adds the carriage return
    void sendBytes(const std::vector<uint8_t>& data);
    // Collects result lines until one contains `want` (true) or one contains
    // "ERROR" or the time runs out (false). Lines seen are in lines().
    bool expect(const std::string& want, double seconds);
    // Reads DLE-framed data up to DLE ETX, undoing the DLE doubling.
    bool readPage(std::vector<uint8_t>& page, double seconds);
    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& transcript() const { return transcript_; }

private:
    bool readByte(uint8_t& b, double seconds);
    void write(const std::vector<uint8_t>& data);

    int fd_ = -1;
    std::string pending_;
    std::vector<uint8_t> pushback_;
    std::vector<std::string> lines_;
    std::string transcript_;
};

}  // namespace px::test
