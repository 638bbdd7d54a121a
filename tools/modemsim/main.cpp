// parvex-modemsim: software fax modems on pseudo-terminals with a real T.30
// fax machine at the far end, for trying and testing fax programs without a
// modem or a telephone line.
#include <csignal>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim_options.h"
#include "simulator.h"

// spandsp 0.0.6 allocates the T.31 modem's receive queue in t31_init() and
// never frees it in t31_free(); tell LeakSanitizer builds that this one is
// not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:queue_init\n";
}

namespace {

void onSignal(int /*signal*/) {
    px::Simulator::requestStop();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << px::usageText();
        return 0;
    }
    px::SimOptions options;
    try {
        options = px::parseSimOptions(args);
    } catch (const std::invalid_argument& e) {
        std::cerr << "parvex-modemsim: " << e.what() << "\n" << px::usageText();
        return 2;
    }
    try {
        px::checkFiles(options);
    } catch (const std::exception& e) {
        std::cerr << "parvex-modemsim: " << e.what() << "\n";
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    try {
        px::Simulator simulator(options);
        return simulator.run();
    } catch (const std::exception& e) {
        std::cerr << "parvex-modemsim: " << e.what() << "\n";
        return 2;
    }
}
