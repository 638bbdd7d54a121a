// The fax files of the logs: bare 8.3 names in the SEND and Receive folders,
// found in any letter case, removed with their records.
#pragma once

#include <string>

namespace px {

class ProgramFolder;

// A stored file name is a bare name; anything with a folder in it is not one
// of ours and is never opened or removed.
bool isBareName(const std::string& name);

// The cover's companion file: the same base name with ".FCD".
std::string coverCompanionName(const std::string& cover);

// Remove a fax file of the SEND or the Receive folder; failures are ignored,
// as the record is gone either way.
void removeSendFile(const ProgramFolder& folder, const std::string& name);
void removeReceivedFile(const ProgramFolder& folder, const std::string& name);

}  // namespace px
