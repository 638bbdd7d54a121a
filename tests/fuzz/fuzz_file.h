// Scratch files for the fuzz targets: the readers under test take file
// names, so each input is written to a file of its own process first.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace px::fuzz {

// A folder of this process's own, removed at exit.
inline const std::string& scratchDir() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/parvex-fuzz-XXXXXX";
        const char* made = ::mkdtemp(tmpl);
        std::string path = made != nullptr ? made : "/tmp";
        static std::string toRemove = path;
        std::atexit([] {
            const std::string command = "rm -rf '" + toRemove + "'";
            (void)std::system(command.c_str());
        });
        return path;
    }();
    return dir;
}

inline std::string scratchFile(const std::string& name) {
    return scratchDir() + "/" + name;
}

// Writes `data` as the whole content of `path`.
inline void writeInput(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

}  // namespace px::fuzz
