#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace px::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logPath) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        throw std::runtime_error("cannot create " + logPath);
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(log, 1);
        dup2(log, 2);
        int devnull = ::open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        execvp(args[0], args.data());
        _exit(127);
    }
    ::close(log);
    if (pid_ < 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        terminate();
    }
}

int ChildProcess::wait(double seconds) {
    if (pid_ <= 0) {
        return -1;
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (true) {
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() > end) {
            terminate();
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void ChildProcess::terminate() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

TempDir::TempDir() {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/pxsimXXXXXX";
    if (mkdtemp(path_.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string simulatorPath() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    if (dir != nullptr && *dir != '\0') {
        return std::string(dir) + "/parvex-modemsim";
    }
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" /
           "parvex-modemsim";
}

bool waitForPath(const std::string& path, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool programAvailable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (::access((dir + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace px::test
