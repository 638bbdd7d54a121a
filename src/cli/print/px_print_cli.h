// parvex-print: prints APF fax files on a printer or into a PDF file, without
// a window.
#pragma once

#include <string>
#include <vector>

namespace px {

// Exit statuses.
constexpr int kPrintCliDone = 0;
constexpr int kPrintCliFailed = 1;     // printing started but did not finish
constexpr int kPrintCliNotUsable = 2;  // the command line, file, pages or printer

// Runs one command line (without the program name); needs a Qt application.
int runPrintCli(const std::vector<std::string>& args);

}  // namespace px
