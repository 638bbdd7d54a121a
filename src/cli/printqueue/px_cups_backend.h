// The print queue "Parvex Fax": a CUPS backend that turns each job into a fax
// file and its hand-off in the printing user's SEND folder, where the running
// program (or its next start) takes it into the outgoing log.
//
// It runs as root when CUPS starts it so (backend mode 0700): it then takes
// the job user's uid, gid and groups before it touches any of their files.
// Run as an ordinary user it takes only that user's own jobs.
#pragma once

#include <string>
#include <vector>

namespace px {

// The exit codes CUPS reads from a backend.
enum TCupsBackendStatus : int {
    kCupsBackendOk = 0,
    kCupsBackendFailed = 1,
    kCupsBackendCancel = 5,
};

// The URI scheme, which is also the backend's file name in CUPS's backend folder.
inline constexpr const char* kBackendScheme = "parvex";
// Read by the backend, set by the scheduler's configuration: a folder that
// holds the users' home folders, in place of each user's own home (for a
// scheduler run in a sandbox).
inline constexpr const char* kHomesOverride = "PARVEX_PRINT_HOMES";

// argv without the program name: nothing (device discovery), or job-id user
// title copies options [file]. Messages go to stderr as CUPS reads them.
int runCupsBackend(const std::vector<std::string>& args);

}  // namespace px
