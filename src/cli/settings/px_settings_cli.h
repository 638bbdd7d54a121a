// parvex-settings: shows and edits the settings and the program folder from
// the command line, for scripts and machines without a display.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "settings/program_folder.h"

namespace px {

// Runs one command line (without the program name) on the given program
// folder; returns the exit status: 0 done, 1 failed, 2 not understood.
int runSettingsCli(const std::vector<std::string>& args, const ProgramFolder& folder,
                   std::ostream& out, std::ostream& err);

}  // namespace px
