// Runs a piece of a test in a child process under a resource limit, so that
// a test can tell "stays within a bound" from "grows with the input" by the
// child's fate instead of by a measurement.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <functional>

namespace px::test {

// True in a build under AddressSanitizer, whose shadow memory makes an
// address-space limit meaningless.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Runs `body` in a child under `resource` set to `limit`; returns the
// child's exit status (body's result, 3 for an escaped exception, 255 for a
// signal).
inline int inChildWithLimit(int resource, rlim_t limit, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past RLIMIT_FSIZE fails instead
        const rlimit lim{limit, limit};
        ::setrlimit(resource, &lim);
        try {
            ::_exit(body());
        } catch (...) {
            ::_exit(3);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// Runs `body` in a child that may map at most `extra` bytes more than the
// process has mapped now. Under AddressSanitizer the child runs without the
// bound (the sanitizer maps terabytes of shadow): the body's results are
// still checked there, the bound in the plain build.
inline int withMemoryBound(size_t extra, const std::function<int()>& body) {
    if (kAddressSanitizer) {
        return inChildWithLimit(RLIMIT_AS, RLIM_INFINITY, body);
    }
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const auto limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    return inChildWithLimit(RLIMIT_AS, limit + extra, body);
}

// Runs `body` in a child whose files may not grow past `limit` bytes.
inline int withFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
    return inChildWithLimit(RLIMIT_FSIZE, limit, body);
}

}  // namespace px::test
