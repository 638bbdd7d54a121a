// parvex-fax: send and receive faxes from scripts and servers.
#include <iostream>
#include <string>
#include <vector>

#include "cli/fax/px_fax_cli.h"

int main(int argc, char** argv) {
    return px::faxCliMain(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
