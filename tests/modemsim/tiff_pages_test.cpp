#include "tiff_pages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <random>

namespace px {
namespace {

FaxPage patternPage(int height, unsigned seed) {
    FaxPage page;
    page.height = height;
    page.bits.assign(static_cast<std::size_t>(page.rowBytes()) * height, 0);
    std::mt19937 random(seed);
    for (int row = 0; row < height; ++row) {
        // Runs of random length, including very long ones that need makeup codes.
        int x = 0;
        bool black = false;
        while (x < page.width) {
            int run = static_cast<int>(random() % (row % 7 == 0 ? 1800 : 40));
            for (int i = x; i < std::min(x + run, page.width); ++i) {
                if (black) {
                    page.bits[static_cast<std::size_t>(row) * page.rowBytes() + i / 8] |=
                        static_cast<uint8_t>(0x80 >> (i % 8));
                }
            }
            x += run;
            black = !black;
        }
    }
    return page;
}

class TiffPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Corrupted pages are expected here; libtiff's complaints are noise.
        TIFFSetWarningHandler(nullptr);
        TIFFSetErrorHandler(nullptr);
    }
};

TEST_F(TiffPagesTest, MhRoundTripKeepsEveryPixelAndRow) {
    for (int height : {1, 2, 57, 400}) {
        FaxPage page = patternPage(height, static_cast<unsigned>(height));
        std::vector<uint8_t> mh = encodeMh(page);
        int bad = -1;
        FaxPage back = decodeMh(mh, page.width, page.fine, &bad);
        EXPECT_EQ(bad, 0);
        EXPECT_EQ(back.height, height);
        EXPECT_TRUE(back == page) << "height " << height;
    }
}

TEST_F(TiffPagesTest, MhDataStartsWithAnEolAndEndsWithRtc) {
    FaxPage page = patternPage(3, 1);
    std::vector<uint8_t> mh = encodeMh(page);
    ASSERT_GE(mh.size(), 10u);
    // EOL 000000000001, first bit in the least significant bit: 00 08 or 00 80...
    // here simply: the first 11 bits are zero.
    EXPECT_EQ(mh[0], 0);
    EXPECT_EQ(mh[1] & 0x07, 0);
    // Six EOLs in a row hold 6 ones in the last 9 octets and nothing else.
    int ones = 0;
    for (std::size_t i = mh.size() - 9; i < mh.size(); ++i) {
        ones += __builtin_popcount(mh[i]);
    }
    EXPECT_EQ(ones, 6);
}

TEST_F(TiffPagesTest, CcittTestPageSurvivesTheMhRoundTrip) {
    const char* data = std::getenv("PARVEX_TESTDATA");
    ASSERT_NE(data, nullptr);
    auto pages = readTiffPages(std::string(data) + "/ccitt/ccitt_1.tif");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 1728);
    FaxPage back = decodeMh(encodeMh(pages[0]), 1728, pages[0].fine, nullptr);
    EXPECT_TRUE(back == pages[0]);
}

TEST_F(TiffPagesTest, ReverseBitsMirrorsEachOctet) {
    std::vector<uint8_t> data = {0x01, 0x80, 0xF0, 0x12, 0x00, 0xFF};
    reverseBits(data);
    EXPECT_EQ(data, (std::vector<uint8_t>{0x80, 0x01, 0x0F, 0x48, 0x00, 0xFF}));
}

TEST_F(TiffPagesTest, WrittenPagesReadBackWithTheirResolution) {
    std::string path = ::testing::TempDir() + "/pages.tif";
    FaxPage a = patternPage(20, 5);
    FaxPage b = patternPage(10, 6);
    b.fine = false;
    writeTiffPages(path, {a, b});
    auto back = readTiffPages(path);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(back[0] == a);
    EXPECT_TRUE(back[1] == b);
}

TEST_F(TiffPagesTest, MutatedMhDataDecodesOrCountsBadRowsInBoundedTime) {
    std::vector<uint8_t> good = encodeMh(patternPage(60, 9));
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> data = good;
        int flips = 1 + static_cast<int>(random() % 20);
        for (int i = 0; i < flips; ++i) {
            data[random() % data.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        if (round % 3 == 0) {
            data.resize(random() % data.size());
        }
        int bad = 0;
        FaxPage page = decodeMh(data, 1728, true, &bad);
        EXPECT_LE(bad, page.height);
        EXPECT_EQ(page.bits.size(), static_cast<std::size_t>(page.rowBytes()) * page.height);
    }
}

TEST_F(TiffPagesTest, MissingFileIsAClearError) {
    EXPECT_THROW(readTiffPages("/nonexistent/page.tif"), std::runtime_error);
}

}  // namespace
}  // namespace px
