#include "settings/ini_file.h"

#include "settings/file_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace px {

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string errnoText() {
    return std::strerror(errno);
}

// Writes the whole buffer, retrying after interruptions and short writes.
bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<int> parseIniInteger(std::string_view text) {
    text = trim(text);
    if (text.empty())
        return std::nullopt;
    int base = 10;
    bool negative = false;
    std::string_view digits = text;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits = text.substr(2);
    } else if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        digits = text.substr(1);
    }
    if (digits.empty())
        return std::nullopt;
    long long v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (negative)
        v = -v;
    // A hexadecimal value is read as the 32-bit pattern it spells ("0xFFFFFFFF" is -1).
    if (base == 16 && v >= 0 && v <= 0xFFFFFFFFLL)
        v = static_cast<int>(static_cast<unsigned>(v));
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    // A UTF-8 byte order mark written by some editors is not part of the first line.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view raw = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);

        Line line;
        line.raw = std::string(raw);
        std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            std::size_t close = t.find(']');
            if (close != std::string_view::npos) {
                line.kind = Line::Kind::Section;
                line.name = std::string(trim(t.substr(1, close - 1)));
            }
        } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
            std::size_t eq = t.find('=');
            if (eq != std::string_view::npos && eq > 0) {
                line.kind = Line::Kind::Entry;
                line.name = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

IniFile IniFile::load(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return IniFile{};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IniFileError("Unable to read " + path + ": " + errnoText(), path);
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad())
        throw IniFileError("Unable to read " + path, path);
    return parse(buf.str());
}

std::string IniFile::text() const {
    std::string out;
    for (const Line& line : lines_) {
        switch (line.kind) {
            case Line::Kind::Other:
                out += line.raw;
                break;
            case Line::Kind::Section:
                out += line.raw.empty() ? "[" + line.name + "]" : line.raw;
                break;
            case Line::Kind::Entry:
                out += line.raw.empty() ? line.name + "=" + line.value : line.raw;
                break;
        }
        out += '\n';
    }
    return out;
}

void IniFile::save(const std::string& path) const {
    const std::string message = "Unable to write to " + path;
    std::string dir = ".";
    std::string base = path;
    if (auto slash = path.rfind('/'); slash != std::string::npos) {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        base = path.substr(slash + 1);
    }
    std::string tmp = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        throw IniFileError(message + ": " + errnoText(), path);

    bool ok = writeAll(fd, text());
    int savedErrno = errno;
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    mode_t mode = 0644;
    if (struct stat st{}; ::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    ok = ok && ::fchmod(fd, mode) == 0;
    ok = ok && ::fsync(fd) == 0;
    if (!ok)
        savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        throw IniFileError(message + ": " + std::strerror(savedErrno), path);
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::size_t IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Kind::Section && equalNoCase(lines_[i].name, section))
            return i;
    return npos;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Kind::Section)
        ++i;
    return i;
}

std::size_t IniFile::findEntry(std::string_view section, std::string_view key) const {
    std::size_t header = findSection(section);
    if (header == npos)
        return npos;
    std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Kind::Entry && equalNoCase(lines_[i].name, key))
            return i;
    return npos;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    std::size_t i = findEntry(section, key);
    if (i == npos)
        return std::nullopt;
    const std::string& v = lines_[i].value;
    return v.size() > kMaxValueLength ? v.substr(0, kMaxValueLength) : v;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    auto v = value(section, key);
    return v ? *v : std::string(def);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const {
    auto v = value(section, key);
    if (!v)
        return def;
    return parseIniInteger(*v).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    // Line breaks would split the entry into lines of their own.
    std::string v(value);
    for (char& c : v)
        if (c == '\n' || c == '\r')
            c = ' ';
    v = std::string(trim(v));

    if (std::size_t i = findEntry(section, key); i != npos) {
        if (lines_[i].value != v) {
            lines_[i].value = v;
            lines_[i].raw.clear();
        }
        return;
    }
    Line entry;
    entry.kind = Line::Kind::Entry;
    entry.name = std::string(key);
    entry.value = v;

    std::size_t header = findSection(section);
    if (header == npos) {
        // A blank line before a new section, unless the file is empty or already ends in one.
        if (!lines_.empty() && !trim(lines_.back().raw).empty())
            lines_.push_back(Line{});
        Line head;
        head.kind = Line::Kind::Section;
        head.name = std::string(section);
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(entry));
        return;
    }
    // After the section's last entry, before any blank lines that separate it from the next.
    std::size_t pos = sectionEnd(header);
    while (pos > header + 1 && lines_[pos - 1].kind == Line::Kind::Other &&
           trim(lines_[pos - 1].raw).empty())
        --pos;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(entry));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != npos;
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const Line& line : lines_) {
        if (line.kind != Line::Kind::Section)
            continue;
        bool seen = false;
        for (const auto& s : out)
            seen = seen || equalNoCase(s, line.name);
        if (!seen)
            out.push_back(line.name);
    }
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    std::size_t header = findSection(section);
    if (header == npos)
        return out;
    std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Kind::Entry)
            out.push_back(lines_[i].name);
    return out;
}

void IniFile::eraseKey(std::string_view section, std::string_view key) {
    if (std::size_t i = findEntry(section, key); i != npos)
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
}

void IniFile::eraseSection(std::string_view section) {
    std::size_t header = findSection(section);
    if (header == npos)
        return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
}

}  // namespace px
