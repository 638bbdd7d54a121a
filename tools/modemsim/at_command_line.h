// Splitting one AT command line into its commands, as a modem's command
// interpreter sees them: "AT E0 V1 S0=0 +FCLASS=2.0;+FLI=\"123\"" gives six.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace px {

struct AtCommand {
    enum class Op { Exec, Set, Query, Test };
    std::string name;  // upper case: "E", "S0", "&F", "D", "+FCLASS"
    Op op = Op::Exec;
    std::string value;  // the number, the argument after '=', or the dial string

    bool operator==(const AtCommand& other) const = default;
};

// Parses the text after the "AT" prefix (or with it). Returns no value when
// the line does not start with "AT" or holds something no modem understands.
std::optional<std::vector<AtCommand>> parseAtLine(const std::string& line);

}  // namespace px
