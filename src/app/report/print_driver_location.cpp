#include "app/report/print_driver_location.h"

#include "settings/ini_file.h"
#include "settings/print_handoff.h"

namespace px {

TPrintDriverLocation readPrintDriverKeys(const std::string& path) {
    TPrintDriverLocation location;
    try {
        const IniFile ini = IniFile::load(path);
        location.outPath = ini.value(kPrintDriverSection, kPrintDriverOutPathKey);
        location.executable = ini.value(kPrintDriverSection, kPrintDriverExecutableKey);
    } catch (const IniFileError&) {
        // An unreadable file tells as much as a missing one.
    }
    return location;
}

}  // namespace px
