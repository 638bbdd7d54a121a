#include "settings/program_folder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "settings/file_names.h"

namespace px {

namespace {

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::optional<std::string> env(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0')
        return std::nullopt;
    return std::string(v);
}

}  // namespace

std::string currentExecutablePath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

ProgramFolder ProgramFolder::locate(const std::string& executablePath) {
    return locate(executablePath, env("PARVEX_HOME"), env("HOME"));
}

ProgramFolder ProgramFolder::locate(const std::string& executablePath,
                                    const std::optional<std::string>& parvexHome,
                                    const std::optional<std::string>& home) {
    if (parvexHome && !parvexHome->empty())
        return ProgramFolder(*parvexHome);
    if (!executablePath.empty()) {
        std::string exeDir = parentOf(executablePath);
        if (existsNoCase(exeDir, "PX.INI"))
            return ProgramFolder(exeDir);
    }
    return ProgramFolder(joinPath(home.value_or("."), ".local/share/parvex"));
}

ProgramFolder::ProgramFolder(std::string path) : path_(std::move(path)) {
    if (path_.empty())
        path_ = ".";
    if (path_.back() != '/')
        path_ += '/';
}

std::string ProgramFolder::file(const std::string& name) const {
    return resolveNoCase(path_, name);
}

std::string ProgramFolder::folder(const std::string& name) const {
    std::string p = resolveNoCase(path_, name);
    if (p.back() != '/')
        p += '/';
    return p;
}

std::string ProgramFolder::sendFolder() const {
    return folder("SEND");
}
std::string ProgramFolder::receiveFolder() const {
    return folder("Receive");
}
std::string ProgramFolder::coversFolder() const {
    return folder("Covers");
}

void ProgramFolder::create() const {
    if (const int error = makeFolderChain(path_); error != 0)
        throw ProgramFolderError("Unable to create the program folder " + path_ + ": " +
                                 std::strerror(error));
}

bool ProgramFolder::createWorkingFolders() const {
    bool ok = createFolderChain(path_);
    ok = createFolderChain(sendFolder()) && ok;
    ok = createFolderChain(receiveFolder()) && ok;
    return ok;
}

}  // namespace px
