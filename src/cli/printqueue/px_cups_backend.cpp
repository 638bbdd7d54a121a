#include "cli/printqueue/px_cups_backend.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "cli/convert/px_document_to_apf.h"
#include "cli/printqueue/cups_options.h"
#include "settings/file_names.h"
#include "settings/print_handoff.h"

namespace px {

namespace {

constexpr const char* kDeviceLine =
    "direct parvex:/fax \"Parvex Fax\" \"Parvex Fax (faxes for the outgoing log)\"";
constexpr const char* kFaxNumberOption = "fax-number";
constexpr const char* kFaxRecipientOption = "fax-recipient";
constexpr const char* kFilePrefix = "PRN";
constexpr int kHighestNumber = 99999;
constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateMask = 077;

enum Arg { kJobId, kUser, kTitle, kCopies, kOptions, kFile };

// The user a job belongs to, from the password database.
struct JobUser {
    std::string name;
    std::string home;
    uid_t uid = 0;
    gid_t gid = 0;
};

// A job that cannot be turned into a fax: the message for the job log.
class JobFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_;
};

std::string systemError() {
    return std::strerror(errno);
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw JobFailed("cannot write the fax file: " + systemError());
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void copyAll(int from, int to) {
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(from, block, sizeof block);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw JobFailed("cannot read the print job: " + systemError());
        }
        if (n == 0) {
            return;
        }
        writeAll(to, block, static_cast<std::size_t>(n));
    }
}

// Takes the identity of the job's user for good: groups first, then the
// group, then the user, and checks that root cannot be regained.
void becomeUser(const JobUser& user) {
    if (::initgroups(user.name.c_str(), user.gid) != 0 || ::setgid(user.gid) != 0 ||
        ::setuid(user.uid) != 0) {
        throw JobFailed("cannot act as user " + user.name + ": " + systemError());
    }
    if (user.uid != 0 && (::setuid(0) == 0 || ::geteuid() != user.uid)) {
        throw JobFailed("could not give up root");
    }
}

std::string userHome(const JobUser& user) {
    if (const char* homes = std::getenv(kHomesOverride); homes != nullptr && *homes == '/') {
        return joinPath(homes, user.name);
    }
    return user.home;
}

// A name of the form PRNnnnnn that is free for both .APF and .nqh in SEND in
// any letter case, and the fax file moved there without replacing anything.
std::string moveToFreeName(int sendFd, const std::string& sendFolder, const std::string& temp) {
    char base[16];
    for (int number = 0; number <= kHighestNumber; ++number) {
        std::snprintf(base, sizeof base, "%s%05d", kFilePrefix, number);
        const std::string fax = std::string(base) + ".APF";
        if (existsNoCase(sendFolder, fax) ||
            existsNoCase(sendFolder, std::string(base) + kHandOffExtension)) {
            continue;
        }
        if (::renameat2(sendFd, temp.c_str(), sendFd, fax.c_str(), RENAME_NOREPLACE) == 0) {
            return base;
        }
        if (errno != EEXIST) {
            throw JobFailed("cannot name the fax file: " + systemError());
        }
    }
    throw JobFailed("no free fax file name is left in " + sendFolder);
}

// A new private file in SEND under a name the program never takes in.
std::string createTemporary(int sendFd, const char* suffix, Fd& out) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            ".parvex-job-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + suffix;
        const int fd = ::openat(sendFd, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFile);
        if (fd >= 0) {
            out.reset(fd);
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw JobFailed("cannot create a file in the SEND folder: " + systemError());
}

class Job {
public:
    explicit Job(const std::vector<std::string>& args) : args_(args) {}

    ~Job() {
        for (const std::string& name : leftovers_) {
            ::unlinkat(sendFd_.get(), name.c_str(), 0);
        }
    }

    void run() {
        const JobUser user = jobUser();
        Fd input(args_.size() > kFile ? openInput(args_[kFile]) : ::dup(STDIN_FILENO));
        if (input.get() < 0) {
            throw JobFailed("cannot open the print job: " + systemError());
        }
        if (::geteuid() == 0) {
            becomeUser(user);
        } else if (::geteuid() != user.uid) {
            throw JobFailed("this queue runs without root and takes only the jobs of its own user");
        }
        openSendFolder(user);
        // Faxes are the user's private papers, whatever umask the scheduler has.
        ::umask(kPrivateMask);

        Fd document;
        const std::string documentName = createTemporary(sendFd_.get(), ".job", document);
        leftovers_.push_back(documentName);
        copyAll(input.get(), document.get());
        document.reset();

        Fd fax;
        const std::string faxName = createTemporary(sendFd_.get(), ".tmp", fax);
        leftovers_.push_back(faxName);
        fax.reset();
        DocumentToApfOptions options;
        options.fine = true;
        try {
            convertDocumentToApf(joinPath(sendFolder_, documentName),
                                 joinPath(sendFolder_, faxName), options);
        } catch (const DocumentRefused& refused) {
            throw JobFailed(std::string("the document cannot be faxed: ") + refused.what());
        }

        const auto jobOptions = parseCupsOptions(args_[kOptions]);
        HandOff handOff;
        handOff.phone = optionValue(jobOptions, kFaxNumberOption);
        handOff.recipient = optionValue(jobOptions, kFaxRecipientOption);
        handOff.subject = args_[kTitle];
        const std::string text = formatHandOff(handOff);
        Fd note;
        const std::string noteName = createTemporary(sendFd_.get(), ".nqt", note);
        leftovers_.push_back(noteName);
        writeAll(note.get(), text.data(), text.size());
        ::fsync(note.get());
        note.reset();

        // The fax file first, the hand-off last: the program takes a job in
        // only once its hand-off is there.
        const std::string base = moveToFreeName(sendFd_.get(), sendFolder_, faxName);
        leftovers_.erase(leftovers_.begin() + 1);
        const std::string handOffName = base + kHandOffExtension;
        if (::renameat2(sendFd_.get(), noteName.c_str(), sendFd_.get(), handOffName.c_str(),
                        RENAME_NOREPLACE) != 0) {
            const std::string reason = systemError();
            ::unlinkat(sendFd_.get(), (base + ".APF").c_str(), 0);
            throw JobFailed("cannot hand the fax over: " + reason);
        }
        leftovers_.pop_back();
        std::cerr << "INFO: Fax " << base << ".APF is in the outgoing log's SEND folder of "
                  << user.name << "\n";
    }

private:
    JobUser jobUser() const {
        const std::string& name = args_[kUser];
        const passwd* entry = ::getpwnam(name.c_str());
        if (entry == nullptr) {
            throw JobFailed("unknown user \"" + name + "\"");
        }
        return {entry->pw_name, entry->pw_dir != nullptr ? entry->pw_dir : "", entry->pw_uid,
                entry->pw_gid};
    }

    static int openInput(const std::string& path) {
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }

    void openSendFolder(const JobUser& user) {
        const std::string iniPath = pxpdIniPathInHome(userHome(user));
        std::optional<PrintDriverLocation> location;
        try {
            location = readPrintDriverLocation(iniPath);
        } catch (const std::exception&) {
        }
        if (!location) {
            throw JobFailed("Parvex is not set up for user " + user.name + " (no " + iniPath +
                            "): start Parvex once, then print again");
        }
        sendFolder_ = location->outPath;
        sendFd_.reset(::open(sendFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sendFd_.get() < 0) {
            throw JobFailed("cannot open the SEND folder " + sendFolder_ + ": " + systemError());
        }
        struct stat info {};
        if (::fstat(sendFd_.get(), &info) != 0 || info.st_uid != user.uid) {
            throw JobFailed("the SEND folder " + sendFolder_ + " does not belong to " + user.name);
        }
    }

    static std::string optionValue(const std::map<std::string, std::string>& options,
                                   const char* name) {
        const auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }

    const std::vector<std::string>& args_;
    std::string sendFolder_;
    Fd sendFd_;
    std::vector<std::string> leftovers_;
};

}  // namespace

int runCupsBackend(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cout << kDeviceLine << "\n";
        return kCupsBackendOk;
    }
    if (args.size() != 5 && args.size() != 6) {
        std::cerr << "Usage: " << kBackendScheme << " job-id user title copies options [file]\n";
        return kCupsBackendFailed;
    }
    try {
        Job(args).run();
    } catch (const std::exception& e) {
        std::cerr << "ERROR: " << e.what() << "\n";
        return kCupsBackendCancel;
    }
    return kCupsBackendOk;
}

}  // namespace px
