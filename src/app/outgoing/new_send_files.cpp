#include "app/outgoing/new_send_files.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "settings/file_names.h"
#include "settings/program_folder.h"

namespace px {

namespace {

// The bare name of a path in SEND.
std::string bareName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TNewSendFiles::TNewSendFiles(const ProgramFolder& folder) : sendFolder_(folder.sendFolder()) {}

TNewSendFiles::~TNewSendFiles() {
    for (const std::string& name : made_) {
        std::remove(joinPath(sendFolder_, name).c_str());
    }
}

std::string TNewSendFiles::copyIn(const std::string& source, const char* prefix) {
    const std::string name = bareName(uniqueSendFileName(sendFolder_, prefix));
    // With every number taken the last name comes back, and it belongs to
    // another fax.
    return copyAs(source, name) ? name : std::string();
}

bool TNewSendFiles::copyAs(const std::string& source, const std::string& name) {
    if (existsNoCase(sendFolder_, name)) {
        return false;
    }
    const std::string target = joinPath(sendFolder_, name);
    if (!copyFileInBlocks(source, target)) {
        return false;
    }
    made_.push_back(name);
    return true;
}

std::string TNewSendFiles::moveIn(const std::string& path, const char* prefix) {
    std::string result;
    // A hard link is made only when the name is free, so a name taken in the
    // meantime is never overwritten; the next one is tried instead.
    for (int attempt = 0; attempt < 3 && result.empty(); ++attempt) {
        const std::string name = bareName(uniqueSendFileName(sendFolder_, prefix));
        if (existsNoCase(sendFolder_, name)) {
            break;
        }
        if (::link(path.c_str(), joinPath(sendFolder_, name).c_str()) == 0) {
            made_.push_back(name);
            result = name;
        } else if (errno != EEXIST) {
            break;
        }
    }
    std::remove(path.c_str());
    return result;
}

void TNewSendFiles::drop(const std::string& name) {
    const auto it = std::find(made_.begin(), made_.end(), name);
    if (it != made_.end()) {
        std::remove(joinPath(sendFolder_, name).c_str());
        made_.erase(it);
    }
}

}  // namespace px
