#include "xbase/xb_cdx_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "xbase/xb_error.h"

namespace px {

namespace {

constexpr const char* kMagic = "PARVEX-CDX 1";
constexpr std::size_t kMaxFileSize = 1 << 20;
constexpr std::size_t kMaxTags = 64;

[[noreturn]] void damaged(const std::string& path, const std::string& why) {
    throw EXbError(TXbErrorKind::BadFormat, "Index file " + path + " is damaged: " + why);
}

std::vector<std::string> split(const std::string& line, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(sep, start);
        parts.push_back(line.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

}  // namespace

std::uint32_t xbCrc32(const char* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void xbSyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool TXbCdxFile::storable(const std::string& text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return c == '\t' || c == '\n' || c == '\r' || c == '\0'; });
}

std::vector<TXbTagDef> TXbCdxFile::read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const TXbErrorKind kind = errno == ENOENT ? TXbErrorKind::NotFound : TXbErrorKind::Io;
        throw EXbError(kind, "Cannot open " + path + ": " + std::strerror(errno));
    }
    std::string data;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        data.append(buf, static_cast<std::size_t>(n));
        if (data.size() > kMaxFileSize) {
            ::close(fd);
            damaged(path, "too large");
        }
    }
    ::close(fd);

    const std::size_t crcLine = data.rfind("CRC ");
    if (crcLine == std::string::npos || (crcLine > 0 && data[crcLine - 1] != '\n')) {
        damaged(path, "no checksum");
    }
    unsigned long stored = 0;
    char tail = 0;
    if (std::sscanf(data.c_str() + crcLine, "CRC %8lx%c", &stored, &tail) != 2 || tail != '\n' ||
        crcLine + 13 != data.size()) {
        damaged(path, "bad checksum line");
    }
    if (xbCrc32(data.data(), crcLine) != stored) {
        damaged(path, "checksum mismatch");
    }
    std::vector<std::string> lines = split(data.substr(0, crcLine), '\n');
    if (lines.empty() || lines.front() != kMagic) {
        damaged(path, "not a tag file");
    }
    lines.pop_back();  // the empty piece after the last newline
    std::vector<TXbTagDef> tags;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> p = split(lines[i], '\t');
        int option = 0;
        const bool optionRead =
            p.size() == 6 &&
            std::from_chars(p[2].data(), p[2].data() + p[2].size(), option).ptr ==
                p[2].data() + p[2].size() &&
            !p[2].empty();
        if (!optionRead || p[0] != "TAG" || p[1].empty() || (p[3] != "A" && p[3] != "D")) {
            damaged(path, "bad tag line " + std::to_string(i + 1));
        }
        if (tags.size() == kMaxTags) {
            damaged(path, "too many tags");
        }
        tags.push_back({p[1], p[4], p[5], option, p[3] == "D"});
    }
    return tags;
}

void TXbCdxFile::write(const std::string& path, const std::vector<TXbTagDef>& tags) {
    std::string data = std::string(kMagic) + "\n";
    for (const TXbTagDef& t : tags) {
        data += "TAG\t" + t.name + "\t" + std::to_string(t.option) + "\t" +
                (t.descending ? "D" : "A") + "\t" + t.key + "\t" + t.forCondition + "\n";
    }
    char crc[16];
    std::snprintf(crc, sizeof crc, "CRC %08x\n", xbCrc32(data.data(), data.size()));
    data += crc;

    const std::string tmp = path + ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw EXbError(TXbErrorKind::Io, "Cannot create " + tmp + ": " + std::strerror(errno));
    }
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            throw EXbError(TXbErrorKind::Io, "Cannot write " + tmp + ": " + std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw EXbError(TXbErrorKind::Io, "Cannot replace " + path + ": " + std::strerror(err));
    }
    xbSyncFolderOf(path);
}

}  // namespace px
