#include "settings/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace px {

namespace {

// 64-bit FNV-1a: a stable short name for a path, nothing to keep secret.
constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

std::string pathHash(std::string_view text) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

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
    return "parvex-" + std::to_string(::getuid()) + "-" + pathHash(key);
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
