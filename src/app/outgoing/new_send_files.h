// The fax files one command puts into SEND. Until the record that names them
// is stored they are provisional: a command that fails half-way removes them,
// so SEND never keeps a file no record knows.
#pragma once

#include <string>
#include <vector>

namespace px {

class ProgramFolder;

class TNewSendFiles {
public:
    explicit TNewSendFiles(const ProgramFolder& folder);
    // Removes every file not kept.
    ~TNewSendFiles();
    TNewSendFiles(const TNewSendFiles&) = delete;
    TNewSendFiles& operator=(const TNewSendFiles&) = delete;

    // Copies `source` to the next free SEND name with `prefix` ("FAX", "COV",
    // "FWD"); the new bare name, or empty when no free name is left or the
    // copy failed.
    std::string copyIn(const std::string& source, const char* prefix);
    // Copies `source` into SEND under the bare `name`, which must be free.
    bool copyAs(const std::string& source, const std::string& name);
    // Gives the finished file `path` the next free SEND name with `prefix`
    // without ever replacing a file; the new bare name, or empty on failure.
    // The file at `path` is gone either way.
    std::string moveIn(const std::string& path, const char* prefix);
    // Removes a file made by this command now.
    void drop(const std::string& name);
    // The record naming the files is stored: they stay.
    void keep() { made_.clear(); }

private:
    std::string sendFolder_;
    std::vector<std::string> made_;
};

}  // namespace px
