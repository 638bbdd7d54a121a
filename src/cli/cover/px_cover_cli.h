// parvex-cover: renders cover templates and lists what they hold.
#pragma once

#include <string>
#include <vector>

namespace px {

// Runs one command line (without the program name); returns the exit status:
// 0 done, 1 failed or not understood.
int runCoverCli(const std::vector<std::string>& args);

}  // namespace px
