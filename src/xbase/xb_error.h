// The table engine's exception: every failure of the table store surfaces as
// one of these, carrying what went wrong and (where there is one) the file.
#pragma once

#include <stdexcept>
#include <string>

namespace px {

enum class TXbErrorKind {
    Io,             // the operating system refused a read, write, open or rename
    NotFound,       // the table file does not exist
    BadFormat,      // the file is not a table we can read safely
    BadExpression,  // an expression failed to parse or to type-check
    BadField,       // unknown field name or a value that does not fit the field
    BadTag,         // unknown or duplicate tag name
    BadRecord,      // record number out of range or no current record
    Locked,         // the table is in exclusive use elsewhere
    NotOpen,        // the operation needs an open table
};

class EXbError : public std::runtime_error {
public:
    EXbError(TXbErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    TXbErrorKind kind() const { return kind_; }

private:
    TXbErrorKind kind_;
};

}  // namespace px
