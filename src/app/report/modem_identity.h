// Asks the configured modem who it is ("ATI") for the configuration report:
// only when the port is free, and never for longer than a few seconds, so
// the report's window cannot hang on a silent or absent modem.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/report/configuration_facts.h"

namespace px {

class TPxEventLoop;
struct Settings;

// Longest wait for the answer after "ATI", in ticks of 55 ms (about 3 s).
inline constexpr int kIdentityReplyTicks = 55;

// Who is known to hold the configured port before it is tried: receive mode,
// or another program seen with the device open (one that does not lock it
// would otherwise get an "ATI" in the middle of its own talk).
enum class TPortHolder { Nobody, ReceiveMode, AnotherProgram };

// `devicePath` maps the settings' 1-based COM number to its device.
TModemIdentity askModemIdentity(const Settings& settings, TPortHolder holder,
                                const std::function<std::string(int)>& devicePath,
                                TPxEventLoop* loop = nullptr);

// The answer's lines: blank lines, the echoed command and the final "OK" dropped.
std::vector<std::string> identityAnswerLines(const std::string& received);

}  // namespace px
