#include "xbase/xb_dbf_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>
#include <utility>

#include "xbase/xb_cdx_file.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

constexpr int kDescriptorSize = 32;
constexpr int kMaxFields = 255;
// The xBase format's own limit; anything larger is not a table we wrote or
// could have been given, and would only be read into memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{2} << 30;
constexpr char kTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;

std::uint32_t get32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}
std::uint16_t get16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}
void put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}
void put16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

void stampDate(char* header) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    header[1] = static_cast<char>(tm.tm_year % 256);  // years since 1900
    header[2] = static_cast<char>(tm.tm_mon + 1);
    header[3] = static_cast<char>(tm.tm_mday);
}

std::string errnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

[[noreturn]] void badFormat(const std::string& path, const std::string& why) {
    throw EXbError(TXbErrorKind::BadFormat, path + " is not a readable table: " + why);
}

bool validName(const std::string& name) {
    if (name.empty() || name.size() > 10) {
        return false;
    }
    if (!(name[0] >= 'A' && name[0] <= 'Z')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// Why a field descriptor is unacceptable, or empty when it is fine.
std::string fieldProblem(const TXbField& f) {
    if (!validName(f.name)) {
        return "bad field name \"" + f.name + "\"";
    }
    switch (f.type) {
        case 'C':
            if (f.width < 1 || f.width > 254 || f.decimals != 0) {
                return "character field " + f.name + " has width " + std::to_string(f.width);
            }
            break;
        case 'D':
            if (f.width != 8) {
                return "date field " + f.name + " must have width 8";
            }
            break;
        case 'L':
            if (f.width != 1) {
                return "logical field " + f.name + " must have width 1";
            }
            break;
        case 'N':
        case 'F':
            if (f.width < 1 || f.width > 20 || f.decimals < 0 ||
                (f.decimals > 0 && f.decimals > f.width - 2)) {
                return "numeric field " + f.name + " has width " + std::to_string(f.width) + "." +
                       std::to_string(f.decimals);
            }
            break;
        default:
            return "field " + f.name + " has unsupported type '" + std::string(1, f.type) + "'";
    }
    return {};
}

class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void writeFully(int fd, const char* data, std::size_t size, std::uint64_t offset,
                const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EXbError(TXbErrorKind::Io, errnoText("Cannot write", path));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
}

void readFully(int fd, char* data, std::size_t size, std::uint64_t offset,
               const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw EXbError(TXbErrorKind::Io, errnoText("Cannot read", path));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
}

std::vector<char> buildHeader(const std::vector<TXbField>& fields, std::uint32_t count) {
    const int headerLength = 32 + kDescriptorSize * static_cast<int>(fields.size()) + 1;
    int recordLength = 1;
    for (const TXbField& f : fields) {
        recordLength += f.width;
    }
    std::vector<char> h(static_cast<std::size_t>(headerLength), '\0');
    h[0] = 0x03;  // dBase III without memo
    stampDate(h.data());
    put32(&h[4], count);
    put16(&h[8], static_cast<std::uint16_t>(headerLength));
    put16(&h[10], static_cast<std::uint16_t>(recordLength));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        char* d = &h[32 + kDescriptorSize * i];
        std::memcpy(d, fields[i].name.data(), fields[i].name.size());
        d[11] = fields[i].type;
        d[16] = static_cast<char>(fields[i].width);
        d[17] = static_cast<char>(fields[i].decimals);
    }
    h[static_cast<std::size_t>(headerLength) - 1] = kTerminator;
    return h;
}

// Writes a whole table to a temporary file beside path and renames it over
// path, so readers see the old file or the new one, never a mix.
void writeWholeFile(const std::string& path, const std::vector<char>& header,
                    const std::vector<const char*>& records, int recordLength,
                    const TXbDbfFile::Progress& progress) {
    const std::string tmp = path + ".tmp";
    TFd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        throw EXbError(TXbErrorKind::Io, errnoText("Cannot create", tmp));
    }
    try {
        writeFully(fd.get(), header.data(), header.size(), 0, tmp);
        std::uint64_t offset = header.size();
        std::vector<char> chunk;
        const std::size_t perChunk = 256;
        int lastPercent = -1;
        for (std::size_t i = 0; i < records.size(); i += perChunk) {
            chunk.clear();
            const std::size_t end = std::min(records.size(), i + perChunk);
            for (std::size_t k = i; k < end; ++k) {
                chunk.insert(chunk.end(), records[k], records[k] + recordLength);
            }
            writeFully(fd.get(), chunk.data(), chunk.size(), offset, tmp);
            offset += chunk.size();
            const int percent = static_cast<int>(end * 100 / records.size());
            if (progress && percent != lastPercent) {
                progress(percent);
                lastPercent = percent;
            }
        }
        const char eof = kEndOfFile;
        writeFully(fd.get(), &eof, 1, offset, tmp);
        if (::fsync(fd.get()) != 0) {
            throw EXbError(TXbErrorKind::Io, errnoText("Cannot flush", tmp));
        }
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        throw EXbError(TXbErrorKind::Io, errnoText("Cannot replace", path));
    }
    xbSyncFolderOf(path);
}

}  // namespace

TXbDbfFile::~TXbDbfFile() {
    close();
}

void TXbDbfFile::validateFields(std::vector<TXbField>& fields) {
    if (fields.empty() || fields.size() > kMaxFields) {
        throw EXbError(TXbErrorKind::BadField, "A table needs 1 to 255 fields");
    }
    std::set<std::string> names;
    int offset = 1;
    for (TXbField& f : fields) {
        f.name = xbUpper(f.name);
        if (f.type == 'F') {
            f.type = 'N';
        }
        if (f.type == 'D') {
            f.width = 8;
        }
        if (f.type == 'L') {
            f.width = 1;
        }
        if (const std::string problem = fieldProblem(f); !problem.empty()) {
            throw EXbError(TXbErrorKind::BadField, problem);
        }
        if (!names.insert(f.name).second) {
            throw EXbError(TXbErrorKind::BadField, "Duplicate field name " + f.name);
        }
        f.offset = offset;
        offset += f.width;
    }
    if (offset > 65535) {
        throw EXbError(TXbErrorKind::BadField, "Record too long");
    }
}

void TXbDbfFile::create(const std::string& path, std::vector<TXbField> fields) {
    validateFields(fields);
    const std::vector<char> header = buildHeader(fields, 0);
    writeWholeFile(path, header, {}, 0, {});
}

void TXbDbfFile::open(const std::string& path, bool exclusive) {
    close();
    TFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
        const TXbErrorKind kind = errno == ENOENT ? TXbErrorKind::NotFound : TXbErrorKind::Io;
        throw EXbError(kind, errnoText("Cannot open", path));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw EXbError(TXbErrorKind::Io, "Cannot open " + path + ": not a regular file");
    }
    fd_ = fd.release();
    path_ = path;
    try {
        lock(exclusive);
        readHeader(static_cast<std::uint64_t>(st.st_size));
    } catch (...) {
        close();
        throw;
    }
}

void TXbDbfFile::lock(bool exclusive) {
    // A shared lock keeps an exclusive opener out while we work, and the other way round.
    const int op = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (::flock(fd_, op) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EWOULDBLOCK) {
            throw EXbError(TXbErrorKind::Locked, path_ + " is in use by another program");
        }
        throw EXbError(TXbErrorKind::Io, errnoText("Cannot lock", path_));
    }
    exclusive_ = exclusive;
}

void TXbDbfFile::readHeader(std::uint64_t fileSize) {
    if (fileSize < 32 + kDescriptorSize + 1) {
        badFormat(path_, "file too short");
    }
    if (fileSize > kMaxFileSize) {
        badFormat(path_, "file larger than 2 GB");
    }
    char fixed[32];
    readFully(fd_, fixed, 32, 0, path_);
    const auto version = static_cast<unsigned char>(fixed[0]);
    // dBase III, FoxBase/FoxPro and Visual FoxPro; a memo flag is fine as long
    // as no memo field follows.
    static constexpr unsigned char kVersions[] = {0x03, 0x83, 0x30, 0x31, 0x32, 0xF5, 0xFB, 0x8B};
    if (std::find(std::begin(kVersions), std::end(kVersions), version) == std::end(kVersions)) {
        badFormat(path_, "unknown version byte");
    }
    const std::uint32_t claimed = get32(&fixed[4]);
    headerLength_ = get16(&fixed[8]);
    recordLength_ = get16(&fixed[10]);
    if (headerLength_ < 32 + kDescriptorSize + 1 ||
        static_cast<std::uint64_t>(headerLength_) > fileSize) {
        badFormat(path_, "bad header length");
    }
    if (recordLength_ < 2) {
        badFormat(path_, "bad record length");
    }
    header_.assign(static_cast<std::size_t>(headerLength_), '\0');
    readFully(fd_, header_.data(), header_.size(), 0, path_);

    fields_.clear();
    std::set<std::string> names;
    int offset = 1;
    std::size_t pos = 32;
    bool terminated = false;
    while (pos < header_.size()) {
        if (header_[pos] == kTerminator) {
            terminated = true;
            break;
        }
        if (pos + kDescriptorSize > header_.size() || fields_.size() >= kMaxFields) {
            break;
        }
        const char* d = &header_[pos];
        TXbField f;
        f.name = std::string(d, strnlen(d, 11));
        f.name = xbUpper(f.name);
        f.type = d[11];
        f.width = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        if (f.type == 'F') {
            f.type = 'N';
        }
        if (const std::string problem = fieldProblem(f); !problem.empty()) {
            badFormat(path_, problem);
        }
        if (!names.insert(f.name).second) {
            badFormat(path_, "duplicate field " + f.name);
        }
        f.offset = offset;
        offset += f.width;
        fields_.push_back(std::move(f));
        pos += kDescriptorSize;
    }
    if (!terminated || fields_.empty()) {
        badFormat(path_, "field descriptors are not terminated");
    }
    if (offset != recordLength_) {
        badFormat(path_, "record length does not match the fields");
    }

    // Reconcile the header's count with what the file holds. Fewer records
    // than claimed: a write was cut short, keep the whole ones. More whole
    // records than claimed: an append wrote its record but not the header;
    // keep them when they look like records (a valid deletion flag).
    const std::uint64_t body = fileSize - static_cast<std::uint64_t>(headerLength_);
    const std::uint64_t physical = body / static_cast<std::uint64_t>(recordLength_);
    std::uint64_t count = std::min<std::uint64_t>(claimed, physical);
    records_.clear();
    const std::uint64_t spare = physical - count;
    records_.reserve(static_cast<std::size_t>((physical + physical / 4 + 64) * recordLength_));
    records_.resize(static_cast<std::size_t>(physical * recordLength_));
    if (!records_.empty()) {
        readFully(fd_, records_.data(), records_.size(), static_cast<std::uint64_t>(headerLength_),
                  path_);
    }
    for (std::uint64_t i = 0; i < spare; ++i) {
        const char flag = records_[static_cast<std::size_t>(count * recordLength_)];
        if (flag != ' ' && flag != '*') {
            break;
        }
        ++count;
    }
    records_.resize(static_cast<std::size_t>(count * recordLength_));
    count_ = static_cast<std::uint32_t>(count);
    repaired_ = count_ != claimed;
    if (repaired_) {
        writeCount();
    }
}

void TXbDbfFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);  // also drops the lock
    }
    fd_ = -1;
    records_.clear();
    records_.shrink_to_fit();
    fields_.clear();
    header_.clear();
    count_ = 0;
    repaired_ = false;
}

const char* TXbDbfFile::record(std::uint32_t recno) const {
    if (recno < 1 || recno > count_) {
        throw EXbError(TXbErrorKind::BadRecord,
                       "Record " + std::to_string(recno) + " is out of range");
    }
    return &records_[static_cast<std::size_t>(recno - 1) * recordLength_];
}

void TXbDbfFile::pwriteAll(const void* data, std::size_t size, std::uint64_t offset) {
    writeFully(fd_, static_cast<const char*>(data), size, offset, path_);
    if (sync_ && ::fdatasync(fd_) != 0) {
        throw EXbError(TXbErrorKind::Io, errnoText("Cannot flush", path_));
    }
}

void TXbDbfFile::writeCount() {
    char part[7];
    stampDate(header_.data());
    put32(&header_[4], count_);
    std::memcpy(part, &header_[1], 7);
    pwriteAll(part, sizeof part, 1);
}

void TXbDbfFile::writeRecord(std::uint32_t recno, const char* data) {
    char* slot = const_cast<char*>(record(recno));
    pwriteAll(data, static_cast<std::size_t>(recordLength_),
              static_cast<std::uint64_t>(headerLength_) +
                  static_cast<std::uint64_t>(recno - 1) * recordLength_);
    std::memmove(slot, data, static_cast<std::size_t>(recordLength_));
}

std::uint32_t TXbDbfFile::appendRecord(const char* data) {
    if (fd_ < 0) {
        throw EXbError(TXbErrorKind::NotOpen, "The table is not open");
    }
    if (count_ == UINT32_MAX) {
        throw EXbError(TXbErrorKind::BadRecord, "The table is full");
    }
    std::vector<char> buf(data, data + recordLength_);
    buf.push_back(kEndOfFile);
    pwriteAll(buf.data(), buf.size(),
              static_cast<std::uint64_t>(headerLength_) +
                  static_cast<std::uint64_t>(count_) * recordLength_);
    records_.insert(records_.end(), data, data + recordLength_);
    ++count_;
    // Should this fail, the record is on disk and the next open counts it.
    writeCount();
    return count_;
}

void TXbDbfFile::rewrite(const std::vector<std::uint32_t>& keep, const Progress& progress) {
    std::vector<const char*> rows;
    rows.reserve(keep.size());
    for (std::uint32_t recno : keep) {
        rows.push_back(record(recno));
    }
    std::vector<char> header = header_;
    stampDate(header.data());
    put32(&header[4], static_cast<std::uint32_t>(rows.size()));
    if (progress) {
        progress(0);
    }
    writeWholeFile(path_, header, rows, recordLength_, progress);
    // The file we hold now is the unlinked old one: reopen the new one.
    const std::string path = path_;
    const bool exclusive = exclusive_;
    const bool sync = sync_;
    open(path, exclusive);
    sync_ = sync;
}

}  // namespace px
