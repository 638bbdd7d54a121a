#include "app/printdriver/print_driver_intake.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <array>
#include <cerrno>
#include <exception>
#include <vector>

#include "app/faxeditor/fax_information.h"
#include "app/outgoing/outgoing_record.h"
#include "app/tables/log_table.h"
#include "fax/apf/px_apf_format.h"
#include "settings/file_names.h"
#include "settings/program_folder.h"
#include "xbase/xb_table.h"

namespace px {

namespace {

// Fax files taken in under a name of their own when theirs does not fit FAXDOC.
constexpr const char* kPrintedPrefix = "PRN";
constexpr std::size_t kFaxDocWidth = 12;
// Quiet time after a change in SEND before it is looked at, and the pause
// before another look at a fax file still being written.
constexpr int kSettleMs = 150;
constexpr int kRetryMs = 1000;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool readFully(int fd, off_t offset, void* data, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, bytes, size, offset);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// A regular file in SEND itself, never through a symbolic link.
bool isPlainFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string readHandOffText(const std::string& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        return {};
    }
    std::string text(kMaxHandOffBytes, '\0');
    std::size_t used = 0;
    while (used < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + used, text.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    text.resize(used);
    return text;
}

// The hand-off files in SEND, as base names (without ".nqh").
std::vector<std::string> waitingHandOffs(const std::string& sendFolder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(sendFolder.c_str());
    if (dir == nullptr) {
        return names;
    }
    const std::string_view extension = kHandOffExtension;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (hasExtensionNoCase(name, extension)) {
            names.emplace_back(name.substr(0, name.size() - extension.size()));
        }
    }
    ::closedir(dir);
    return names;
}

// Gives a fax file whose name does not fit FAXDOC the next free SEND name;
// the name it now has, or empty when it could not be renamed.
std::string fitFaxDocName(const std::string& sendFolder, const std::string& name) {
    if (name.size() <= kFaxDocWidth) {
        return name;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string target = uniqueSendFileName(sendFolder, kPrintedPrefix);
        const std::string bare = target.substr(target.find_last_of('/') + 1);
        if (existsNoCase(sendFolder, bare)) {
            break;
        }
        const std::string source = joinPath(sendFolder, name);
        if (::link(source.c_str(), target.c_str()) == 0) {
            ::unlink(source.c_str());
            return bare;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

}  // namespace

bool isCompleteApf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::array<std::uint8_t, kApfFileHeaderSize> bytes{};
    ApfFileHeader header;
    if (size < bytes.size() || !readFully(fd, 0, bytes.data(), bytes.size()) ||
        !ApfFileHeader::unpack(bytes.data(), header) || header.pageCount == 0 ||
        header.firstPageOffset != kApfFirstPageOffset) {
        return false;
    }
    std::uint64_t offset = header.firstPageOffset;
    for (unsigned page = 0; page < header.pageCount; ++page) {
        std::array<std::uint8_t, kApfPageHeaderSize> pageBytes{};
        if (offset + pageBytes.size() > size ||
            !readFully(fd, static_cast<off_t>(offset), pageBytes.data(), pageBytes.size())) {
            return false;
        }
        const ApfPageHeader pageHeader = ApfPageHeader::unpack(pageBytes.data());
        if (pageHeader.imageLength == 0) {
            return false;  // a page still being written
        }
        offset += pageBytes.size() + pageHeader.imageLength;
    }
    return offset == size;
}

TPrintDriverIntake::TPrintDriverIntake(TWorkflowHost& host) : host_(host) {
    settle_.setSingleShot(true);
    QObject::connect(&settle_, &QTimer::timeout, [this] { sendFolderChanged(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged,
                     [this](const QString&) { settle_.start(kSettleMs); });
}

TIntakeResult TPrintDriverIntake::processOnePrintFile(const std::string& baseName) {
    const std::string sendFolder = host_.folder().sendFolder();
    const std::string handOffName = baseName + kHandOffExtension;
    if (!isPlainFileName(baseName) || !isPlainFileName(handOffName)) {
        return TIntakeResult::Refused;
    }
    const std::string handOffPath = resolveNoCase(sendFolder, handOffName);
    const std::string faxPath = resolveNoCase(sendFolder, baseName + ".APF");
    struct stat faxInfo {};
    if (::lstat(faxPath.c_str(), &faxInfo) != 0) {
        return TIntakeResult::NoFaxFile;
    }
    if (!S_ISREG(faxInfo.st_mode)) {
        return TIntakeResult::Refused;
    }
    struct stat handOffInfo {};
    const bool hasHandOff = ::lstat(handOffPath.c_str(), &handOffInfo) == 0;
    if (hasHandOff && !isPlainFile(handOffPath)) {
        return TIntakeResult::Refused;
    }
    {
        const FileDescriptor fd(::open(faxPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.get() < 0) {
            return errno == ELOOP ? TIntakeResult::Refused : TIntakeResult::NotReady;
        }
        if (!isCompleteApf(fd.get())) {
            return TIntakeResult::NotReady;
        }
    }
    const HandOff handOff = hasHandOff ? parseHandOff(readHandOffText(handOffPath)) : HandOff{};
    const std::string faxDoc =
        fitFaxDocName(sendFolder, faxPath.substr(faxPath.find_last_of('/') + 1));
    if (faxDoc.empty()) {
        return TIntakeResult::NotLogged;
    }
    TFaxInformation info;
    info.phone = QString::fromUtf8(handOff.phone);
    info.recipient = QString::fromUtf8(handOff.recipient);
    info.subject = QString::fromUtf8(handOff.subject);
    try {
        appendOutgoingFax(host_.log(TMainPage::Outgoing).table(), info, faxDoc, "");
    } catch (const std::exception&) {
        // The hand-off stays, so the fax is not lost: the next look tries again.
        return TIntakeResult::NotLogged;
    }
    if (hasHandOff) {
        ::unlink(handOffPath.c_str());
    }
    return TIntakeResult::Taken;
}

bool TPrintDriverIntake::processWaitingFiles() {
    if (busy_) {
        return false;
    }
    busy_ = true;
    waiting_ = false;
    int taken = 0;
    for (const std::string& base : waitingHandOffs(host_.folder().sendFolder())) {
        switch (processOnePrintFile(base)) {
            case TIntakeResult::Taken:
                ++taken;
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                break;
            case TIntakeResult::NotReady:
            case TIntakeResult::NotLogged:
                waiting_ = true;
                break;
            case TIntakeResult::NoFaxFile:
            case TIntakeResult::Refused:
                break;
        }
    }
    if (taken > 0) {
        host_.reopenLog(TMainPage::Outgoing);
    }
    busy_ = false;
    if (waiting_ && !watcher_.directories().isEmpty()) {
        settle_.start(kRetryMs);
    }
    return taken > 0;
}

void TPrintDriverIntake::writeSettingsFile() {
    const std::string path = pxpdIniPath();
    createFolderChain(path.substr(0, path.find_last_of('/')));
    try {
        writePrintDriverLocation(path, {host_.folder().sendFolder(), currentExecutablePath()});
    } catch (const std::exception&) {
        // Without the file the print queue reports the missing set-up itself.
    }
}

void TPrintDriverIntake::watchSendFolder() {
    const QString folder = QString::fromStdString(host_.folder().sendFolder());
    if (!watcher_.directories().contains(folder)) {
        watcher_.addPath(folder);
    }
    settle_.start(kSettleMs);
}

void TPrintDriverIntake::sendFolderChanged() {
    // A modal window (the send window above all) keeps the log as it is
    // until it closes.
    if (busy_ || QApplication::activeModalWidget() != nullptr) {
        settle_.start(kRetryMs);
        return;
    }
    if (processWaitingFiles()) {
        host_.refreshLog(TMainPage::Outgoing);
        host_.evaluateCommands();
    }
}

}  // namespace px
