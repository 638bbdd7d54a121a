// Runs the simulator and the DTE programs of the end-to-end tests as child
// processes, with their output in a log file and a bound on their run time.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace px::test {

class ChildProcess {
public:
    // Starts `argv[0]` (searched in PATH) with stdout and stderr in `logPath`.
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Exit status, or -1 when it did not end within `seconds` (it is then
    // killed), or 128 + signal when a signal ended it.
    int wait(double seconds);
    void terminate();

private:
    pid_t pid_ = -1;
};

// A fresh directory under TMPDIR (or /tmp), removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// parvex-modemsim in PARVEX_BIN_DIR, or in the build's bin folder beside the
// folder of the running test binary.
std::string simulatorPath();
bool waitForPath(const std::string& path, double seconds);
std::string readFile(const std::string& path);
bool programAvailable(const std::string& name);

}  // namespace px::test
