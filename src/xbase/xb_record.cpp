#include "xbase/xb_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xbase/xb_error.h"

namespace px {

TXbType TXbField::valueType() const {
    switch (type) {
        case 'D':
            return TXbType::Date;
        case 'L':
            return TXbType::Logical;
        case 'N':
        case 'F':
            return TXbType::Numeric;
        default:
            return TXbType::Character;
    }
}

namespace {

double parseNumber(const char* p, int width) {
    // Stored right-aligned with blanks; a blank or malformed field reads as 0.
    char buf[64];
    int n = 0;
    for (int i = 0; i < width && n < 63; ++i) {
        if (p[i] != ' ' && p[i] != '\0') {
            buf[n++] = p[i];
        }
    }
    buf[n] = '\0';
    if (n == 0) {
        return 0.0;
    }
    char* end = nullptr;
    const double v = std::strtod(buf, &end);
    if (end == buf || *end != '\0' || !std::isfinite(v)) {
        return 0.0;
    }
    return v;
}

[[noreturn]] void refuse(const TXbField& field, const std::string& why) {
    throw EXbError(TXbErrorKind::BadField, "Field " + field.name + ": " + why);
}

}  // namespace

TXbValue xbReadField(const TXbField& field, const char* record) {
    const char* p = record + field.offset;
    switch (field.valueType()) {
        case TXbType::Character: {
            std::string s(p, static_cast<std::size_t>(field.width));
            for (char& c : s) {
                if (c == '\0') {
                    c = ' ';
                }
            }
            return TXbValue::character(std::move(s));
        }
        case TXbType::Date:
            return TXbValue::ofDate(TXbDate::fromDtos(std::string_view(p, 8)));
        case TXbType::Logical:
            return TXbValue::ofLogical(*p == 'T' || *p == 't' || *p == 'Y' || *p == 'y');
        case TXbType::Numeric:
            return TXbValue::ofNumber(parseNumber(p, field.width));
    }
    return {};
}

void xbWriteField(const TXbField& field, char* record, const TXbValue& value) {
    char* p = record + field.offset;
    const auto width = static_cast<std::size_t>(field.width);
    switch (field.valueType()) {
        case TXbType::Character: {
            if (value.type != TXbType::Character) {
                refuse(field, std::string("cannot store a ") + xbTypeName(value.type) +
                                  " value in a character field");
            }
            // Longer texts are cut to the field width, as xBase REPLACE does.
            const std::size_t n = std::min(value.text.size(), width);
            std::memcpy(p, value.text.data(), n);
            std::memset(p + n, ' ', width - n);
            return;
        }
        case TXbType::Date: {
            if (value.type != TXbType::Date) {
                refuse(field, "needs a date value");
            }
            const std::string s = value.date.toDtos();
            std::memcpy(p, s.data(), 8);
            return;
        }
        case TXbType::Logical:
            if (value.type != TXbType::Logical) {
                refuse(field, "needs a logical value");
            }
            *p = value.logical ? 'T' : 'F';
            return;
        case TXbType::Numeric: {
            if (value.type != TXbType::Numeric || !std::isfinite(value.number)) {
                refuse(field, "needs a finite numeric value");
            }
            char buf[400];
            const int n =
                std::snprintf(buf, sizeof buf, "%*.*f", field.width, field.decimals, value.number);
            if (n < 0 || static_cast<std::size_t>(n) > width) {
                refuse(field, "value " + std::string(buf) + " does not fit width " +
                                  std::to_string(field.width));
            }
            std::memcpy(p, buf, width);
            return;
        }
    }
}

}  // namespace px
