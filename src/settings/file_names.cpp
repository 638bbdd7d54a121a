#include "settings/file_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace px {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

ssize_t readRetry(int fd, char* buf, std::size_t n) {
    for (;;) {
        ssize_t r = ::read(fd, buf, n);
        if (r >= 0 || errno != EINTR)
            return r;
    }
}

bool writeRetry(int fd, const char* buf, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, buf, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        buf += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty())
        return std::string(name);
    if (out.back() != '/')
        out += '/';
    while (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    out += name;
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string resolveNoCase(std::string_view folder, std::string_view name) {
    std::string exact = joinPath(folder, name);
    if (exists(exact))
        return exact;
    std::string dirPath = folder.empty() ? std::string(".") : std::string(folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (dir == nullptr)
        return exact;
    std::string found;
    while (dirent* e = ::readdir(dir)) {
        if (equalNoCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found.empty() ? exact : joinPath(folder, found);
}

bool existsNoCase(std::string_view folder, std::string_view name) {
    return exists(resolveNoCase(folder, name));
}

int makeFolderChain(std::string_view path) {
    std::string p(path);
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    if (p.size() <= 2)
        return EINVAL;
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (auto slash = p.rfind('/'); slash != std::string::npos && slash > 0)
        makeFolderChain(std::string_view(p).substr(0, slash));
    // A failed parent shows again here, with the system's reason for this path.
    if (::mkdir(p.c_str(), 0755) != 0 && errno != EEXIST)
        return errno;
    if (::stat(p.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

bool createFolderChain(std::string_view path) {
    return makeFolderChain(path) == 0;
}

std::string uniqueSendFileName(std::string_view sendFolder, std::string_view prefix) {
    // One directory listing instead of up to 100,000 look-ups.
    std::string dirPath = sendFolder.empty() ? std::string(".") : std::string(sendFolder);
    std::vector<bool> taken(100000, false);
    if (DIR* dir = ::opendir(dirPath.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            std::string_view n = e->d_name;
            if (n.size() != prefix.size() + 9 || !equalNoCase(n.substr(0, prefix.size()), prefix) ||
                !equalNoCase(n.substr(prefix.size() + 5), ".APF"))
                continue;
            int number = 0;
            bool digits = true;
            for (char c : n.substr(prefix.size(), 5)) {
                digits = digits && c >= '0' && c <= '9';
                number = number * 10 + (c - '0');
            }
            if (digits)
                taken[static_cast<std::size_t>(number)] = true;
        }
        ::closedir(dir);
    }
    int number = 0;
    while (number < 99999 && taken[static_cast<std::size_t>(number)])
        ++number;
    std::string digits = std::to_string(number);
    digits.insert(0, 5 - digits.size(), '0');
    return joinPath(sendFolder, std::string(prefix) + digits + ".APF");
}

bool copyFileInBlocks(const std::string& source, const std::string& target) {
    if (equalNoCase(source, target))
        return false;
    std::error_code ec;
    if (std::filesystem::equivalent(source, target, ec))
        return false;

    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return false;
    Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return false;

    char block[2048];
    bool ok = true;
    for (;;) {
        ssize_t n = readRetry(in.get(), block, sizeof block);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!writeRetry(out.get(), block, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (::close(out.release()) != 0)
        ok = false;
    if (!ok)
        ::unlink(target.c_str());
    return ok;
}

}  // namespace px
