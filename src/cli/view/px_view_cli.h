// parvex-view: shows an APF fax file, or a bilevel TIFF fax, in the viewer
// window.
#pragma once

#include <string>
#include <vector>

namespace px {

// Exit statuses.
constexpr int kViewCliDone = 0;
constexpr int kViewCliFailed = 1;  // the file is missing, unreadable or not a fax
constexpr int kViewCliUsage = 2;   // the command line is not understood

// Runs one command line (without the program name); needs a QApplication.
// With PARVEX_QUIT_AFTER_PAINT set the window prints its status line once it
// is shown and closes.
int runViewCli(const std::vector<std::string>& args);

}  // namespace px
