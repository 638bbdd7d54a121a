// Values of the xBase field types and of expression results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace px {

enum class TXbType { Character, Date, Logical, Numeric };

const char* xbTypeName(TXbType type);

// ASCII upper case, as xBase folds field and tag names.
std::string xbUpper(std::string text);

// A calendar date; the blank date (all zero) is the xBase empty date.
struct TXbDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool empty() const { return year == 0; }
    static bool valid(int y, int m, int d);
    // "YYYYMMDD", or eight blanks for the empty date.
    std::string toDtos() const;
    // Parses the stored form; anything that is not a valid date reads as empty.
    static TXbDate fromDtos(std::string_view text);
    // Days since a fixed origin; the empty date is 0 and sorts first.
    std::int64_t dayNumber() const;
    // The inverse of dayNumber(); numbers outside years 1..9999 give the empty date.
    static TXbDate fromDayNumber(std::int64_t number);
    auto operator<=>(const TXbDate&) const = default;
};

struct TXbValue {
    TXbType type = TXbType::Character;
    std::string text;  // Character
    TXbDate date;      // Date
    bool logical = false;
    double number = 0.0;

    static TXbValue character(std::string s) {
        TXbValue v;
        v.text = std::move(s);
        return v;
    }
    static TXbValue ofDate(TXbDate d) {
        TXbValue v;
        v.type = TXbType::Date;
        v.date = d;
        return v;
    }
    static TXbValue ofLogical(bool b) {
        TXbValue v;
        v.type = TXbType::Logical;
        v.logical = b;
        return v;
    }
    static TXbValue ofNumber(double n) {
        TXbValue v;
        v.type = TXbType::Numeric;
        v.number = n;
        return v;
    }
};

}  // namespace px
