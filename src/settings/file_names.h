// File-name services of the program folder: names stored in the logs and the
// settings are looked up without regard to letter case, the send folder hands
// out numbered file names, and files are copied in fixed blocks.
#pragma once

#include <string>
#include <string_view>

namespace px {

// Joins a folder and a name with exactly one "/" between them.
std::string joinPath(std::string_view folder, std::string_view name);

// Compares two paths or file names without regard to letter case.
bool equalNoCase(std::string_view a, std::string_view b);

// The path of `name` inside `folder`: the entry that exists with that name in
// any letter case (an exact match wins), else folder + "/" + name as given.
std::string resolveNoCase(std::string_view folder, std::string_view name);

// Whether `name` exists in `folder` in any letter case.
bool existsNoCase(std::string_view folder, std::string_view name);

// Creates a folder and its missing parents one level at a time. A path of two
// characters or fewer is never created. Returns whether the folder exists afterwards.
bool createFolderChain(std::string_view path);
// The same, returning 0 when the folder exists afterwards, else the system's
// error number for it (EINVAL for a path too short to create).
int makeFolderChain(std::string_view path);

// The first name prefix + five digits + ".APF" (from 00000 up to 99999) that
// does not exist in the send folder in any letter case; the last one tried
// when all exist. The result is the full path.
std::string uniqueSendFileName(std::string_view sendFolder, std::string_view prefix);

// Copies `source` to `target` byte for byte in blocks of 2048 bytes. Does nothing
// and returns false when both name the same file. A failed copy leaves no partial
// target behind. Returns whether the copy was made.
bool copyFileInBlocks(const std::string& source, const std::string& target);

}  // namespace px
