#include <gtest/gtest.h>

#include <algorithm>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "convert_test_support.h"
#include "fax/convert/px_bitmap_reader.h"
#include "fax/convert/px_fax_converter.h"
#include "fax/t4/px_fax_font.h"

// fontconfig keeps its configuration for the life of the process and frees
// it only on FcFini, which Qt does not call; that is no leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace px {
namespace {

using test::Page;
using test::TempDir;

std::string lines(int n, const std::string& text = "line") {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text + std::to_string(i) + "\r\n";
    }
    return out;
}

std::vector<size_t> pageLineCounts(const std::string& path) {
    std::vector<size_t> counts;
    for (const Page& p : test::readPages(path)) {
        counts.push_back(p.size());
    }
    return counts;
}

std::vector<size_t> convertText(const TempDir& dir, const std::string& content,
                                unsigned linesPerPage = 60) {
    dir.write("doc.txt", content);
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("doc.txt")));
    c.setLinesPerPage(linesPerPage);
    c.convert();
    return pageLineCounts(dir.file("doc.APF"));
}

TEST(Converter, TextPagingRules) {
    TempDir dir;
    using V = std::vector<size_t>;
    struct Case {
        const char* name;
        std::string text;
        unsigned perPage;
        V pages;  // raster lines per page (16 per text line in the standard font)
    };
    const Case cases[] = {
        {"exactly LinesPerPage lines: one page", lines(60), 60, V{960}},
        {"one more line opens a second page", lines(61), 60, V{960, 16}},
        {"empty file: one page, one blank line", "", 60, V{1}},
        {"form feed ends the page; the rest starts the next", "a\r\nb\fc\r\nd\r\n", 60, V{32, 32}},
        {"form feed at the very end adds no page", "a\r\n\f", 60, V{16}},
        {"a form feed alone", "\f", 60, V{1}},
        {"no limit", lines(100), 0, V{1600}},
        {"CR, LF and CR LF all end lines", "a\rb\nc\r\nd", 60, V{64}},
        {"Ctrl-Z ends the data", "a\r\nb\r\n\x1A", 60, V{32}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convertText(dir, c.text, c.perPage), c.pages) << c.name;
    }
}

TEST(Converter, TextIsDrawnWithTheFontAtTheMarginAndCut) {
    TempDir dir;
    dir.write("a.txt", std::string(100, 'W') + "\r\nA\r\n");
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("a.txt")));
    c.setStationId("ABC");
    c.convert();
    const auto pages = test::readPages(dir.file("a.APF"));
    ASSERT_EQ(pages.size(), 1U);
    ASSERT_EQ(pages[0].size(), 32U);
    // 84 characters of 20 pels after a margin of 50.
    const Page first(pages[0].begin(), pages[0].begin() + 16);
    const auto [lo, hi] = test::blackExtent(first);
    EXPECT_GE(lo, 50);
    EXPECT_LT(hi, 50 + 84 * 20);
    EXPECT_GT(hi, 50 + 83 * 20);

    TPxFaxFont font;
    ASSERT_EQ(TPxFaxFont::loadBuiltIn(TFaxFont::ffStandard, false, font), ecOK);
    for (unsigned r = 0; r < 16; ++r) {
        for (unsigned x = 0; x < 20; ++x) {
            const bool glyph = (font.glyphRow('A', r)[x / 8] & (0x80 >> (x % 8))) != 0;
            EXPECT_EQ(test::pel(pages[0][16 + r], 50 + x), glyph) << r << "," << x;
        }
    }

    TPxApfReader reader;
    ASSERT_EQ(reader.open(dir.file("a.APF")), ecOK);
    EXPECT_EQ(reader.header().senderIdLength, 3);
    EXPECT_EQ(reader.header().senderText(), "ABC");
    ApfPageInfo info;
    ASSERT_EQ(reader.findPage(1, info), ecOK);
    EXPECT_EQ(info.header.flags, kApfLengthWords);
}

TEST(Converter, FineWideSmallFontAndTopMargin) {
    TempDir dir;
    dir.write("t.txt", "Hello\r\n");
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("t.txt")));
    c.setResolution(TFaxResolution::frHigh);
    c.setWidth(TFaxWidth::fwWide);
    c.setFontType(TFaxFont::ffSmall);
    c.setTopMargin(5);
    c.convert();
    TPxApfReader reader;
    ASSERT_EQ(reader.open(dir.file("t.APF")), ecOK);
    ApfPageInfo info;
    ASSERT_EQ(reader.findPage(1, info), ecOK);
    EXPECT_EQ(info.header.flags, kApfLengthWords | kApfFine | kApfWide);
    // The top margin's 5 white lines are 2048 pels wide like the page's
    // other lines (a 1728-pel line would be dropped on a wide page); the
    // text line gives 16 rows (8 doubled).
    const auto pages = test::readPages(dir.file("t.APF"));
    ASSERT_EQ(pages.size(), 1U);
    ASSERT_EQ(pages[0].size(), 21U);
    for (size_t y = 0; y < pages[0].size(); ++y) {
        EXPECT_EQ(pages[0][y].size(), 256U) << "line " << y;
        if (y < 5) {
            EXPECT_EQ(std::count(pages[0][y].begin(), pages[0][y].end(), 0), 256) << "line " << y;
        }
    }
    EXPECT_EQ(info.header.imageLength % 2, 0U);
}

QImage solid(int w, int h, QColor colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

TEST(Converter, BitmapPlacementDoubleWidthCentringHalfHeight) {
    TempDir dir;
    struct Case {
        const char* name;
        int width;
        unsigned options;
        TFaxResolution res;
        int lo, hi;  // black extent expected
        size_t lines;
    };
    const Case cases[] = {
        // 800 pels doubled (1600 <= 1678), centred by (1728 - 1600) / 32 = 4 bytes.
        {"800 doubled", 800, coDoubleWidth | coCenterImage, TFaxResolution::frNormal, 50 + 64,
         50 + 64 + 1600 - 1, 4},
        // 840 pels not doubled; centred by (1728 - 840) / 16 = 55 bytes.
        {"840 not doubled", 840, coDoubleWidth | coCenterImage, TFaxResolution::frNormal, 50 + 440,
         50 + 440 + 839, 4},
        {"no doubling at fine resolution", 800, coDoubleWidth, TFaxResolution::frHigh, 50, 849, 4},
        {"half height keeps lines 1 and 3", 1000, coHalfHeight, TFaxResolution::frNormal, 50, 1049,
         2},
    };
    for (const Case& c : cases) {
        TPxFaxConverter conv;
        conv.setOptions(c.options);
        conv.setResolution(c.res);
        conv.setOutFileName(QString::fromStdString(dir.file("pic")));
        conv.convertBitmapToFile(solid(c.width, 4, Qt::black));
        EXPECT_EQ(conv.inputDocumentType(), TFaxInputDocumentType::idNone) << c.name;
        const auto pages = test::readPages(dir.file("pic.APF"));
        ASSERT_EQ(pages.size(), 1U) << c.name;
        EXPECT_EQ(pages[0].size(), c.lines) << c.name;
        const auto [lo, hi] = test::blackExtent(pages[0]);
        EXPECT_EQ(lo, c.lo) << c.name;
        EXPECT_EQ(hi, c.hi) << c.name;
    }
}

TEST(Converter, OneBitPicturesAreCopiedWithWhitePadding) {
    TempDir dir;
    QImage mono(13, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // index 1 black
    mono.fill(0);
    mono.setPixel(0, 0, 1);
    mono.setPixel(12, 1, 1);
    // Garbage in the padding bits of row 0 must not print.
    mono.scanLine(0)[1] |= 0x07;
    TPxFaxConverter conv;
    conv.setOptions(0);
    conv.setResolution(TFaxResolution::frHigh);
    conv.setLeftMargin(0);
    conv.setOutFileName(QString::fromStdString(dir.file("m.apf")));
    conv.convertBitmapToFile(mono);
    auto pages = test::readPages(dir.file("m.apf"));
    ASSERT_EQ(pages.size(), 1U);
    ASSERT_EQ(pages[0].size(), 2U);
    EXPECT_TRUE(test::pel(pages[0][0], 0));
    EXPECT_EQ(test::blackExtent({pages[0][0]}).second, 0);
    EXPECT_EQ(test::blackExtent({pages[0][1]}), (std::pair<int, int>{12, 12}));

    // The same picture with the opposite palette gives the same page.
    QImage inverted = mono;
    inverted.invertPixels();
    inverted.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    conv.convertBitmapToFile(inverted);
    pages = test::readPages(dir.file("m.apf"));
    EXPECT_TRUE(test::pel(pages[0][0], 0));
    EXPECT_EQ(test::blackExtent({pages[0][1]}), (std::pair<int, int>{12, 12}));
}

TEST(Converter, OrderedDitherThresholds) {
    // White never prints; grey (100,100,100) prints exactly where the
    // threshold exceeds 300; black prints wherever the threshold is above 0.
    TempDir dir;
    for (QColor colour : {QColor(255, 255, 255), QColor(100, 100, 100), QColor(0, 0, 0)}) {
        TPxFaxConverter conv;
        conv.setOptions(0);
        conv.setLeftMargin(0);
        conv.setResolution(TFaxResolution::frHigh);
        conv.setOutFileName(QString::fromStdString(dir.file("d.apf")));
        conv.convertBitmapToFile(solid(64, 32, colour));
        const auto pages = test::readPages(dir.file("d.apf"));
        ASSERT_EQ(pages.size(), 1U);
        ASSERT_EQ(pages[0].size(), 32U);
        const int sum = colour.red() + colour.green() + colour.blue();
        for (unsigned y = 0; y < 32; ++y) {
            for (unsigned x = 0; x < 64; ++x) {
                const bool expect =
                    sum < static_cast<int>(TPxBitmapReader::ditherThreshold(x % 32, y % 32));
                ASSERT_EQ(test::pel(pages[0][y], x), expect) << sum << " at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(TPxBitmapReader::ditherThreshold(0, 0), 0U);
}

TEST(Converter, FailuresLeaveNoFileBehind) {
    TempDir dir;
    dir.write("doc.txt", lines(200));
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("doc")));  // TXT added
    EXPECT_EQ(c.outFileName(), QString::fromStdString(dir.file("doc.APF")));
    EXPECT_EQ(c.inputFileName(),
              QString::fromStdString(dir.file("doc.txt")));  // found ignoring case
    int calls = 0;
    bool sawEnding = false;
    c.setOnStatus([&](TPxFaxConverter&, bool, bool ending, unsigned, unsigned, uint64_t, uint64_t,
                      bool& abort) {
        sawEnding = sawEnding || ending;
        abort = ++calls == 100;
    });
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecConvertAbort);
    EXPECT_TRUE(sawEnding);
    EXPECT_FALSE(std::filesystem::exists(dir.file("doc.APF")));

    c.setOnStatus(nullptr);
    c.setOptions(coYield | coYieldOften);
    EXPECT_EQ(c.options(), unsigned{coYield | coYieldOften});
    c.setOptions(coYieldOften);
    EXPECT_EQ(c.options(), unsigned{coYield | coYieldOften});
    int pumps = 0;
    c.setMessagePump([&] { return ++pumps == 5 ? ecGotQuitMsg : ecOK; });
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecGotQuitMsg);
    EXPECT_FALSE(std::filesystem::exists(dir.file("doc.APF")));

    c.setMessagePump(nullptr);
    c.setDocumentFile(QString::fromStdString(dir.file("missing.txt")));
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecFileNotFound);
    c.setInputDocumentType(TFaxInputDocumentType::idNone);
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecBadArgument);
    EXPECT_EQ(test::errorOf([&] { c.convertBitmapToFile(QImage()); }), ecBadArgument);
    dir.write("junk.bmp", "not a picture");
    c.setInputDocumentType(TFaxInputDocumentType::idBmp);
    c.setDocumentFile(QString::fromStdString(dir.file("junk.bmp")));
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecBadGraphicsFormat);
    c.setOutFileName(QString::fromStdString(dir.file("no/such/dir/x.apf")));
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("doc.txt")));
    c.setOutFileName(QString::fromStdString(dir.file("no/such/dir/x.apf")));
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecFileNotFound);
}

TEST(Converter, MorePagesThanAFaxFileHoldsFailLeavingNoFile) {
    TempDir dir;
    // 64 KiB of form feeds: 65,536 pages, one more than the page count holds.
    dir.write("feeds.txt", std::string(65536, '\f'));
    TPxFaxConverter c;
    c.setMessagePump(nullptr);
    c.setOptions(0);
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setDocumentFile(QString::fromStdString(dir.file("feeds.txt")));
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecTooManyPages);
    EXPECT_FALSE(std::filesystem::exists(dir.file("feeds.APF")));
    // One form feed fewer fits.
    dir.write("feeds.txt", std::string(65535, '\f'));
    c.convert();
    TPxApfReader reader;
    ASSERT_EQ(reader.open(dir.file("feeds.APF")), ecOK);
    EXPECT_EQ(reader.pageCount(), 65535);
}

TEST(Converter, EnhancedTextWithASystemFont) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
            ? nullptr
            : new QGuiApplication(argc, argv);
    (void)app;
    TempDir dir;
    dir.write("e.txt", "Hello world\r\n\tTabbed\r\n");
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idTextEx);
    c.setDocumentFile(QString::fromStdString(dir.file("e.txt")));
    QFont font("DejaVu Sans");
    font.setPointSize(12);
    c.setEnhFont(font);
    c.convert();
    auto pages = test::readPages(dir.file("e.APF"));
    ASSERT_EQ(pages.size(), 1U);
    EXPECT_GT(pages[0].size(), 20U);
    const auto [lo, hi] = test::blackExtent(pages[0]);
    EXPECT_GE(lo, 50);
    EXPECT_GT(hi, lo + 100);

    font.setPointSize(400);
    c.setEnhFont(font);
    EXPECT_EQ(test::errorOf([&] { c.convert(); }), ecEnhFontTooBig);
}

}  // namespace
}  // namespace px
