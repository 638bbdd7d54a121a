#include "app/report/print_driver_location.h"

#include <cstdlib>

#include "settings/ini_file.h"

namespace px {

namespace {

constexpr const char* kLocationSection = "Location";

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

std::string printDriverSettingsPath(const std::optional<std::string>& xdgConfigHome,
                                    const std::optional<std::string>& home) {
    // The base directory specification ignores a relative XDG_CONFIG_HOME.
    std::string base;
    if (xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/') {
        base = *xdgConfigHome;
    } else {
        base = home.value_or("") + "/.config";
    }
    if (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/parvex/PXPD.INI";
}

std::string printDriverSettingsPath() {
    return printDriverSettingsPath(environment("XDG_CONFIG_HOME"), environment("HOME"));
}

TPrintDriverLocation readPrintDriverLocation(const std::string& path) {
    TPrintDriverLocation location;
    try {
        const IniFile ini = IniFile::load(path);
        location.outPath = ini.value(kLocationSection, "PXOutPath");
        location.executable = ini.value(kLocationSection, "PXExecutable");
    } catch (const IniFileError&) {
        // An unreadable file tells as much as a missing one.
    }
    return location;
}

}  // namespace px
