// The program: one instance runs per program folder and user; a second start
// brings the first one's window to the front and ends.
#pragma once

#include <optional>

#include "settings/program_folder.h"

namespace px {

class TUserPrompts;

// Finds the program folder and creates it with its missing parents (a first
// start of a new user). When that is impossible, tells why and gives nothing.
std::optional<ProgramFolder> openProgramFolder(TUserPrompts& prompts);

// Runs the program on its command line; returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace px
