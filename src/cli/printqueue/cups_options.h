// The job options CUPS hands a backend as one string: name=value pairs
// separated by blanks, values optionally in single or double quotes, with
// backslash escapes; a name without a value stands for "true".
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace px {

// Longest options string looked at; the rest is ignored.
inline constexpr std::size_t kMaxCupsOptionsBytes = 65536;

// The options by name; a repeated name keeps its last value. Never fails.
std::map<std::string, std::string> parseCupsOptions(std::string_view text);

}  // namespace px
