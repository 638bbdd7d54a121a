#include "comms/px_trace_buffer.h"

#include <algorithm>
#include <cstdio>

#include "comms/px_os_errors.h"

namespace px {

namespace {

// Trace lines are broken before an item would pass this column.
constexpr size_t kTraceLastColumn = 78;

}  // namespace

void TPxTraceBuffer::start(uint32_t entries) {
    entries = std::clamp<uint32_t>(entries, 1, kMaxTraceSize);
    if (ring_.size() != static_cast<size_t>(entries) * 2) {
        ring_.assign(static_cast<size_t>(entries) * 2, 0);
    }
    clear();
    paused_ = false;
}

void TPxTraceBuffer::stop() {
    std::vector<uint8_t>().swap(ring_);
    pos_ = 0;
    wrapped_ = false;
    paused_ = false;
}

void TPxTraceBuffer::clear() {
    pos_ = 0;
    wrapped_ = false;
}

void TPxTraceBuffer::add(char mark, uint8_t byte) {
    if (!recording()) {
        return;
    }
    ring_[pos_ * 2] = static_cast<uint8_t>(mark);
    ring_[pos_ * 2 + 1] = byte;
    if (++pos_ == capacity()) {
        pos_ = 0;
        wrapped_ = true;
    }
}

void TPxTraceBuffer::add(char mark, const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        add(mark, data[i]);
    }
}

void appendTraceByte(std::string& out, size_t& column, uint8_t byte, bool hex, size_t lastColumn,
                     const std::string& continuation) {
    const uint8_t lowest = hex ? '!' : ' ';
    char item[8];
    size_t width;
    if (byte >= lowest && byte <= '~') {
        item[0] = static_cast<char>(byte);
        item[1] = 0;
        width = 1;
    } else {
        width = static_cast<size_t>(
            std::snprintf(item, sizeof item, hex ? "[%02X]" : "[%u]", static_cast<unsigned>(byte)));
    }
    if (column + width > lastColumn) {
        out += '\n';
        out += continuation;
        column = continuation.size();
    }
    out += item;
    column += width;
}

std::string TPxTraceBuffer::format(bool hex) const {
    std::string out;
    const uint32_t n = count();
    const uint32_t first = wrapped_ ? pos_ : 0;
    size_t column = 0;
    int lastMark = -1;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t at = (first + i) % capacity();
        uint8_t mark = ring_[at * 2];
        if (mark != lastMark) {
            if (lastMark != -1) {
                out += "\n\n";
            }
            if (mark == 'T') {
                out += "Transmit: ";
            } else if (mark == 'R') {
                out += "Receive: ";
            } else {
                out += "Special-";
                out += static_cast<char>(mark);
                out += ": ";
            }
            out += '\n';
            column = 0;
            lastMark = mark;
        }
        appendTraceByte(out, column, ring_[at * 2 + 1], hex, kTraceLastColumn, std::string());
    }
    if (n > 0) {
        out += '\n';
    }
    return out;
}

ErrorCode TPxTraceBuffer::dump(const std::string& path, bool hex, bool append) {
    ErrorCode result = ecOK;
    if (count() > 0) {
        result = writeTextFile(path, format(hex), append);
    }
    stop();
    return result;
}

ErrorCode writeTextFile(const std::string& path, const std::string& text, bool append) {
    std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (file == nullptr) {
        return errorFromErrno(errno);
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int writeErrno = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        writeErrno = errno;
    }
    return ok ? ecOK : errorFromErrno(writeErrno);
}

}  // namespace px
