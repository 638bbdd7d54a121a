// Which records a bulk delete of the cleanup window removes. A condition is a
// test of the table's current record. The fixed conditions are xBase
// expressions of our own; the dates and the texts a user types are compared
// as values, so nothing typed ever becomes part of an expression.
#pragma once

#include <functional>
#include <string>

#include "xbase/xb_table.h"

namespace px {

using TDeleteCondition = std::function<bool(const TXbTable& table)>;

// One of the program's own expressions ("ARCHIVED", "EMPTY(DATESENT)", ...),
// compiled against the table's fields.
TDeleteCondition whereExpression(const TXbTable& table, const std::string& expression);

// A date field holding a day before `day`; an empty date never matches, so a
// fax that was never sent is never deleted by date.
TDeleteCondition datedBefore(const std::string& dateField, const TXbDate& day);

// A character field compared with what the user typed: both trimmed and in
// upper case; exact wants them equal, otherwise the value is looked for
// anywhere in the field. An empty value matches nothing.
TDeleteCondition textMatches(const std::string& field, const std::string& value, bool exact);

// The typed value as it is compared: outer blanks removed, letters in upper case.
std::string matchValue(const std::string& typed);

}  // namespace px
