// Rows of text coded straight from the font, and drawn by it, against the
// long way round: the row drawn pel by pel into a raster, then coded by the
// line coder.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_row_coder.h"

namespace px {
namespace {

// Draws one row pel by pel from the glyph bytes, independent of the font's
// own drawing.
std::vector<uint8_t> drawSlowly(const TPxFaxFont& font, const std::string& text, unsigned row,
                                size_t bytes) {
    std::vector<uint8_t> raster(bytes, 0);
    size_t x = 0;
    for (const char ch : text) {
        const uint8_t* g = font.glyphRow(static_cast<uint8_t>(ch), row - 1);
        for (unsigned i = 0; i < font.glyphWidth(); ++i, ++x) {
            if (x < bytes * 8 && ((g[i / 8] >> (7 - i % 8)) & 1U) != 0) {
                raster[x / 8] = static_cast<uint8_t>(raster[x / 8] | (0x80U >> (x % 8)));
            }
        }
    }
    return raster;
}

std::string randomText(std::mt19937& rng, size_t maxLength) {
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> any(0, 255);
    std::string text(length(rng), ' ');
    for (char& c : text) {
        // Mostly letters and blanks, as in a letter; now and then any code.
        const int p = pick(rng);
        c = static_cast<char>(p < 3 ? ' ' : p < 9 ? 'a' + any(rng) % 26 : any(rng));
    }
    return text;
}

TEST(TextRowCoder, CodesEveryRowAsTheDrawnRasterIsCoded) {
    std::mt19937 rng(17);
    struct Form {
        TFaxFont font;
        bool fine;
        unsigned width;
        unsigned margin;
    };
    // Margins that cut the last glyph anywhere in it, none, and margins as
    // wide as the line or wider.
    const Form forms[] = {
        {TFaxFont::ffStandard, false, 1728, 50}, {TFaxFont::ffStandard, true, 1728, 0},
        {TFaxFont::ffSmall, false, 1728, 13},    {TFaxFont::ffSmall, true, 2048, 7},
        {TFaxFont::ffStandard, false, 2048, 1},  {TFaxFont::ffStandard, false, 1728, 1727},
        {TFaxFont::ffSmall, false, 1728, 1728},  {TFaxFont::ffStandard, false, 1728, 3000}};
    TPxT4Encoder::Record expected{};
    TPxT4Encoder::Record actual{};
    for (const Form& f : forms) {
        TPxFaxFont font;
        ASSERT_EQ(TPxFaxFont::loadBuiltIn(f.font, f.fine, font), ecOK);
        TPxTextRowCoder coder;
        coder.prepare(font);
        for (int n = 0; n < 60; ++n) {
            // Long enough to run past the line's end.
            const std::string text = randomText(rng, f.width / font.glyphWidth() + 4);
            for (unsigned row = 1; row <= font.rows(); ++row) {
                const std::vector<uint8_t> raster = drawSlowly(font, text, row, 4096);
                // The font's own drawing, cut short by a raster end anywhere.
                const size_t cut = 1 + static_cast<size_t>(n) * 7 % 300;
                std::vector<uint8_t> drawn(cut, 0);
                font.renderTextRow(text, row, drawn.data(), cut);
                ASSERT_EQ(drawn, drawSlowly(font, text, row, cut)) << "text \"" << text << "\"";
                const size_t want = TPxT4Encoder::codeLine(raster.data(), f.width, f.margin, false,
                                                           expected.data());
                const size_t got = coder.codeRow(text, row, f.width, f.margin, actual.data());
                ASSERT_EQ(std::vector<uint8_t>(actual.begin(), actual.begin() + got),
                          std::vector<uint8_t>(expected.begin(), expected.begin() + want))
                    << "width " << f.width << " margin " << f.margin << " row " << row << " text \""
                    << text << "\"";
            }
        }
    }
}

TEST(TextRowCoder, RowsSaidToRepeatDrawTheRowAbove) {
    std::mt19937 rng(23);
    for (const bool fine : {false, true}) {
        for (const TFaxFont type : {TFaxFont::ffStandard, TFaxFont::ffSmall}) {
            TPxFaxFont font;
            ASSERT_EQ(TPxFaxFont::loadBuiltIn(type, fine, font), ecOK);
            TPxTextRowCoder coder;
            coder.prepare(font);
            unsigned repeatsSeen = 0;
            for (int n = 0; n < 200; ++n) {
                // Short texts of few letters repeat often; long ones seldom.
                std::string text = randomText(rng, n % 2 == 0 ? 3 : 120);
                const unsigned margin = n % 3 == 0 ? 1700 : 50;
                const uint64_t repeats = coder.repeatedRows(text, 1728, margin);
                EXPECT_EQ(repeats & 1U, 0U);
                // Only the pels within the line count: what lies past it is cut.
                const size_t shown = (1728 - margin) / 8;
                for (unsigned row = 2; row <= font.rows(); ++row) {
                    if (((repeats >> (row - 1)) & 1U) == 0) {
                        continue;
                    }
                    ++repeatsSeen;
                    auto above = drawSlowly(font, text, row - 1, 512);
                    auto here = drawSlowly(font, text, row, 512);
                    ASSERT_TRUE(std::equal(here.begin(), here.begin() + shown, above.begin()))
                        << "row " << row << " text \"" << text << "\"";
                }
            }
            // A fine font draws every row twice: half its rows repeat at least.
            if (fine) {
                EXPECT_GE(repeatsSeen, 200U * font.rows() / 2 - 200);
            }
        }
    }
}

TEST(TextRowCoder, RowsOutsideTheFontAndEmptyTextAreWhiteLines) {
    TPxFaxFont font;
    ASSERT_EQ(TPxFaxFont::loadBuiltIn(TFaxFont::ffStandard, false, font), ecOK);
    TPxTextRowCoder coder;
    coder.prepare(font);
    const std::vector<uint8_t> white(256, 0);
    TPxT4Encoder::Record expected{};
    TPxT4Encoder::Record actual{};
    const size_t want = TPxT4Encoder::codeLine(white.data(), 1728, 50, false, expected.data());
    for (const auto& [text, row] :
         {std::pair<std::string, unsigned>{"", 1}, {"Text", 0}, {"Text", font.rows() + 1}}) {
        const size_t got = coder.codeRow(text, row, 1728, 50, actual.data());
        EXPECT_EQ(std::vector<uint8_t>(actual.begin(), actual.begin() + got),
                  std::vector<uint8_t>(expected.begin(), expected.begin() + want))
            << "row " << row;
    }
}

}  // namespace
}  // namespace px
