// What the program and its print queue share: the per-user hand-off settings
// file PXPD.INI, which tells the print queue where the SEND folder is and which
// program takes the faxes in, and the hand-off pair NAME.APF + NAME.nqh the
// queue leaves in SEND.
//
// A .nqh file holds three lines: the recipient's fax number, the recipient's
// name and the subject. A file with fewer lines leaves the missing fields
// empty; the user fills them in before sending.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace px {

inline constexpr const char* kPrintDriverIniName = "PXPD.INI";
inline constexpr const char* kPrintDriverSection = "Location";
inline constexpr const char* kPrintDriverOutPathKey = "PXOutPath";
inline constexpr const char* kPrintDriverExecutableKey = "PXExecutable";
inline constexpr const char* kHandOffExtension = ".nqh";

// Longest .nqh file read; the rest of a longer file is ignored.
inline constexpr std::size_t kMaxHandOffBytes = 4096;

// The folder holding PXPD.INI: $XDG_CONFIG_HOME/parvex, or ~/.config/parvex
// when XDG_CONFIG_HOME is unset, empty or relative.
std::string printDriverConfigFolder(const std::optional<std::string>& xdgConfigHome,
                                    const std::optional<std::string>& home);
// PXPD.INI of the user running this process.
std::string pxpdIniPath();
// PXPD.INI of another user, from that user's home folder.
std::string pxpdIniPathInHome(std::string_view home);

struct PrintDriverLocation {
    std::string outPath;     // the SEND folder, ending in "/"
    std::string executable;  // the program that takes the faxes in
};

// Writes both keys, keeping whatever else the file holds; throws IniFileError.
void writePrintDriverLocation(const std::string& iniPath, const PrintDriverLocation& location);
// Both keys; nothing when the file or PXOutPath is missing. Throws IniFileError
// when the file exists but cannot be read.
std::optional<PrintDriverLocation> readPrintDriverLocation(const std::string& iniPath);

struct HandOff {
    std::string phone;      // line 1
    std::string recipient;  // line 2
    std::string subject;    // line 3
    int lines = 0;          // how many of the three lines the file had
};

// Reads the three lines of a .nqh text: lines end in LF, CR LF or CR; a NUL
// or other control character inside a line becomes a blank. Never fails;
// only the first kMaxHandOffBytes bytes are looked at.
HandOff parseHandOff(std::string_view text);
// The text of a .nqh file for the three fields; line breaks inside a field
// become blanks, so the fields always read back in their places.
std::string formatHandOff(const HandOff& handOff);

// Whether `name` is a plain file name fit for SEND: not empty, no folder part
// ("/" or "\"), not "." or "..", no control characters.
bool isPlainFileName(std::string_view name);
// Whether `name` ends in `extension` ("." included), in any letter case.
bool hasExtensionNoCase(std::string_view name, std::string_view extension);

}  // namespace px
