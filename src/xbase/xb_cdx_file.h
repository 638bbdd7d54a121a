// The .CDX companion of a table: the definitions of its index tags.
//
// Keys are not stored: they are rebuilt from the records whenever the table
// opens, so the file can never disagree with the .DBF. The file is a short
// text (one line per tag) closed by a CRC-32 line, written to a temporary
// file and renamed into place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace px {

struct TXbTagDef {
    std::string name;  // upper case
    std::string key;
    std::string forCondition;  // empty = every record
    int option = 0;
    bool descending = false;
};

class TXbCdxFile {
public:
    // Throws EXbError(NotFound) when missing, EXbError(BadFormat) when damaged.
    static std::vector<TXbTagDef> read(const std::string& path);
    static void write(const std::string& path, const std::vector<TXbTagDef>& tags);
    // Whether a text can be stored in a definition line.
    static bool storable(const std::string& text);
};

std::uint32_t xbCrc32(const char* data, std::size_t size);

// Flushes the folder holding path, so that a rename into it survives a power
// cut. Failures are ignored: the data itself is already on the disk.
void xbSyncFolderOf(const std::string& path);

}  // namespace px
