// The command lines of the parvex-* tools: a command, then positional
// arguments and "--name [value]" options.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace px {

// The command line is not understood; the tool prints its usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool has(const std::string& k) const { return options.count(k) != 0; }
};

// Reads argv after the command (argv[0]); `known` maps each option to whether
// it takes a value.
inline CliArgs parseCliArgs(const std::vector<std::string>& argv,
                            const std::map<std::string, bool>& known) {
    CliArgs args;
    const std::size_t argc = argv.size();
    for (std::size_t i = 1; i < argc; ++i) {
        const std::string& a = argv[i];
        if (a.rfind("--", 0) != 0) {
            args.positional.push_back(a);
            continue;
        }
        const auto it = known.find(a);
        if (it == known.end()) {
            throw UsageError("unknown option " + a);
        }
        if (it->second) {
            if (i + 1 >= argc) {
                throw UsageError("option " + a + " needs a value");
            }
            args.options[a] = argv[++i];
        } else {
            args.options[a] = "";
        }
    }
    return args;
}

}  // namespace px
