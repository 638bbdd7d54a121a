// Where the print driver finds its hand-off settings (PXPD.INI): per user,
// under $XDG_CONFIG_HOME/parvex, or ~/.config/parvex when that is not set.
#pragma once

#include <optional>
#include <string>

namespace px {

std::string printDriverSettingsPath(const std::optional<std::string>& xdgConfigHome,
                                    const std::optional<std::string>& home);
// The same from this process's environment.
std::string printDriverSettingsPath();

struct TPrintDriverLocation {
    std::optional<std::string> outPath;     // [Location] PXOutPath
    std::optional<std::string> executable;  // [Location] PXExecutable
};

// The two keys as the file at `path` holds them; a missing file or key
// gives nothing for it.
TPrintDriverLocation readPrintDriverLocation(const std::string& path);

}  // namespace px
