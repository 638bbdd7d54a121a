// parvex-fax: send and receive faxes from scripts and servers.
#include <iostream>
#include <string>
#include <vector>

#include "fax/tool/px_fax_cli.h"

namespace {
const char* kUsage =
    "usage: parvex-fax send --port PATH --to NUMBER FILE... [--cover FILE]\n"
    "                  [--class auto|1|2|2.0] [--rate BPS] [--ecm] [--fine]\n"
    "                  [--station-id ID] [--header TEXT] [--prefix DIGITS]\n"
    "                  [--attempts N] [--retry-wait SECONDS] [--dial-wait SECONDS]\n"
    "                  [--history FILE]\n"
    "       parvex-fax receive --port PATH --dir DIR [--class auto|1|2|2.0]\n"
    "                  [--answer-on-ring N] [--station-id ID] [--rate BPS] [--once]\n"
    "                  [--refuse] [--fax-and-data] [--history FILE]\n"
    "FILE is an APF file or a text file; several are sent as one fax. PATH is a\n"
    "device path or COMn. --history appends to a fax history file (PXFAX.HIS\n"
    "lines); --verbose adds the port's trace and dispatch log on stderr.\n";
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    px::TPxFaxCliOptions options;
    std::string error;
    if (!px::parseFaxCli(args, options, error)) {
        std::cerr << "parvex-fax: " << error << "\n" << kUsage;
        return 2;
    }
    return px::runFaxCli(options, std::cout);
}
