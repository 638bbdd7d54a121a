// The program: one instance runs per program folder and user; a second start
// brings the first one's window to the front and ends.
#pragma once

namespace px {

// Runs the program on its command line; returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace px
