// parvex-convert's quick paths: the jobs that need no Qt (text to APF or
// TIFF, APF to TIFF, info) run without loading the toolkit; everything
// else, and every job that fails here, is handed to the full converter,
// which tells the user.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace px {

// Runs the command line (without the program name) when it is a quick job
// and it succeeds; returns its exit status then, or nothing (no file left
// behind) when the full converter has to take it.
std::optional<int> runQuickConvert(const std::vector<std::string>& args);

// Replaces this process by the full converter, the program named
// `fullProgram` beside this one, with the same arguments. Returns only on
// failure, with exit status 1 after a message.
int execFullConverter(const char* fullProgram, char** argv);

}  // namespace px
