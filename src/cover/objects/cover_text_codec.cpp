#include "cover/objects/cover_text_codec.h"

#include <array>

namespace px {

namespace {

// 0x80…0x9F; 0 marks the five unassigned codes (kept as the C1 control of the same value).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString fromWindows1252(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) {
            out.append(QChar(kHighControls[b - 0x80]));
        } else {
            out.append(QChar(b));
        }
    }
    return out;
}

int windows1252Code(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return u;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == u || (kHighControls[i] == 0 && u == 0x80 + i)) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

std::string toWindows1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const int code = windows1252Code(c);
        out.push_back(static_cast<char>(code < 0 ? '?' : code));
    }
    return out;
}

}  // namespace px
