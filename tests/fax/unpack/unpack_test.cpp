#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "common/px_exceptions.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/apf/px_fax_error.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/unpack/px_fax_unpacker.h"
#include "support/prerequisite.h"

namespace px {
namespace {

namespace fs = std::filesystem;
using Raster = std::vector<uint8_t>;

struct TestPage {
    uint16_t flags = kApfLengthWords;
    std::vector<Raster> lines;
};

class UnpackTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/px-unpack-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    static Raster line(unsigned width, std::initializer_list<std::pair<unsigned, unsigned>> runs) {
        Raster r(width / 8, 0);
        for (auto [first, count] : runs) {
            rasterSetRun(r.data(), first, count);
        }
        return r;
    }

    std::string writeApf(const std::string& name, const std::vector<TestPage>& pages) {
        const std::string path = file(name);
        TPxApfWriter w;
        EXPECT_EQ(w.create(path), ecOK);
        TPxT4Encoder::Record rec{};
        for (const TestPage& p : pages) {
            EXPECT_EQ(w.beginPage(p.flags), ecOK);
            const unsigned width = (p.flags & kApfWide) != 0 ? kWideWidthPels : kNormalWidthPels;
            for (const Raster& r : p.lines) {
                const size_t n = TPxT4Encoder::codeLine(r.data(), width, 0, false, rec.data());
                if ((p.flags & kApfLengthWords) != 0) {
                    w.writeRecord(rec.data(), n);
                } else {
                    w.writeRaw(rec.data(), n);
                }
            }
            if ((p.flags & kApfLengthWords) != 0) {
                w.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            } else {
                w.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            }
            EXPECT_EQ(w.endPage(), ecOK);
        }
        EXPECT_EQ(w.finish(), ecOK);
        return path;
    }

    static std::vector<uint8_t> readAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const EPxException& e) {
            return e.ErrorCode();
        }
        return 0;
    }

    std::string dir_;
};

TEST_F(UnpackTest, BitmapSizeAspectAndPolarity) {
    TestPage standard;
    standard.lines = {line(1728, {{100, 1}}), line(1728, {}), line(1728, {{0, 3}})};
    TestPage fine = standard;
    fine.flags |= kApfFine;
    TestPage white;
    white.lines = {line(1728, {}), line(1728, {})};
    const auto path = writeApf("a.apf", {standard, fine, white});

    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    EXPECT_EQ(u.numberOfPages(), 3U);
    EXPECT_FALSE(u.firstPageIsFine());
    EXPECT_FALSE(u.firstPageIsWide());

    QImage img = u.unpackPage(1);
    // Rightmost black pel 100 lies in byte 12: 13 bytes, rounded up to 14.
    EXPECT_EQ(img.width(), 112);
    EXPECT_EQ(img.height(), 6);  // standard resolution lines doubled
    EXPECT_EQ(img.format(), QImage::Format_Mono);
    EXPECT_EQ(img.constScanLine(0)[12] & 0x08, 0);  // black pel is a 0 bit
    EXPECT_EQ(img.pixelColor(100, 1), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(99, 1), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(1, 5), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(50, 2), QColor(Qt::white));

    EXPECT_EQ(u.unpackPage(2).height(), 3);
    EXPECT_TRUE(u.unpackPage(3).isNull());

    u.setAutoScaleMode(TAutoScaleMode::asNone);
    EXPECT_EQ(u.unpackPage(1).height(), 3);

    // Halving the width: in the bitmap a pair is black only when both pels
    // are; pels 0..2 black give bitmap pel 0 black and pel 1 white.
    u.setAutoScaleMode(TAutoScaleMode::asHalfWidth);
    img = u.unpackPage(1);
    EXPECT_EQ(img.height(), 3);
    EXPECT_EQ(img.pixelColor(0, 2), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(1, 2), QColor(Qt::white));
    EXPECT_EQ(img.width(), 16);  // pels 100,101 (one white) became white
}

TEST_F(UnpackTest, WhitespaceCompressionAndItsRules) {
    TestPage p;
    p.flags |= kApfFine;
    p.lines.push_back(line(1728, {{0, 8}}));
    for (int i = 0; i < 25; ++i)
        p.lines.push_back(line(1728, {}));
    p.lines.push_back(line(1728, {{0, 8}}));
    for (int i = 0; i < 9; ++i)
        p.lines.push_back(line(1728, {}));
    p.lines.push_back(line(1728, {{0, 8}}));
    for (int i = 0; i < 30; ++i)
        p.lines.push_back(line(1728, {}));  // trailing run
    const auto path = writeApf("w.apf", {p});

    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    EXPECT_EQ(u.unpackPage(1).height(), 3 + 25 + 9 + 30);
    u.setWhitespaceCompression(true);
    u.setWhitespaceFrom(10);
    u.setWhitespaceTo(2);
    EXPECT_EQ(u.unpackPage(1).height(), 3 + 2 + 9 + 2);

    struct Bad {
        unsigned from, to;
    };
    for (Bad b : {Bad{2, 3}, Bad{0, 1}}) {
        u.setWhitespaceFrom(b.from);
        u.setWhitespaceTo(b.to);
        EXPECT_EQ(errorOf([&] { u.unpackPage(1); }), ecBadArgument) << b.from << "/" << b.to;
    }
    u.setWhitespaceFrom(0);
    u.setWhitespaceTo(0);
    EXPECT_EQ(u.unpackPage(1).height(), 3 + 25 + 9 + 30);
}

TEST_F(UnpackTest, ExportsAreByteExact) {
    TestPage p;
    p.flags |= kApfFine;
    p.lines = {line(1728, {{0, 16}}), line(1728, {{8, 1}, {20, 4}})};
    const auto path = writeApf("x.apf", {p});
    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));

    const auto pcx = readAll(u.unpackPageToPcx(1).toStdString());
    ASSERT_GE(pcx.size(), 128U);
    EXPECT_EQ(pcx[0], 10);
    EXPECT_EQ(pcx[1], 2);
    EXPECT_EQ(pcx[2], 1);
    EXPECT_EQ(pcx[3], 1);
    EXPECT_EQ(pcx[8] | (pcx[9] << 8), 31);  // 4 bytes used -> 32 pels
    EXPECT_EQ(pcx[10] | (pcx[11] << 8), 1);
    EXPECT_EQ(pcx[65], 1);
    EXPECT_EQ(pcx[66] | (pcx[67] << 8), 4);
    // Line 1 inverted: 00 00 FF FF -> C2 00 C2 FF; line 2: FF 7F F0 FF.
    const std::vector<uint8_t> lines(pcx.begin() + 128, pcx.end());
    EXPECT_EQ(lines, (std::vector<uint8_t>{0xC2, 0x00, 0xC2, 0xFF, 0xC1, 0xFF, 0x7F, 0xC1, 0xF0,
                                           0xC1, 0xFF}));

    const auto dcx = readAll(u.unpackPageToDcx(1).toStdString());
    ASSERT_EQ(dcx.size(), 4100U + pcx.size());
    EXPECT_EQ(std::vector<uint8_t>(dcx.begin(), dcx.begin() + 8),
              (std::vector<uint8_t>{0xB1, 0x68, 0xDE, 0x3A, 0x04, 0x10, 0x00, 0x00}));
    EXPECT_TRUE(std::equal(pcx.begin(), pcx.end(), dcx.begin() + 4100));

    const QString bmpName = u.unpackPageToBmp(1);
    EXPECT_TRUE(bmpName.endsWith("x.BMP"));
    const auto bmp = readAll(bmpName.toStdString());
    ASSERT_EQ(bmp.size(), 62U + 2 * 4);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[2], 70);
    EXPECT_EQ(bmp[10], 62);
    EXPECT_EQ(bmp[14], 40);
    EXPECT_EQ(bmp[18], 32);
    EXPECT_EQ(bmp[22], 2);
    EXPECT_EQ(bmp[26], 1);
    EXPECT_EQ(bmp[28], 1);
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 62),
              (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
    // Bottom line first.
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 62, bmp.end()),
              (std::vector<uint8_t>{0xFF, 0x7F, 0xF0, 0xFF, 0x00, 0x00, 0xFF, 0xFF}));

    // Qt's own BMP reader sees the same pixels.
    QImage viaQt(bmpName);
    ASSERT_FALSE(viaQt.isNull());
    EXPECT_EQ(viaQt.size(), QSize(32, 2));
    EXPECT_EQ(viaQt.pixelColor(8, 1), QColor(Qt::black));
    EXPECT_EQ(viaQt.pixelColor(9, 1), QColor(Qt::white));
    EXPECT_EQ(viaQt.pixelColor(15, 0), QColor(Qt::black));
    EXPECT_EQ(viaQt.pixelColor(16, 0), QColor(Qt::white));
}

TEST_F(UnpackTest, NetpbmReadsOurExports) {
    PX_REQUIRE(std::system("command -v pcxtoppm >/dev/null && command -v bmptopnm >/dev/null") == 0,
               "netpbm (pcxtoppm, bmptopnm)");
    TestPage p;
    p.flags |= kApfFine;
    for (unsigned y = 0; y < 40; ++y) {
        p.lines.push_back(line(1728, {{y * 3, 5 + y}, {400, y * 2 + 1}}));
    }
    const auto path = writeApf("n.apf", {p});
    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    const QImage reference = u.unpackPage(1);
    for (const QString& name : {u.unpackPageToPcx(1), u.unpackPageToBmp(1)}) {
        const std::string tool = name.endsWith("PCX") ? "pcxtoppm" : "bmptopnm";
        const std::string pbm = file("out.pnm");
        ASSERT_EQ(
            std::system((tool + " " + name.toStdString() + " >" + pbm + " 2>/dev/null").c_str()),
            0);
        QImage theirs(QString::fromStdString(pbm));
        ASSERT_FALSE(theirs.isNull()) << tool;
        ASSERT_EQ(theirs.size(), reference.size()) << tool;
        for (int y = 0; y < reference.height(); ++y) {
            for (int x = 0; x < reference.width(); ++x) {
                ASSERT_EQ(qGray(theirs.pixel(x, y)) < 128, qGray(reference.pixel(x, y)) < 128)
                    << tool << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(UnpackTest, LimitsAndFailures) {
    TestPage tall;
    for (unsigned y = 0; y < 16384; ++y)
        tall.lines.push_back(line(1728, {{y % 1700, 1}}));
    const auto path = writeApf("tall.apf", {tall});
    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    EXPECT_EQ(errorOf([&] { u.unpackPageToBmp(1); }), ecBmpTooBig);  // doubled to 32768 lines
    u.setAutoScaleMode(TAutoScaleMode::asNone);
    EXPECT_EQ(errorOf([&] { u.unpackPageToBmp(1); }), 0);

    // An empty page exports as a zero-sized picture.
    TestPage blank;
    blank.lines = {line(1728, {})};
    u.setInFileName(QString::fromStdString(writeApf("blank.apf", {blank})));
    u.setOutFileName(QString::fromStdString(file("blank.out")));
    const auto bmp = readAll(u.unpackPageToBmp(1).toStdString());
    ASSERT_EQ(bmp.size(), 62U);
    EXPECT_EQ(bmp[18], 0);
    const auto pcx = readAll(u.unpackPageToPcx(1).toStdString());
    EXPECT_EQ(pcx.size(), 128U);

    EXPECT_EQ(errorOf([&] { u.unpackPage(2); }), ecFaxBadFormat);
    u.setInFileName("");
    EXPECT_EQ(errorOf([&] { u.unpackPage(1); }), ecFileNotFound);
    u.setInFileName(QString::fromStdString(file("missing.apf")));
    EXPECT_EQ(errorOf([&] { u.numberOfPages(); }), ecFileNotFound);
}

TEST_F(UnpackTest, PageLineCapBoundsMemory) {
    // Over 65536 coded lines on one page: the bitmap keeps the first 65536.
    std::vector<uint8_t> data;
    TPxT4Encoder::Record rec{};
    const Raster r = line(1728, {{5, 1}});
    const size_t n = TPxT4Encoder::codeLine(r.data(), 1728, 0, false, rec.data());
    const std::string path = file("huge.apf");
    TPxApfWriter w;
    ASSERT_EQ(w.create(path), ecOK);
    ASSERT_EQ(w.beginPage(kApfFine), ecOK);
    for (int i = 0; i < 70000; ++i) {
        w.writeRaw(rec.data(), n);
    }
    w.writeRaw(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
    ASSERT_EQ(w.endPage(), ecOK);
    ASSERT_EQ(w.finish(), ecOK);
    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    EXPECT_EQ(u.unpackPage(1).height(), 65536);
    EXPECT_EQ(u.droppedLines(), 70000U - 65536U);
}

TEST_F(UnpackTest, StatusAbortQuitAndNames) {
    TestPage p;
    p.flags |= kApfFine;
    for (unsigned y = 0; y < 200; ++y)
        p.lines.push_back(line(1728, {{y, 2}}));
    const auto path = writeApf("s.apf", {p});
    TPxFaxUnpacker u;
    u.setInFileName(QString::fromStdString(path));
    EXPECT_EQ(u.outFileName(), QString::fromStdString(file("s")));
    EXPECT_EQ(u.outputName("PCX"), QString::fromStdString(file("s.PCX")));
    u.setOutFileName("/tmp/name.ext");
    EXPECT_EQ(u.outputName("PCX"), "/tmp/name.ext");
    u.setInFileName(QString::fromStdString(path).toUpper());
    EXPECT_EQ(u.outFileName(), "/tmp/name.ext");  // same name but for case: output kept
    u.setInFileName(QString::fromStdString(path));

    uint64_t last = 0;
    int calls = 0;
    u.setOnStatus(
        [&](TPxFaxUnpacker& self, const QString&, unsigned page, uint64_t done, uint64_t total) {
            EXPECT_EQ(page, 1U);
            EXPECT_GE(done, last);
            EXPECT_LE(done, total);
            last = done;
            if (++calls == 50) {
                self.setOptions(self.options() | uoAbort);
            }
        });
    const QImage partial = u.unpackPage(1);
    EXPECT_EQ(calls, 50);
    EXPECT_EQ(partial.height(),
              49);  // records before the abort, the first being the EOL-only start

    u.setOptions(uoYield);
    u.setOnStatus(nullptr);
    int pumped = 0;
    u.setMessagePump([&] { return ++pumped == 3 ? ecGotQuitMsg : ecOK; });
    EXPECT_EQ(errorOf([&] { u.unpackPage(1); }), ecGotQuitMsg);
    u.setOptions(0);
    EXPECT_EQ(u.unpackPage(1).height(), 200);
}

}  // namespace
}  // namespace px
