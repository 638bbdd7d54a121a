// Readers of what Linux tells about the machine: /etc/os-release,
// /proc/cpuinfo, /proc/meminfo, the locale files, the serial devices in sysfs
// and the programs holding them in /proc. Each takes its root folder or text
// so that tests run them on fake trees.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/report/configuration_facts.h"

namespace px {

// Reads at most `limit` bytes of a small system file; "" when unreadable.
std::string readSystemFile(const std::string& path, std::size_t limit = 65536);

// PRETTY_NAME of os-release text, unquoted; "" when missing.
std::string osPrettyName(std::string_view osRelease);

struct TCpuFacts {
    std::string model;
    int count = 0;
};
TCpuFacts cpuFacts(std::string_view cpuinfo);

// MemTotal, MemAvailable (MemFree on old kernels), SwapTotal and SwapFree;
// nothing when MemTotal is missing.
std::optional<TMemoryFacts> memoryFacts(std::string_view meminfo);

// The LANG of /etc/default/locale or /etc/locale.conf text ("de_DE.UTF-8");
// "" when it sets none.
std::string localeFileLanguage(std::string_view text);

// The driver and, for a USB device, its IDs and strings, from sysfs under
// `sysRoot` ("/sys"). `device` is the node ("/dev/ttyUSB0", or a link to it).
TSerialDeviceFacts serialDeviceFacts(const std::string& sysRoot, const std::string& device);

// Programs under `procRoot` ("/proc"), other than `selfPid`, with one of
// `devices` open (as far as this user may look), and the programs known to
// take serial ports by themselves.
std::vector<TSerialHolder> serialHolders(const std::string& procRoot,
                                         const std::vector<std::string>& devices, int selfPid);

}  // namespace px
