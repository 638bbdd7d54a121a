// A CUPS scheduler of the test's own: configuration, spool and socket in a
// temporary folder, no network, two raw queues. "faxq" accepts jobs and its
// backend writes each job's document to outputFile(); "closedq" refuses
// every job. Clients reach it through CUPS_SERVER=socket().
//
// The queues use a small backend of their own rather than cupsd's file:
// device: a raw queue hands its document to a backend but runs no filter, and
// without a filter the file: device writes nothing.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace px::test {

class PrivateCupsd {
public:
    static constexpr const char* kDaemon = "/usr/sbin/cupsd";
    static constexpr const char* kServerBin = "/usr/lib/cups";

    static bool available() {
        return ::access(kDaemon, X_OK) == 0 && std::filesystem::exists(kServerBin);
    }

    // `extraConfiguration` is added to cupsd.conf, `extraFilesConfiguration`
    // to cups-files.conf (where SetEnv lines go).
    explicit PrivateCupsd(const std::string& extraConfiguration = "",
                          const std::string& extraFilesConfiguration = "") {
        namespace fs = std::filesystem;
        const std::string root = dir_.path();
        // The scheduler drops to an unprivileged user for backends when run
        // as root, and that user must reach the folders.
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        for (const char* sub :
             {"spool", "cache", "state", "tmp", "log", "bin", "bin/backend", "out"}) {
            fs::create_directories(root + "/" + sub);
        }
        fs::permissions(root + "/out", fs::perms::all);
        fs::create_directory_symlink(std::string(kServerBin) + "/daemon", root + "/bin/daemon");
        const std::string backend = root + "/bin/backend/testfile";
        writeFile(backend,
                  "#!/bin/sh\n"
                  "# Device discovery: nothing to offer.\n"
                  "[ $# -eq 0 ] && exit 0\n"
                  "out=${DEVICE_URI#testfile:}\n"
                  "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$out.part\" &&"
                  " mv \"$out.part\" \"$out\"\n");
        fs::permissions(backend, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);

        // Group and SystemGroup must differ. A scheduler started by an
        // ordinary user runs everything as that user whatever they say.
        const bool rootUser = ::geteuid() == 0;
        const std::string own = ::getgrgid(::getegid())->gr_name;
        const std::string user = rootUser ? "lp" : ::getpwuid(::geteuid())->pw_name;
        const std::string group = rootUser || own != "lp" ? "lp" : "nogroup";
        const std::string systemGroup = rootUser ? "root" : own;
        writeFile(root + "/cups-files.conf",
                  "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nCacheDir " + root +
                      "/cache\nStateDir " + root + "/state\nTempDir " + root + "/tmp\nServerBin " +
                      root +
                      "/bin\nDataDir /usr/share/cups\n"
                      "ErrorLog " +
                      root + "/log/error_log\nAccessLog " + root + "/log/access_log\nPageLog " +
                      root + "/log/page_log\nPrintcap " + root +
                      "/printcap\nFileDevice Yes\nUser " + user + "\nGroup " + group +
                      "\nSystemGroup " + systemGroup + "\n" + extraFilesConfiguration);
        writeFile(root + "/cupsd.conf", "Listen " + socket() +
                                            "\nLogLevel warn\nBrowsing No\n"
                                            "<Location />\n  Order allow,deny\n  Allow all\n"
                                            "</Location>\n" +
                                            extraConfiguration);
        writeFile(root + "/printers.conf",
                  "<Printer faxq>\nInfo Parvex test queue\nDeviceURI testfile:" + outputFile() +
                      "\nState Idle\nAccepting Yes\nShared No\n</Printer>\n"
                      "<Printer closedq>\nInfo Refuses every job\nDeviceURI testfile:" +
                      root + "/out/never\nState Idle\nAccepting No\nShared No\n</Printer>\n");

        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            const std::string conf = root + "/cupsd.conf";
            const std::string files = root + "/cups-files.conf";
            ::execl(kDaemon, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
            ::_exit(127);
        }
    }

    ~PrivateCupsd() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    PrivateCupsd(const PrivateCupsd&) = delete;
    PrivateCupsd& operator=(const PrivateCupsd&) = delete;

    std::string socket() const { return dir_.path() + "/cups.sock"; }
    // Where the scheduler looks for backends.
    std::string backendFolder() const { return dir_.path() + "/bin/backend"; }
    std::string outputFile() const { return dir_.path() + "/out/job.pdf"; }
    std::string errorLog() const { return readFile(dir_.path() + "/log/error_log"); }

    // Whether the scheduler answers on its socket within `limit`.
    bool waitUntilReady(std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (accepts()) {
                return true;
            }
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                return false;  // it ended: a configuration it refused
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Whether a job's document arrived within `limit`.
    bool waitForOutput(std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (std::filesystem::exists(outputFile())) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    bool accepts() const {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) {
            return false;
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket().c_str(), sizeof(address.sun_path) - 1);
        const bool ok =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        ::close(fd);
        return ok;
    }

    TempDir dir_;
    pid_t pid_ = -1;
};

}  // namespace px::test
