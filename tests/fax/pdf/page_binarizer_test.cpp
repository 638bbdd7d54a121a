// Text stays crisp and pictures keep their tones: the tile classes and what
// each makes of its pels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fax/pdf/px_page_binarizer.h"
#include "fax/t4/px_t4_raster.h"

namespace px {
namespace {

constexpr unsigned kWidth = 256;
constexpr unsigned kHeight = 128;

struct TGreyPage {
    std::vector<std::uint8_t> pels = std::vector<std::uint8_t>(kWidth * kHeight, 255);
    std::uint8_t& at(unsigned x, unsigned y) { return pels[y * kWidth + x]; }
};

bool black(const std::vector<std::uint8_t>& raster, unsigned x) {
    return (raster[x / 8] & (0x80U >> (x % 8))) != 0;
}

// Left half: "text", two-pel strokes with one anti-aliased grey pel on each
// side. Right half: a smooth left-to-right ramp from dark to light.
TGreyPage textAndRamp() {
    TGreyPage page;
    for (unsigned y = 0; y < kHeight; ++y) {
        for (unsigned x = 0; x < kWidth / 2; x += 8) {
            page.at(x, y) = 170;
            page.at(x + 1, y) = 0;
            page.at(x + 2, y) = 0;
            page.at(x + 3, y) = 90;
        }
        for (unsigned x = kWidth / 2; x < kWidth; ++x) {
            page.at(x, y) = static_cast<std::uint8_t>(40 + (x - kWidth / 2) * 180 / (kWidth / 2));
        }
    }
    return page;
}

TEST(PageBinarizer, TextTilesAreThresholdedAndPictureTilesDithered) {
    TGreyPage page = textAndRamp();
    TPageBinarizer b(page.pels.data(), kWidth, kHeight, kWidth);
    const unsigned half = kWidth / 2 / TPageBinarizer::kTile;
    for (unsigned ty = 0; ty < b.tilesDown(); ++ty) {
        for (unsigned tx = 0; tx < b.tilesAcross(); ++tx) {
            EXPECT_EQ(b.pictureTile(tx, ty), tx >= half) << tx << "," << ty;
        }
    }
    std::vector<unsigned> inkPerColumn(kWidth, 0);
    std::vector<std::uint8_t> raster(kWidth / 8 + 2);
    for (unsigned y = 0; y < kHeight; ++y) {
        std::fill(raster.begin(), raster.end(), 0);
        b.nextRow(raster.data(), 8);
        for (unsigned x = 0; x < kWidth; ++x) {
            inkPerColumn[x] += black(raster, x + 8) ? 1 : 0;
        }
        // The pels left of the offset stay paper.
        EXPECT_EQ(raster[0], 0);
    }
    // Text: the stroke and its darker edge pel are ink on every row, the paper
    // and the light edge pel never: no speckle, no broken strokes.
    for (unsigned x = 0; x < kWidth / 2; ++x) {
        const unsigned phase = x % 8;
        const bool ink = phase == 1 || phase == 2 || phase == 3;
        EXPECT_EQ(inkPerColumn[x], ink ? kHeight : 0U) << "column " << x;
    }
    // Picture: the share of ink follows the grey level, band by band.
    for (unsigned band = kWidth / 2; band < kWidth; band += 32) {
        unsigned ink = 0;
        unsigned grey = 0;
        for (unsigned x = band; x < band + 32; ++x) {
            ink += inkPerColumn[x];
            grey += page.at(x, 0);
        }
        const double wanted = 1.0 - grey / 32.0 / 255.0;
        const double got = ink / (32.0 * kHeight);
        EXPECT_NEAR(got, wanted, 0.06) << "band at " << band;
    }
}

TEST(PageBinarizer, AFlatGreyFillIsHalftonedNotTurnedToInkOrPaper) {
    TGreyPage page;
    for (unsigned y = 16; y < 112; ++y) {
        for (unsigned x = 16; x < 240; ++x) {
            page.at(x, y) = 128;
        }
    }
    TPageBinarizer b(page.pels.data(), kWidth, kHeight, kWidth);
    std::vector<std::uint8_t> raster(kWidth / 8);
    unsigned ink = 0;
    for (unsigned y = 0; y < kHeight; ++y) {
        std::fill(raster.begin(), raster.end(), 0);
        b.nextRow(raster.data(), 0);
        for (unsigned x = 0; x < kWidth; ++x) {
            ink += black(raster, x) ? 1 : 0;
        }
    }
    const double share = ink / (224.0 * 96.0);
    EXPECT_NEAR(share, 0.5, 0.05);
}

}  // namespace
}  // namespace px
