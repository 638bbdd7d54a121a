#include "settings/print_handoff.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "settings/file_names.h"
#include "settings/ini_file.h"

namespace px {

namespace {

std::optional<std::string> environment(const char* name) {
    if (const char* value = std::getenv(name)) {
        return std::string(value);
    }
    return std::nullopt;
}

std::string homeOfThisUser() {
    if (auto home = environment("HOME"); home && !home->empty()) {
        return *home;
    }
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

std::string cleanLine(std::string_view line) {
    std::string out(line);
    for (char& c : out) {
        if (isControl(static_cast<unsigned char>(c))) {
            c = ' ';
        }
    }
    return out;
}

}  // namespace

std::string printDriverConfigFolder(const std::optional<std::string>& xdgConfigHome,
                                    const std::optional<std::string>& home) {
    if (xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/') {
        return joinPath(*xdgConfigHome, "parvex");
    }
    return joinPath(joinPath(home.value_or("/"), ".config"), "parvex");
}

std::string pxpdIniPath() {
    return joinPath(printDriverConfigFolder(environment("XDG_CONFIG_HOME"), homeOfThisUser()),
                    kPrintDriverIniName);
}

std::string pxpdIniPathInHome(std::string_view home) {
    return joinPath(printDriverConfigFolder(std::nullopt, std::string(home)), kPrintDriverIniName);
}

void writePrintDriverLocation(const std::string& iniPath, const PrintDriverLocation& location) {
    IniFile ini = IniFile::load(iniPath);
    ini.writeString(kPrintDriverSection, kPrintDriverOutPathKey, location.outPath);
    ini.writeString(kPrintDriverSection, kPrintDriverExecutableKey, location.executable);
    ini.save(iniPath);
}

std::optional<PrintDriverLocation> readPrintDriverLocation(const std::string& iniPath) {
    if (::access(iniPath.c_str(), F_OK) != 0) {
        return std::nullopt;
    }
    const IniFile ini = IniFile::load(iniPath);
    PrintDriverLocation location;
    location.outPath = ini.readString(kPrintDriverSection, kPrintDriverOutPathKey, "");
    location.executable = ini.readString(kPrintDriverSection, kPrintDriverExecutableKey, "");
    if (location.outPath.empty()) {
        return std::nullopt;
    }
    return location;
}

HandOff parseHandOff(std::string_view text) {
    text = text.substr(0, kMaxHandOffBytes);
    HandOff result;
    std::string* fields[] = {&result.phone, &result.recipient, &result.subject};
    std::size_t pos = 0;
    while (result.lines < 3 && pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        const std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        *fields[result.lines++] = cleanLine(line);
        if (end == std::string_view::npos) {
            break;
        }
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') {
            ++pos;
        }
    }
    return result;
}

std::string formatHandOff(const HandOff& handOff) {
    return cleanLine(handOff.phone) + "\n" + cleanLine(handOff.recipient) + "\n" +
           cleanLine(handOff.subject) + "\n";
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (c == '/' || c == '\\' || isControl(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool hasExtensionNoCase(std::string_view name, std::string_view extension) {
    return name.size() > extension.size() &&
           equalNoCase(name.substr(name.size() - extension.size()), extension);
}

}  // namespace px
