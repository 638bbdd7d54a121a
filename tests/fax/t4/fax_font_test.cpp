#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fax/t4/px_custom_text_reader.h"
#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_text_reader.h"

namespace px {
namespace {

std::vector<uint8_t> builtInBytes() {
    // Rebuild the resource from the two loaded fonts (undoubled).
    std::vector<uint8_t> out;
    for (size_t bpg : {TPxFaxFont::kSmallBytesPerGlyph, TPxFaxFont::kStandardBytesPerGlyph}) {
        TPxFaxFont f;
        EXPECT_EQ(f.loadBuiltIn(bpg, false), ecOK);
        for (unsigned c = 0; c < 256; ++c) {
            for (unsigned r = 0; r < f.rows(); ++r) {
                const uint8_t* row = f.glyphRow(static_cast<uint8_t>(c), r);
                out.insert(out.end(), row, row + f.bytesPerRow());
            }
        }
    }
    return out;
}

TEST(FaxFont, BuiltInFontsHaveTheirGeometryAndCoverLatin1) {
    TPxFaxFont small;
    TPxFaxFont standard;
    TPxFaxFont fine;
    ASSERT_EQ(TPxFaxFont::loadBuiltIn(TFaxFont::ffSmall, false, small), ecOK);
    ASSERT_EQ(TPxFaxFont::loadBuiltIn(TFaxFont::ffStandard, false, standard), ecOK);
    ASSERT_EQ(TPxFaxFont::loadBuiltIn(TFaxFont::ffStandard, true, fine), ecOK);
    EXPECT_EQ(small.glyphWidth(), 12U);
    EXPECT_EQ(small.rows(), 8U);
    EXPECT_EQ(standard.glyphWidth(), 20U);
    EXPECT_EQ(standard.rows(), 16U);
    EXPECT_EQ(fine.rows(), 32U);
    for (unsigned r = 0; r < 32; ++r) {
        EXPECT_EQ(0, std::memcmp(fine.glyphRow('A', r), standard.glyphRow('A', r / 2), 3));
    }
    // Latin-1 letters are drawn; the unused bits right of the cell stay clear.
    for (unsigned c : {0xC4U, 0xE9U, 0xF1U, 0xDFU}) {
        bool inked = false;
        for (unsigned r = 0; r < 16; ++r) {
            inked = inked || standard.glyphRow(static_cast<uint8_t>(c), r)[0] != 0 ||
                    standard.glyphRow(static_cast<uint8_t>(c), r)[1] != 0;
            EXPECT_EQ(standard.glyphRow(static_cast<uint8_t>(c), r)[2] & 0x0F, 0);
        }
        EXPECT_TRUE(inked) << c;
    }
    // Strokes are at least two pels wide: no black pel stands alone in a row.
    for (unsigned c = 0x21; c <= 0x7E; ++c) {
        for (unsigned r = 0; r < 16; ++r) {
            const uint8_t* row = standard.glyphRow(static_cast<uint8_t>(c), r);
            const uint32_t bits = (uint32_t{row[0]} << 16) | (uint32_t{row[1]} << 8) | row[2];
            const uint32_t lone = bits & ~(bits << 1) & ~(bits >> 1);
            EXPECT_EQ(lone, 0U) << "glyph " << c << " row " << r;
        }
    }
}

TEST(FaxFont, DamagedOrMissingResourceIsError8052) {
    const std::vector<uint8_t> good = builtInBytes();
    ASSERT_EQ(good.size(), 16384U);
    TPxFaxFont f;
    EXPECT_EQ(f.load(good.data(), good.size(), 48, false), ecOK);
    EXPECT_EQ(f.load(nullptr, 0, 48, false), ecFontFileNotFound);
    EXPECT_EQ(f.load(good.data(), good.size() - 1, 48, false), ecFontFileNotFound);
    EXPECT_EQ(f.load(good.data(), good.size(), 32, false), ecFontFileNotFound);
    auto blankA = good;
    std::fill_n(blankA.begin() + 4096 + 'A' * 48, 48, 0);
    EXPECT_EQ(f.load(blankA.data(), blankA.size(), 16, false), ecFontFileNotFound);
    auto inkedSpace = good;
    inkedSpace[' ' * 16] = 0x80;
    EXPECT_EQ(f.load(inkedSpace.data(), inkedSpace.size(), 48, false), ecFontFileNotFound);
    EXPECT_FALSE(f.loaded());
}

TEST(FaxFont, RenderTextRowPlacesGlyphsWithoutSpacing) {
    TPxFaxFont f;
    ASSERT_EQ(f.loadBuiltIn(48, false), ecOK);
    for (unsigned row = 1; row <= 17; ++row) {
        std::vector<uint8_t> raster(16, 0);
        f.renderTextRow("HI", row, raster.data(), raster.size());
        for (unsigned x = 0; x < 40; ++x) {
            const uint8_t* g = f.glyphRow(x < 20 ? 'H' : 'I', std::min(row, 16U) - 1);
            const unsigned gx = x % 20;
            const bool expect = row <= 16 && (g[gx / 8] & (0x80 >> (gx % 8))) != 0;
            EXPECT_EQ((raster[x / 8] & (0x80 >> (x % 8))) != 0, expect)
                << "row " << row << " x " << x;
        }
        for (unsigned b = 5; b < raster.size(); ++b) {
            EXPECT_EQ(raster[b], 0);
        }
    }
    // Pels beyond the raster are dropped, not written past it.
    std::vector<uint8_t> tiny(3, 0);
    f.renderTextRow("WWWW", 8, tiny.data(), tiny.size());
}

TEST(TextReader, TabsAndEncodings) {
    struct Case {
        std::string in;
        unsigned tab;
        std::string out;
    };
    const Case cases[] = {
        {"abc\td", 4, "abc d"},       {"abcd\te", 4, "abcd    e"},   {"\tx", 8, "        x"},
        {"a\tb", 0, "a b"},           {"caf\xC3\xA9", 4, "caf\xE9"},  // UTF-8 to Latin-1
        {"caf\xE9", 4, "caf\xE9"},                                    // already Latin-1
        {"\xE2\x82\xAC 5", 4, "? 5"},                                 // beyond Latin-1
        {"bad \xC3", 4, "bad \xC3"},                                  // not UTF-8: kept
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TPxCustomTextReader::prepareText(c.in, c.tab), c.out) << c.in;
    }
}

TEST(TextReader, DrawTextGivesEveryRowOfOneLineWithoutAFile) {
    struct Case {
        std::string text;
        TFaxFont font;
        bool fine;
        unsigned pageWidth;
        std::string drawn;  // the characters that fit
    };
    const Case cases[] = {
        {"HI", TFaxFont::ffSmall, false, 1728, "HI"},
        {"HI", TFaxFont::ffStandard, true, 1728, "HI"},
        {"a\tb", TFaxFont::ffSmall, false, 1728, "a   b"},
        // 100 pels hold 8 small glyphs: the rest of the line is cut.
        {"0123456789", TFaxFont::ffSmall, false, 100, "01234567"},
    };
    for (const Case& c : cases) {
        TPxTextReader reader;
        ASSERT_EQ(reader.setup(c.font, c.fine, c.pageWidth, 0), ecOK);
        std::vector<std::vector<uint8_t>> rows;
        ASSERT_EQ(reader.drawText(c.text,
                                  [&](const uint8_t* raster, unsigned len) {
                                      ASSERT_LE(len, TPxFaxInputReader::kRasterBytes);
                                      rows.emplace_back(raster, raster + len);
                                  }),
                  ecOK);
        ASSERT_EQ(rows.size(), reader.font().rows()) << c.text;
        const unsigned bytes =
            (static_cast<unsigned>(c.drawn.size()) * reader.font().glyphWidth() + 7) / 8;
        for (unsigned r = 0; r < rows.size(); ++r) {
            std::vector<uint8_t> expect(bytes, 0);
            reader.font().renderTextRow(c.drawn, r + 1, expect.data(), expect.size());
            EXPECT_EQ(rows[r], expect) << c.text << " row " << r + 1;
        }
    }
}

}  // namespace
}  // namespace px
