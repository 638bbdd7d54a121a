// parvex-convert: converts documents to and from APF fax files.
#pragma once

#include <string>
#include <vector>

namespace px {

// Runs one command line (without the program name); returns the exit status:
// 0 done, 1 failed, 2 not understood.
int runConvertCli(const std::vector<std::string>& args);

}  // namespace px
