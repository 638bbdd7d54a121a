// The name under which the program running on a program folder is known: its
// per-user lock file and its local socket both carry it. A later start of the
// program and parvex-settings use it to tell that the program runs.
#pragma once

#include <string>

namespace px {

// "parvex-<uid>-<16 hex digits: a hash of the folder's canonical path>";
// a folder that does not exist yet is taken as written.
std::string instanceName(const std::string& programFolder);

// The per-user runtime folder when the session has one, else the temporary
// folder ($TMPDIR or /tmp; the name carries the user id there).
std::string instanceLockFolder();

// instanceLockFolder() + "/" + instanceName() + ".lock".
std::string instanceLockPath(const std::string& programFolder);

// Whether a live process holds the program folder's lock. The running program
// keeps an exclusive flock on its lock file; a file left behind by a crash
// carries none and does not count.
bool programRunsOn(const std::string& programFolder);

}  // namespace px
