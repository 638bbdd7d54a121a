#include "settings/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "settings/sha1.h"

namespace px {

namespace {

constexpr std::size_t kNameHashDigits = 16;

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v == nullptr ? std::string() : std::string(v);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

std::string instanceName(const std::string& programFolder) {
    std::string key = programFolder;
    if (char* canonical = ::realpath(programFolder.c_str(), nullptr)) {
        key = canonical;
        std::free(canonical);
    }
    return "parvex-" + std::to_string(::getuid()) + "-" + sha1Hex(key).substr(0, kNameHashDigits);
}

std::string instanceLockFolder() {
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && isFolder(runtime))
        return withoutTrailingSlashes(runtime);
    const std::string temp = environment("TMPDIR");
    return temp.empty() ? std::string("/tmp") : withoutTrailingSlashes(temp);
}

std::string instanceLockPath(const std::string& programFolder) {
    return instanceLockFolder() + "/" + instanceName(programFolder) + ".lock";
}

bool programRunsOn(const std::string& programFolder) {
    const int fd = ::open(instanceLockPath(programFolder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result = 0;
    do
        result = ::flock(fd, LOCK_SH | LOCK_NB);
    while (result != 0 && errno == EINTR);
    const bool held = result != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the shared lock just taken
    return held;
}

}  // namespace px
