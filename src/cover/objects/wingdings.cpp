#include "cover/objects/wingdings.h"

#include "cover/objects/cover_text_codec.h"

namespace px {

namespace {

// Code, Unicode equivalent (the characters Unicode 7.0 added for this font, or
// the older character of the same picture), and the picture.
constexpr std::array<TWingDingsSymbol, kSymbolCount> kTable = {{
    {0x20, 0x0020, "space"},
    {0x21, 0x1F589, "lower left pencil"},
    {0x22, 0x2702, "black scissors"},
    {0x23, 0x2701, "upper blade scissors"},
    {0x24, 0x1F453, "eyeglasses"},
    {0x25, 0x1F56D, "ringing bell"},
    {0x26, 0x1F56E, "book"},
    {0x27, 0x1F56F, "candle"},
    {0x28, 0x1F57F, "black touchtone telephone"},
    {0x29, 0x2706, "telephone location sign"},
    {0x2A, 0x1F582, "back of envelope"},
    {0x2B, 0x1F583, "stamped envelope"},
    {0x2C, 0x1F4EA, "closed mailbox with lowered flag"},
    {0x2D, 0x1F4EB, "closed mailbox with raised flag"},
    {0x2E, 0x1F4EC, "open mailbox with raised flag"},
    {0x2F, 0x1F4ED, "open mailbox with lowered flag"},
    {0x30, 0x1F5C0, "folder"},
    {0x31, 0x1F5C1, "open folder"},
    {0x32, 0x1F5CE, "document"},
    {0x33, 0x1F5CF, "page"},
    {0x34, 0x1F5D0, "pages"},
    {0x35, 0x1F5C4, "file cabinet"},
    {0x36, 0x231B, "hourglass"},
    {0x37, 0x1F5AE, "wired keyboard"},
    {0x38, 0x1F5B0, "two button mouse"},
    {0x39, 0x1F5B2, "trackball"},
    {0x3A, 0x1F5B3, "old personal computer"},
    {0x3B, 0x1F5B4, "hard disk"},
    {0x3C, 0x1F5AB, "white hard shell floppy disk"},
    {0x3D, 0x1F5AC, "soft shell floppy disk"},
    {0x3E, 0x2707, "tape drive"},
    {0x3F, 0x270D, "writing hand"},
    {0x40, 0x1F58E, "left writing hand"},
    {0x41, 0x270C, "victory hand"},
    {0x42, 0x1F44C, "ok hand sign"},
    {0x43, 0x1F44D, "thumbs up sign"},
    {0x44, 0x1F44E, "thumbs down sign"},
    {0x45, 0x261C, "white left pointing index"},
    {0x46, 0x261E, "white right pointing index"},
    {0x47, 0x261D, "white up pointing index"},
    {0x48, 0x261F, "white down pointing index"},
    {0x49, 0x1F590, "raised hand with fingers splayed"},
    {0x4A, 0x263A, "white smiling face"},
    {0x4B, 0x1F610, "neutral face"},
    {0x4C, 0x2639, "white frowning face"},
    {0x4D, 0x1F4A3, "bomb"},
    {0x4E, 0x2620, "skull and crossbones"},
    {0x4F, 0x1F3F3, "waving white flag"},
    {0x50, 0x1F3F1, "white pennant"},
    {0x51, 0x2708, "airplane"},
    {0x52, 0x263C, "white sun with rays"},
    {0x53, 0x1F4A7, "droplet"},
    {0x54, 0x2744, "snowflake"},
    {0x55, 0x1F546, "white latin cross"},
    {0x56, 0x271E, "shadowed white latin cross"},
    {0x57, 0x1F548, "celtic cross"},
    {0x58, 0x2720, "maltese cross"},
    {0x59, 0x2721, "star of david"},
    {0x5A, 0x262A, "star and crescent"},
    {0x5B, 0x262F, "yin yang"},
    {0x5C, 0x1F549, "om symbol"},
    {0x5D, 0x2638, "wheel of dharma"},
    {0x5E, 0x2648, "aries"},
    {0x5F, 0x2649, "taurus"},
    {0x60, 0x264A, "gemini"},
    {0x61, 0x264B, "cancer"},
    {0x62, 0x264C, "leo"},
    {0x63, 0x264D, "virgo"},
    {0x64, 0x264E, "libra"},
    {0x65, 0x264F, "scorpius"},
    {0x66, 0x2650, "sagittarius"},
    {0x67, 0x2651, "capricorn"},
    {0x68, 0x2652, "aquarius"},
    {0x69, 0x2653, "pisces"},
    {0x6A, 0x1F670, "script ligature et ornament"},
    {0x6B, 0x1F675, "swash ampersand ornament"},
    {0x6C, 0x25CF, "black circle"},
    {0x6D, 0x1F53E, "lower right shadowed white circle"},
    {0x6E, 0x25A0, "black square"},
    {0x6F, 0x25A1, "white square"},
    {0x70, 0x1F790, "bold white square"},
    {0x71, 0x2751, "lower right shadowed white square"},
    {0x72, 0x2752, "upper right shadowed white square"},
    {0x73, 0x2B27, "black medium lozenge"},
    {0x74, 0x29EB, "black lozenge"},
    {0x75, 0x25C6, "black diamond"},
    {0x76, 0x2756, "black diamond minus white x"},
    {0x77, 0x2B25, "black medium diamond"},
    {0x78, 0x2327, "x in a rectangle box"},
    {0x79, 0x2BB9, "up arrowhead in a rectangle box"},
    {0x7A, 0x2318, "place of interest sign"},
    {0x7B, 0x1F3F5, "rosette"},
    {0x7C, 0x1F3F6, "black rosette"},
    {0x7D, 0x1F676, "sans-serif heavy double turned comma quotation mark ornament"},
    {0x7E, 0x1F677, "sans-serif heavy double comma quotation mark ornament"},
    {0x7F, 0x0000, "no picture"},
    {0x80, 0x24EA, "circled digit zero"},
    {0x81, 0x2460, "circled digit one"},
    {0x82, 0x2461, "circled digit two"},
    {0x83, 0x2462, "circled digit three"},
    {0x84, 0x2463, "circled digit four"},
    {0x85, 0x2464, "circled digit five"},
    {0x86, 0x2465, "circled digit six"},
    {0x87, 0x2466, "circled digit seven"},
    {0x88, 0x2467, "circled digit eight"},
    {0x89, 0x2468, "circled digit nine"},
    {0x8A, 0x2469, "circled number ten"},
    {0x8B, 0x24FF, "negative circled digit zero"},
    {0x8C, 0x2776, "dingbat negative circled digit one"},
    {0x8D, 0x2777, "dingbat negative circled digit two"},
    {0x8E, 0x2778, "dingbat negative circled digit three"},
    {0x8F, 0x2779, "dingbat negative circled digit four"},
    {0x90, 0x277A, "dingbat negative circled digit five"},
    {0x91, 0x277B, "dingbat negative circled digit six"},
    {0x92, 0x277C, "dingbat negative circled digit seven"},
    {0x93, 0x277D, "dingbat negative circled digit eight"},
    {0x94, 0x277E, "dingbat negative circled digit nine"},
    {0x95, 0x277F, "dingbat negative circled number ten"},
    {0x96, 0x1F662, "north east pointing bud"},
    {0x97, 0x1F660, "north west pointing bud"},
    {0x98, 0x1F661, "south west pointing bud"},
    {0x99, 0x1F663, "south east pointing bud"},
    {0x9A, 0x1F65E, "heavy north west pointing vine leaf"},
    {0x9B, 0x1F65C, "heavy south west pointing vine leaf"},
    {0x9C, 0x1F65D, "heavy south east pointing vine leaf"},
    {0x9D, 0x1F65F, "heavy north east pointing vine leaf"},
    {0x9E, 0x00B7, "middle dot"},
    {0x9F, 0x2022, "bullet"},
    {0xA0, 0x25AA, "black small square"},
    {0xA1, 0x26AA, "medium white circle"},
    {0xA2, 0x1F786, "bold white circle"},
    {0xA3, 0x1F788, "very heavy white circle"},
    {0xA4, 0x25C9, "fisheye"},
    {0xA5, 0x25CE, "bullseye"},
    {0xA6, 0x1F53F, "upper right shadowed white circle"},
    {0xA7, 0x25AA, "black small square"},
    {0xA8, 0x25FB, "white medium square"},
    {0xA9, 0x1F7C2, "three pointed black star"},
    {0xAA, 0x2726, "black four pointed star"},
    {0xAB, 0x2605, "black star"},
    {0xAC, 0x2736, "six pointed black star"},
    {0xAD, 0x2734, "eight pointed black star"},
    {0xAE, 0x2739, "twelve pointed black star"},
    {0xAF, 0x2735, "eight pointed pinwheel star"},
    {0xB0, 0x2BD0, "square position indicator"},
    {0xB1, 0x2316, "position indicator"},
    {0xB2, 0x27E1, "white concave-sided diamond"},
    {0xB3, 0x2311, "square lozenge"},
    {0xB4, 0x2BD1, "uncertainty sign"},
    {0xB5, 0x272A, "circled white star"},
    {0xB6, 0x2730, "shadowed white star"},
    {0xB7, 0x1F550, "clock face one oclock"},
    {0xB8, 0x1F551, "clock face two oclock"},
    {0xB9, 0x1F552, "clock face three oclock"},
    {0xBA, 0x1F553, "clock face four oclock"},
    {0xBB, 0x1F554, "clock face five oclock"},
    {0xBC, 0x1F555, "clock face six oclock"},
    {0xBD, 0x1F556, "clock face seven oclock"},
    {0xBE, 0x1F557, "clock face eight oclock"},
    {0xBF, 0x1F558, "clock face nine oclock"},
    {0xC0, 0x1F559, "clock face ten oclock"},
    {0xC1, 0x1F55A, "clock face eleven oclock"},
    {0xC2, 0x1F55B, "clock face twelve oclock"},
    {0xC3, 0x2BB0, "ribbon arrow down left"},
    {0xC4, 0x2BB1, "ribbon arrow down right"},
    {0xC5, 0x2BB2, "ribbon arrow up left"},
    {0xC6, 0x2BB3, "ribbon arrow up right"},
    {0xC7, 0x2BB4, "ribbon arrow left up"},
    {0xC8, 0x2BB5, "ribbon arrow right up"},
    {0xC9, 0x2BB6, "ribbon arrow left down"},
    {0xCA, 0x2BB7, "ribbon arrow right down"},
    {0xCB, 0x1F668, "hollow quilt square ornament"},
    {0xCC, 0x1F66A, "solid quilt square ornament"},
    {0xCD, 0x1F669, "hollow quilt square ornament in black square"},
    {0xCE, 0x1F66B, "solid quilt square ornament in black square"},
    {0xCF, 0x1F66C, "leftwards rocket"},
    {0xD0, 0x1F66E, "rightwards rocket"},
    {0xD1, 0x1F66D, "upwards rocket"},
    {0xD2, 0x1F66F, "downwards rocket"},
    // Two square pictures with no character of their own: the nearest shapes.
    {0xD3, 0x29C9, "two joined squares"},
    {0xD4, 0x25A3, "white square containing black small square"},
    {0xD5, 0x232B, "erase to the left"},
    {0xD6, 0x2326, "erase to the right"},
    {0xD7, 0x2B98, "three-d top-lighted leftwards equilateral arrowhead"},
    {0xD8, 0x2B9A, "three-d top-lighted rightwards equilateral arrowhead"},
    {0xD9, 0x2B99, "three-d right-lighted upwards equilateral arrowhead"},
    {0xDA, 0x2B9B, "three-d left-lighted downwards equilateral arrowhead"},
    {0xDB, 0x2B88, "leftwards black circled white arrow"},
    {0xDC, 0x2B8A, "rightwards black circled white arrow"},
    {0xDD, 0x2B89, "upwards black circled white arrow"},
    {0xDE, 0x2B8B, "downwards black circled white arrow"},
    {0xDF, 0x1F868, "wide-headed leftwards barb arrow"},
    {0xE0, 0x1F86A, "wide-headed rightwards barb arrow"},
    {0xE1, 0x1F869, "wide-headed upwards barb arrow"},
    {0xE2, 0x1F86B, "wide-headed downwards barb arrow"},
    {0xE3, 0x1F86C, "wide-headed north west barb arrow"},
    {0xE4, 0x1F86D, "wide-headed north east barb arrow"},
    {0xE5, 0x1F86F, "wide-headed south west barb arrow"},
    {0xE6, 0x1F86E, "wide-headed south east barb arrow"},
    {0xE7, 0x1F878, "wide-headed leftwards heavy barb arrow"},
    {0xE8, 0x1F87A, "wide-headed rightwards heavy barb arrow"},
    {0xE9, 0x1F879, "wide-headed upwards heavy barb arrow"},
    {0xEA, 0x1F87B, "wide-headed downwards heavy barb arrow"},
    {0xEB, 0x1F87C, "wide-headed north west heavy barb arrow"},
    {0xEC, 0x1F87D, "wide-headed north east heavy barb arrow"},
    {0xED, 0x1F87F, "wide-headed south west heavy barb arrow"},
    {0xEE, 0x1F87E, "wide-headed south east heavy barb arrow"},
    {0xEF, 0x21E6, "leftwards white arrow"},
    {0xF0, 0x21E8, "rightwards white arrow"},
    {0xF1, 0x21E7, "upwards white arrow"},
    {0xF2, 0x21E9, "downwards white arrow"},
    {0xF3, 0x2B04, "left right white arrow"},
    {0xF4, 0x21F3, "up down white arrow"},
    {0xF5, 0x2B00, "north east white arrow"},
    {0xF6, 0x2B01, "north west white arrow"},
    {0xF7, 0x2B03, "south west white arrow"},
    {0xF8, 0x2B02, "south east white arrow"},
    {0xF9, 0x1F8AC, "white arrow shaft width one"},
    {0xFA, 0x1F8AD, "white arrow shaft width two thirds"},
    {0xFB, 0x1F5F6, "ballot bold script x"},
    {0xFC, 0x2714, "heavy check mark"},
    {0xFD, 0x1F5F7, "ballot box with bold script x"},
    {0xFE, 0x1F5F9, "ballot box with bold check"},
    // The last picture, a window flag, has no Unicode character; a squared
    // plus is the nearest shape.
    {0xFF, 0x229E, "squared plus"},
}};

constexpr bool tableIsInCodeOrder() {
    for (int i = 0; i < kSymbolCount; ++i) {
        if (kTable[static_cast<std::size_t>(i)].code != kFirstSymbolCode + i) {
            return false;
        }
    }
    return true;
}
static_assert(tableIsInCodeOrder(), "one row per code, 32 to 255 in order");

}  // namespace

const std::array<TWingDingsSymbol, kSymbolCount>& wingDingsTable() {
    return kTable;
}

char32_t wingDingsToUnicode(int code) {
    if (code < kFirstSymbolCode || code > 255) {
        return 0;
    }
    return kTable[static_cast<std::size_t>(code - kFirstSymbolCode)].unicode;
}

bool isWingDingsFont(const QString& family) {
    return family.compare(QLatin1String("WingDings"), Qt::CaseInsensitive) == 0;
}

QString wingDingsText(const QString& caption) {
    QString out;
    for (const QChar c : caption) {
        const char32_t u = wingDingsToUnicode(windows1252Code(c));
        if (u != 0) {
            out.append(QString::fromUcs4(&u, 1));
        }
    }
    return out;
}

}  // namespace px
