// One simulated serial port: the master side of a pseudo-terminal.
//
// The DTE opens the slave path (or the symbolic link made to it) as it would
// open a real tty. The simulator reads the DTE's bytes from the master side and
// writes the modem's responses and received data back through an output queue,
// so that a DTE which stops reading never blocks the simulated line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace px {

class PtyPort {
public:
    // Opens a pseudo-terminal in raw mode; `link` (if not empty) becomes a
    // symbolic link to the slave path, replacing an existing link there.
    // Throws std::runtime_error when the pty or the link cannot be made.
    PtyPort(std::string name, const std::string& link);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& name() const { return name_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return link_; }
    int fd() const { return master_; }
    bool isOpen() const { return master_ >= 0; }

    // Reads at most `max` bytes the DTE wrote; returns an empty vector when
    // nothing is waiting.
    std::vector<uint8_t> read(std::size_t max);
    // Queues bytes for the DTE and writes as much as the pty takes now.
    void write(const uint8_t* data, std::size_t len);
    void write(const std::string& text);
    // Writes queued bytes; called when the pty can take more.
    void flush();
    bool hasPendingOutput() const { return !pending_.empty(); }
    std::size_t pendingOutput() const { return pending_.size(); }

    // Closes the pty and removes the link: the port disappears for the DTE.
    void close();

private:
    std::string name_;
    std::string link_;
    std::string slavePath_;
    int master_ = -1;
    int slave_ = -1;
    std::vector<uint8_t> pending_;
};

}  // namespace px
