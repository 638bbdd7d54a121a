// Loader of the string tables: resources in the "STR0" layout — the signature,
// a 32-bit row count, per row a 32-bit id, a 32-bit byte offset (from the start
// of the resource) and a 32-bit length in UTF-16 units, then the UTF-16LE texts.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace px {

// Raised by the string manager with a text from "PXSTRMGR_STRINGS".
class EPxStringError : public std::runtime_error {
public:
    EPxStringError(int row, const std::string& message) : std::runtime_error(message), row_(row) {}
    int row() const { return row_; }

private:
    int row_;
};

// Rows of the string manager's own table.
constexpr int smStringNotFound = 1;
constexpr int smCannotLock = 2;
constexpr int smResourceNotFound = 3;
constexpr int smCannotOpen = 4;
constexpr int smInvalidResource = 5;

class TPxStringManager {
public:
    // Parses a resource; raises EPxStringError "Invalid string resource" when
    // the layout is broken (bad signature, rows or texts outside the data).
    explicit TPxStringManager(std::span<const uint8_t> resource);
    // One of the resources built into the program, by name; raises
    // "String resource not found: NAME" for an unknown name.
    static TPxStringManager fromResource(std::string_view name);

    size_t count() const { return rows_.size(); }
    bool has(int id) const { return rows_.count(id) != 0; }
    // The text of a row, or empty when the row does not exist.
    std::string find(int id) const;
    // The text of a row; raises "String not found: ID" when it does not exist.
    std::string getString(int id) const;
    const std::map<int, std::string>& rows() const { return rows_; }

private:
    TPxStringManager() = default;
    std::map<int, std::string> rows_;
};

// A resource built into the program ("PX_ERROR_STRINGS_ENGLISH",
// "PXSTRMGR_STRINGS"); empty when there is none of that name.
std::span<const uint8_t> builtinStringResource(std::string_view name);

// Raises EPxStringError with the string manager's text for `row`, with %d or %s
// filled from the argument.
[[noreturn]] void raiseStringError(int row, const std::string& argument = std::string());

}  // namespace px
