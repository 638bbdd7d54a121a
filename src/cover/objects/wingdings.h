// The "WingDings" symbol font of the cover templates, drawn with a Unicode
// symbol font: each character code 32…255 has its picture's Unicode equivalent.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace px {

struct TWingDingsSymbol {
    std::uint8_t code;
    char32_t unicode;  // 0: the code has no picture
    const char* name;
};

inline constexpr int kFirstSymbolCode = 32;
inline constexpr int kSymbolCount = 224;

const std::array<TWingDingsSymbol, kSymbolCount>& wingDingsTable();
// The Unicode equivalent of a code (0 outside 32…255 or without a picture).
char32_t wingDingsToUnicode(int code);
bool isWingDingsFont(const QString& family);
// The text to draw for a caption written in the WingDings font.
QString wingDingsText(const QString& caption);

}  // namespace px
