// Every export of the viewer window reads back, with another program's
// reader, to the page the window shows.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "scripted_viewer_prompts.h"
#include "support/apf_samples.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "ui/viewer/fax_viewer.h"

namespace px {
namespace {

bool blackPel(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) < 128;
}

// Differing pels between the page (reference size) and `got`; pels of `got`
// beyond the reference must be white.
long differences(const QImage& reference, const QImage& got) {
    long diff = 0;
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const bool want =
                x < reference.width() && y < reference.height() && blackPel(reference, x, y);
            diff += want != blackPel(got, x, y) ? 1 : 0;
        }
    }
    return diff;
}

long blackPels(const QImage& img) {
    long n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += blackPel(img, x, y) ? 1 : 0;
        }
    }
    return n;
}

// Runs a netpbm or poppler converter writing to standard output.
QImage convert(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return {};
    }
    return QImage::fromData(p.readAllStandardOutput());
}

QImage readTiffPage1(const std::string& path, uint16_t* yResolution) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) {
        return {};
    }
    uint32_t w = 0;
    uint32_t h = 0;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    float yres = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
    *yResolution = static_cast<uint16_t>(yres + 0.5f);
    QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_Mono);
    img.setColorTable(photometric == PHOTOMETRIC_MINISWHITE
                          ? QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)}
                          : QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif, img.scanLine(static_cast<int>(y)), y) < 0) {
            TIFFClose(tif);
            return {};
        }
    }
    TIFFClose(tif);
    return img;
}

class ViewerExport : public ::testing::Test {
protected:
    void SetUp() override {
        apf = test::ccittApf(dir.path(), 1);
        ASSERT_FALSE(apf.empty()) << "the CCITT test pages in tests/data";
        TPxFaxUnpacker u;
        u.setOptions(0);
        u.setAutoScaleMode(TAutoScaleMode::asNone);
        u.setInFileName(QString::fromStdString(apf));
        page = u.unpackPage(1);
        ASSERT_GT(blackPels(page), 10000);
        window = std::make_unique<TFaxViewer>(dir / "PX.INI", nullptr, &prompts);
        window->setFileName(QString::fromStdString(apf));
        window->show();
        QApplication::processEvents();
    }

    std::string exportAs(TExportFormat format, const char* name) {
        const std::string out = dir / name;
        prompts.fileNames = {QString::fromStdString(out)};
        window->exportPage(format);
        EXPECT_TRUE(prompts.informations.isEmpty())
            << prompts.informations.join("; ").toStdString();
        EXPECT_TRUE(std::filesystem::exists(out)) << out;
        return out;
    }

    static void requireTool(const char* tool) {
        PX_REQUIRE(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
    }

    test::TempDir dir;
    std::string apf;
    QImage page;
    test::TScriptedViewerPrompts prompts;
    std::unique_ptr<TFaxViewer> window;
};

TEST_F(ViewerExport, BmpReadsBackWithNetpbm) {
    requireTool("bmptopnm");
    const std::string bmp = exportAs(TExportFormat::Bmp, "page.BMP");
    EXPECT_EQ(prompts.filters, QStringList{"BMP File (*.BMP *.bmp)"});
    const QImage got = convert("bmptopnm", {QString::fromStdString(bmp)});
    ASSERT_EQ(got.size(), page.size());
    EXPECT_EQ(differences(page, got), 0);
}

TEST_F(ViewerExport, PcxAndDcxReadBackWithNetpbm) {
    requireTool("pcxtoppm");
    const std::string pcx = exportAs(TExportFormat::Pcx, "page.PCX");
    const QImage got = convert("pcxtoppm", {QString::fromStdString(pcx)});
    ASSERT_EQ(got.size(), page.size());
    EXPECT_EQ(differences(page, got), 0);

    // A DCX holds the page as a PCX after its 4100-byte page table.
    const std::string dcx = exportAs(TExportFormat::Dcx, "page.DCX");
    std::vector<uint8_t> bytes = test::readBytes(dcx);
    ASSERT_GT(bytes.size(), 4100U);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24, 0x3ADE68B1U);
    const std::string inner = dir / "inner.pcx";
    test::writeBytes(inner, std::vector<uint8_t>(bytes.begin() + 4100, bytes.end()));
    const QImage fromDcx = convert("pcxtoppm", {QString::fromStdString(inner)});
    ASSERT_EQ(fromDcx.size(), page.size());
    EXPECT_EQ(differences(page, fromDcx), 0);
}

TEST_F(ViewerExport, PngReadsBackWithQImage) {
    const std::string png = exportAs(TExportFormat::Png, "page.png");
    QImage got(QString::fromStdString(png));
    ASSERT_EQ(got.size(), page.size());
    EXPECT_EQ(differences(page, got), 0);
}

TEST_F(ViewerExport, TiffReadsBackWithLibtiffAtFaxResolution) {
    const std::string tiff = exportAs(TExportFormat::Tiff, "fax.tif");
    uint16_t yres = 0;
    const QImage got = readTiffPage1(tiff, &yres);
    ASSERT_FALSE(got.isNull());
    EXPECT_EQ(got.width(), 1728);
    EXPECT_EQ(got.height(), page.height());
    EXPECT_EQ(yres, 196);
    EXPECT_EQ(differences(page, got), 0);
}

TEST_F(ViewerExport, PdfRendersBackAtTheFaxsTrueSize) {
    requireTool("pdftoppm");
    const std::string pdf = exportAs(TExportFormat::Pdf, "fax.pdf");
    // One rendered pel per fax pel: 204 across, 196 down.
    const QImage got = convert("pdftoppm", {"-mono", "-rx", "204", "-ry", "196", "-f", "1", "-l",
                                            "1", QString::fromStdString(pdf)});
    ASSERT_FALSE(got.isNull());
    EXPECT_NEAR(got.width(), 1728, 1);
    EXPECT_NEAR(got.height(), page.height(), 1);
    // Rounding at the page edges may move a pel; the page itself must match.
    EXPECT_LT(differences(page, got), blackPels(page) / 100);
}

TEST_F(ViewerExport, ACancelledSaveDialogWritesNothing) {
    prompts.fileNames.clear();
    window->exportPage(TExportFormat::Bmp);
    EXPECT_EQ(prompts.filters.size(), 1);
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(dir / "ccitt_1.BMP"));
}

}  // namespace
}  // namespace px
