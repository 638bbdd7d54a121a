#include "app/host/fax_files.h"

#include <cstdio>

#include "settings/file_names.h"
#include "settings/program_folder.h"

namespace px {

bool isBareName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name != "." && name != "..";
}

std::string coverCompanionName(const std::string& cover) {
    const auto dot = cover.rfind('.');
    return (dot == std::string::npos ? cover : cover.substr(0, dot)) + ".FCD";
}

void removeSendFile(const ProgramFolder& folder, const std::string& name) {
    if (isBareName(name)) {
        std::remove(resolveNoCase(folder.sendFolder(), name).c_str());
    }
}

void removeReceivedFile(const ProgramFolder& folder, const std::string& name) {
    if (isBareName(name)) {
        std::remove(resolveNoCase(folder.receiveFolder(), name).c_str());
    }
}

}  // namespace px
