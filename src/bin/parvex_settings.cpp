// parvex-settings: the settings and the program folder from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/settings/px_settings_cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const px::ProgramFolder folder = px::ProgramFolder::locate(px::currentExecutablePath());
    return px::runSettingsCli(args, folder, std::cout, std::cerr);
}
