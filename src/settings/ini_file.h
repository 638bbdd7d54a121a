// An INI-format text file held in memory with its layout.
//
// Section and key names compare without regard to letter case, as on the
// platform the settings format comes from. Every line that was read is kept,
// comments, blank lines and sections the program does not know included, so a
// save never drops what users or other programs put there.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace px {

// A settings file could not be read or written; the message names the file.
class IniFileError : public std::runtime_error {
public:
    IniFileError(const std::string& message, std::string path)
        : std::runtime_error(message), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class IniFile {
public:
    // Longest value a read returns: values were read through a 1024-byte buffer.
    static constexpr std::size_t kMaxValueLength = 1023;

    IniFile() = default;

    // Parses INI text. Never fails: lines that are neither a section header,
    // a key=value pair nor a comment are kept as they stand and otherwise ignored.
    static IniFile parse(std::string_view text);

    // Reads a file; a missing file gives an empty IniFile. Other read errors
    // throw IniFileError naming the file.
    static IniFile load(const std::string& path);

    // Writes the text to a temporary file beside `path`, flushes it to disk and
    // renames it over `path`, so the old file stays intact when anything fails.
    // Throws IniFileError naming the file on failure.
    void save(const std::string& path) const;

    std::string text() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    int readInteger(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    // Replaces the value of the first occurrence of the key, or appends the key
    // at the end of the section (creating the section at the end of the file).
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    bool hasSection(std::string_view section) const;
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;
    void eraseKey(std::string_view section, std::string_view key);
    void eraseSection(std::string_view section);

private:
    struct Line {
        enum class Kind { Other, Section, Entry };
        Kind kind = Kind::Other;
        std::string raw;    // the line as read (Other), or empty once rewritten
        std::string name;   // section name or key
        std::string value;  // entry value
    };

    // Index of the first header line of the section, or npos.
    std::size_t findSection(std::string_view section) const;
    // Index one past the last line belonging to the section starting at `header`.
    std::size_t sectionEnd(std::size_t header) const;
    std::size_t findEntry(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
};

// Parses a settings integer: decimal, or hexadecimal when the text is longer
// than two characters and starts with "0x"/"0X". Surrounding blanks are ignored.
// Returns nothing when the text is not a number that fits an int.
std::optional<int> parseIniInteger(std::string_view text);

}  // namespace px
