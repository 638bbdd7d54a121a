#include "xbase/xb_value.h"

#include <cstdio>

namespace px {

const char* xbTypeName(TXbType type) {
    switch (type) {
        case TXbType::Character:
            return "character";
        case TXbType::Date:
            return "date";
        case TXbType::Logical:
            return "logical";
        case TXbType::Numeric:
            return "numeric";
    }
    return "unknown";
}

std::string xbUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool TXbDate::valid(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) {
        return false;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int last = (m == 2 && leap) ? 29 : kDays[m - 1];
    return d <= last;
}

std::string TXbDate::toDtos() const {
    if (empty()) {
        return std::string(8, ' ');
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    return buf;
}

TXbDate TXbDate::fromDtos(std::string_view text) {
    if (text.size() != 8) {
        return {};
    }
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < widths[i]; ++k, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9') {
                return {};
            }
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    if (!valid(parts[0], parts[1], parts[2])) {
        return {};
    }
    return {parts[0], parts[1], parts[2]};
}

std::int64_t TXbDate::dayNumber() const {
    if (empty()) {
        return 0;
    }
    // Days from civil (proleptic Gregorian), shifted so that 0001-01-01 is 1.
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int mp = (month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe - 305;
}

TXbDate TXbDate::fromDayNumber(std::int64_t number) {
    if (number < 1 || number > 3652059) {  // 0001-01-01 .. 9999-12-31
        return {};
    }
    const std::int64_t z = number + 305;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    return {y, m, d};
}

}  // namespace px
