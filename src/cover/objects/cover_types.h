// The cover objects' enumerations and the font and pen they carry, stored as
// the design files store them.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace px {

enum class TShapeFillType { sftTransparent, sftFilledWhite, sftFilledBlack };
enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum class TLineStyle { stHorizontal, stVertical, stAngleSlopingUp, stAngleSlopingDown };
enum class TCoverFieldType {
    cfDate,
    cfTime,
    cfRegarding,
    cfRecipient,
    cfRecipientFax,
    cfSender,
    cfSenderCompany,
    cfSenderFax,
    cfSenderVoice
};
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum class TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Font style bits, in the order of the style set's names.
enum TFontStyleBit : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

inline constexpr int kFieldTypeCount = 9;
inline constexpr int kImportanceCount = 5;

// The identifiers of each enumeration, in ordinal order.
inline constexpr std::array<std::string_view, 3> kShapeFillTypeNames = {
    "sftTransparent", "sftFilledWhite", "sftFilledBlack"};
inline constexpr std::array<std::string_view, 6> kShapeTypeNames = {
    "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"};
inline constexpr std::array<std::string_view, 4> kLineStyleNames = {
    "stHorizontal", "stVertical", "stAngleSlopingUp", "stAngleSlopingDown"};
inline constexpr std::array<std::string_view, kFieldTypeCount> kCoverFieldTypeNames = {
    "cfDate",   "cfTime",          "cfRegarding", "cfRecipient",  "cfRecipientFax",
    "cfSender", "cfSenderCompany", "cfSenderFax", "cfSenderVoice"};
inline constexpr std::array<std::string_view, 3> kFontPitchNames = {"fpDefault", "fpVariable",
                                                                    "fpFixed"};
inline constexpr std::array<std::string_view, 16> kPenModeNames = {
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
inline constexpr std::array<std::string_view, 7> kPenStyleNames = {
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
inline constexpr std::array<std::string_view, 4> kFontStyleNames = {"fsBold", "fsItalic",
                                                                    "fsUnderline", "fsStrikeOut"};

// The ordinal of `name` in `names`, if it is one of them.
template <std::size_t N>
std::optional<int> ordinalOf(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// Colours as the files hold them: 0x00BBGGRR.
using TCoverColor = std::int32_t;
inline constexpr TCoverColor clBlack = 0x000000;
inline constexpr TCoverColor clWhite = 0xFFFFFF;

// The design screen's pixels per inch: font heights and render-list positions
// are computed at it.
inline constexpr int kScreenPixelsPerInch = 96;

struct TCoverFont {
    TCoverColor color = clBlack;
    // Negative: the character height in pixels at 96 pixels per inch.
    int height = -13;
    QString name = QStringLiteral("Arial");
    TFontPitch pitch = TFontPitch::fpDefault;
    unsigned style = 0;  // TFontStyleBit

    // Point size from the height, as the screen shows it: −13 → 10.
    int size() const;
    void setSize(int points);
    bool bold() const { return (style & fsBold) != 0; }
    bool italic() const { return (style & fsItalic) != 0; }
    bool underline() const { return (style & fsUnderline) != 0; }

    bool operator==(const TCoverFont&) const = default;
};

struct TCoverPen {
    TCoverColor color = clBlack;
    TPenMode mode = TPenMode::pmCopy;
    TPenStyle style = TPenStyle::psSolid;
    int width = 1;

    bool operator==(const TCoverPen&) const = default;
};

// a × b ÷ c rounded half away from zero, as the screen font sizes are computed.
int mulDiv(int a, int b, int c);

}  // namespace px
