// The two keys of the print driver's hand-off settings (PXPD.INI) as the
// report shows them: each one on its own, so a missing key reads "not found"
// while the other is still shown.
#pragma once

#include <optional>
#include <string>

namespace px {

struct TPrintDriverLocation {
    std::optional<std::string> outPath;     // [Location] PXOutPath
    std::optional<std::string> executable;  // [Location] PXExecutable
};

// The two keys as the file at `path` holds them; a missing or unreadable file
// or key gives nothing for it.
TPrintDriverLocation readPrintDriverKeys(const std::string& path);

}  // namespace px
