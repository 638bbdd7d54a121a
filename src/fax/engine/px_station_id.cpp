#include "fax/engine/px_station_id.h"

#include <array>
#include <cstdint>

#include "common/px_limits.h"

namespace px {

namespace {

constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kLastPrintable = 0x7E;
constexpr char32_t kNoBreakSpace = 0xA0;
constexpr char32_t kFirstLatin1Letter = 0xC0;
constexpr char32_t kLastLatin1Letter = 0xFF;
constexpr char32_t kNoCodePoint = 0xFFFFFFFF;

// ASCII for U+00C0..U+00FF, the accented letters of Latin-1; empty: none.
constexpr std::array<const char*, 64> kLatin1Letters = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
    "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};

// The code point that starts at text[at], advancing `at` past it; kNoCodePoint
// (one byte skipped) for a malformed sequence.
char32_t nextCodePoint(std::string_view text, size_t& at) {
    const auto lead = static_cast<uint8_t>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    int more = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
        cp = lead & 0x07;
    } else {
        return kNoCodePoint;
    }
    size_t end = at + static_cast<size_t>(more);
    if (end > text.size()) {
        return kNoCodePoint;
    }
    for (size_t i = at; i < end; ++i) {
        const auto c = static_cast<uint8_t>(text[i]);
        if ((c & 0xC0) != 0x80) {
            return kNoCodePoint;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    at = end;
    return cp;
}

}  // namespace

std::string sendableStationId(std::string_view text) {
    std::string id;
    for (size_t at = 0; at < text.size() && id.size() < kStationIdLength;) {
        const char32_t cp = nextCodePoint(text, at);
        if (cp >= kFirstPrintable && cp <= kLastPrintable) {
            id += static_cast<char>(cp);
        } else if (cp == kNoBreakSpace) {
            id += ' ';
        } else if (cp >= kFirstLatin1Letter && cp <= kLastLatin1Letter) {
            id += kLatin1Letters[cp - kFirstLatin1Letter];
        }
    }
    if (id.size() > kStationIdLength) {
        id.resize(kStationIdLength);
    }
    return id;
}

std::string quotedStationId(std::string_view id) {
    std::string out = "\"";
    for (char c : sendableStationId(id)) {
        if (c != '"') {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace px
