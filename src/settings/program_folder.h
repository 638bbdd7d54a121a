// The program folder: where PX.INI, the logs and the working folders live.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace px {

// The path of the running executable ("" when the system does not say).
std::string currentExecutablePath();

// The program folder could not be created; the message names it and the reason.
class ProgramFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProgramFolder {
public:
    // The folder named by PARVEX_HOME when set; else the executable's folder when
    // a PX.INI lies beside it (a portable install); else ~/.local/share/parvex.
    static ProgramFolder locate(const std::string& executablePath);
    // The same choice from explicit inputs.
    static ProgramFolder locate(const std::string& executablePath,
                                const std::optional<std::string>& parvexHome,
                                const std::optional<std::string>& home);

    explicit ProgramFolder(std::string path);

    // The folder path, always ending in "/".
    const std::string& path() const { return path_; }

    // A file of the program folder, found in any letter case.
    std::string file(const std::string& name) const;
    std::string settingsPath() const { return file("PX.INI"); }

    std::string sendFolder() const;     // "SEND/"
    std::string receiveFolder() const;  // "Receive/"
    std::string coversFolder() const;   // "Covers/"

    // Creates the program folder with its missing parents, as on a first start
    // with ~/.local/share not there yet. Throws ProgramFolderError when it cannot.
    void create() const;

    // Creates the program folder itself and the SEND and Receive folders.
    // Failures are ignored, as at start-up; returns whether all three exist.
    bool createWorkingFolders() const;

private:
    std::string folder(const std::string& name) const;
    std::string path_;
};

}  // namespace px
