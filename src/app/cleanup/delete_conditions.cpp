#include "app/cleanup/delete_conditions.h"

#include <algorithm>
#include <cctype>

namespace px {

namespace {

std::string trimmed(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), isBlank);
    auto end =
        std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), isBlank).base();
    return std::string(begin, end);
}

// UPPER() of the table engine: ASCII letters only, so stored bytes of other
// alphabets compare as they are on both sides.
std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

std::string matchValue(const std::string& typed) {
    return upper(trimmed(typed));
}

TDeleteCondition whereExpression(const TXbTable& table, const std::string& expression) {
    TXbExpression compiled = table.compile(expression);
    return [compiled](const TXbTable& t) { return t.evaluate(compiled).logical; };
}

TDeleteCondition datedBefore(const std::string& dateField, const TXbDate& day) {
    return [dateField, day](const TXbTable& t) {
        const TXbDate date = t.value(dateField).date;
        return !date.empty() && date < day;
    };
}

TDeleteCondition textMatches(const std::string& field, const std::string& value, bool exact) {
    const std::string wanted = matchValue(value);
    if (wanted.empty()) {
        return [](const TXbTable&) { return false; };
    }
    return [field, wanted, exact](const TXbTable& t) {
        const std::string stored = matchValue(t.text(field));
        return exact ? stored == wanted : stored.find(wanted) != std::string::npos;
    };
}

}  // namespace px
