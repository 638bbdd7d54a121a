// PDF and PostScript into APF: pages fitted to the fax line at both
// resolutions, the text readable by OCR off the fax page, and every refusal
// leaving nothing behind.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fax/apf/px_apf_reader.h"
#include "fax/convert/px_document_kind.h"
#include "fax/pdf/px_pdf_import.h"
#include "fax/pdf/px_postscript_import.h"
#include "pdf_samples.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;
using test::folderFiles;
using test::runConvert;
using test::shellQuote;

class PdfImport : public ::testing::Test {
protected:
    test::TempDir dir;

    // The page as coded, one pel per fax pel, through parvex-convert.
    QImage faxPage(const std::string& apf, int page) {
        const std::string png = dir / ("page" + std::to_string(page) + ".png");
        int status = -1;
        const std::string out = runConvert("from-apf " + shellQuote(apf) + " " + shellQuote(png) +
                                               " --page " + std::to_string(page),
                                           &status);
        EXPECT_EQ(status, 0) << out;
        QImage image(QString::fromStdString(png));
        fs::remove(png);
        return image;
    }

    // Ink pels in a band of rows, as a share of the band.
    static double inkShare(const QImage& page, int top, int bottom) {
        const QImage mono = page.convertToFormat(QImage::Format_Grayscale8);
        long ink = 0;
        for (int y = top; y < bottom; ++y) {
            const uchar* row = mono.constScanLine(y);
            ink += std::count_if(row, row + mono.width(), [](uchar v) { return v < 128; });
        }
        return double(ink) / (double(bottom - top) * mono.width());
    }
};

TEST_F(PdfImport, DocumentsAreKnownByTheirContent) {
    test::writeBytes(dir / "letter.txt", "%PDF-1.7\n...");
    test::writeBytes(dir / "junk-first.bin", std::string(100, ' ') + "%PDF-1.4\n");
    test::writeBytes(dir / "job.pdf", "%!PS-Adobe-3.0\n");
    test::writeBytes(dir / "notes.pdf", "Dear Ada,\n");
    std::string dosEps = "\xC5\xD0\xD3\xC6";
    dosEps += std::string("\x20\x00\x00\x00", 4) + std::string(24, '\0') + "%!PS-Adobe-3.0 EPSF";
    test::writeBytes(dir / "figure.eps", dosEps);
    // A DOS EPS header pointing past the bytes read at first.
    std::string farEps = "\xC5\xD0\xD3\xC6";
    farEps += std::string("\x00\x20\x00\x00", 4) + std::string(8192 - 8, '\x01') + "%!PS-Adobe";
    test::writeBytes(dir / "far.eps", farEps);
    const std::pair<const char*, TDocumentKind> cases[] = {
        {"letter.txt", TDocumentKind::dkPdf},        {"junk-first.bin", TDocumentKind::dkPdf},
        {"job.pdf", TDocumentKind::dkPostScript},    {"notes.pdf", TDocumentKind::dkText},
        {"figure.eps", TDocumentKind::dkPostScript}, {"far.eps", TDocumentKind::dkPostScript},
    };
    for (const auto& [name, expected] : cases) {
        TDocumentKind kind = TDocumentKind::dkOther;
        ASSERT_EQ(recogniseDocument(dir / name, kind), ecOK) << name;
        EXPECT_EQ(kind, expected) << name << ": " << documentKindName(kind);
    }
    TDocumentKind kind = TDocumentKind::dkOther;
    EXPECT_EQ(recogniseDocument(dir / "absent.pdf", kind), ecFileNotFound);
}

TEST_F(PdfImport, APageFillsTheFaxLineAtBothResolutions) {
    const std::string pdf = dir / "a4.pdf";
    test::writeSamplePdf(pdf, 2);
    for (const bool fine : {true, false}) {
        const std::string apf = dir / (fine ? "fine.apf" : "standard.apf");
        PdfImportOptions options;
        options.fine = fine;
        options.stationId = "PARVEX TEST";
        std::string message;
        ASSERT_EQ(importPdfToApf(pdf, apf, options, &message), ecOK) << message;
        TPxApfReader reader;
        ASSERT_EQ(reader.open(apf), ecOK);
        EXPECT_EQ(reader.pageCount(), 2);
        EXPECT_EQ(reader.header().senderText(), "PARVEX TEST");
        ApfPageInfo info;
        ASSERT_EQ(reader.findPage(1, info), ecOK);
        EXPECT_EQ(info.header.fine(), fine);
        reader.close();
        // A4 is 297 mm long: 2339 lines at 196 per inch, half that at 98.
        const QImage page = faxPage(apf, 1);
        EXPECT_EQ(page.width(), 1728);
        EXPECT_NEAR(page.height(), fine ? 2292 : 1146, 3);
        // A4 at 204 dpi is 1686 pels wide: centred, with 21 pels of paper each side.
        const double top = fine ? 1.0 : 0.5;
        EXPECT_GT(inkShare(page, int(900 * 196 / 300 * top), int(2100 * 196 / 300 * top)), 0.2);
        EXPECT_EQ(inkShare(page.copy(0, 0, 20, page.height()), 0, page.height()), 0.0);
    }
    // Nothing else is left in the folder.
    EXPECT_EQ(folderFiles(dir.path()),
              std::vector<std::string>({"a4.pdf", "fine.apf", "standard.apf"}));
}

TEST_F(PdfImport, ALetterPageIsShrunkIntoTheFaxLine) {
    const std::string pdf = dir / "letter.pdf";
    test::writeSamplePdf(pdf, 1, QPageSize::Letter);
    ASSERT_EQ(importPdfToApf(pdf, dir / "letter.apf", {}), ecOK);
    const QImage page = faxPage(dir / "letter.apf", 1);
    EXPECT_EQ(page.width(), 1728);
    // 8.5 in at 204 dpi is 1734 pels: shrunk by 1728/1734, 11 in comes to 2149 lines.
    EXPECT_NEAR(page.height(), 2149, 3);
}

TEST_F(PdfImport, TheTextIsReadBackByOcrOffTheFaxPage) {
    PX_REQUIRE(test::haveProgram("tesseract"), "tesseract (tesseract-ocr)");
    const std::string pdf = dir / "quarterly.pdf";
    test::writeSamplePdf(pdf);
    int status = -1;
    std::string out = runConvert(
        "to-apf " + shellQuote(pdf) + " " + shellQuote(dir / "q.apf") + " --fine", &status);
    ASSERT_EQ(status, 0) << out;
    out = runConvert("from-apf " + shellQuote(dir / "q.apf") + " " + shellQuote(dir / "q.tif"),
                     &status);
    ASSERT_EQ(status, 0) << out;
    const std::string text =
        test::runCommand("tesseract " + shellQuote(dir / "q.tif") + " - 2>/dev/null", &status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(text.find(test::kSampleHeadline), std::string::npos) << text;
    EXPECT_NE(text.find("sales rose in every region"), std::string::npos) << text;
}

TEST_F(PdfImport, APostScriptJobConvertsThroughGhostscript) {
    PX_REQUIRE(test::haveProgram("gs"), "gs (ghostscript)");
    // Two pages, named without a suffix: the content tells.
    test::writeBytes(dir / "job",
                     "%!PS-Adobe-3.0\n"
                     "/Helvetica findfont 30 scalefont setfont\n"
                     "72 700 moveto (First page) show showpage\n"
                     "72 700 moveto (Second page) show showpage\n");
    int status = -1;
    const std::string out = runConvert(
        "to-apf " + shellQuote(dir / "job") + " " + shellQuote(dir / "job.apf"), &status);
    ASSERT_EQ(status, 0) << out;
    TPxApfReader reader;
    ASSERT_EQ(reader.open(dir / "job.apf"), ecOK);
    EXPECT_EQ(reader.pageCount(), 2);
    reader.close();
    EXPECT_NEAR(faxPage(dir / "job.apf", 2).height(), 1146, 3);  // A4, standard
}

TEST_F(PdfImport, AJobThatNeverEndsIsStoppedAtTheTimeLimit) {
    PX_REQUIRE(test::haveProgram("gs"), "gs (ghostscript)");
    test::writeBytes(dir / "forever.ps", "%!PS\n{ } loop\n");
    PostScriptImportOptions options;
    options.timeLimitMs = 1500;
    std::string message;
    EXPECT_EQ(importPostScriptToApf(dir / "forever.ps", dir / "forever.apf", options, &message),
              ecTimeout);
    EXPECT_NE(message.find("too long"), std::string::npos) << message;
    EXPECT_EQ(folderFiles(dir.path()), std::vector<std::string>({"forever.ps"}));
}

TEST_F(PdfImport, APostScriptJobCannotWriteFiles) {
    PX_REQUIRE(test::haveProgram("gs"), "gs (ghostscript)");
    const std::string target = dir / "written-by-the-job";
    test::writeBytes(dir / "writer.ps", "%!PS\n(" + target +
                                            ") (w) file dup (gotcha) writestring closefile\n"
                                            "showpage\n");
    std::string message;
    EXPECT_EQ(importPostScriptToApf(dir / "writer.ps", dir / "writer.apf", {}, &message),
              ecBadGraphicsFormat);
    EXPECT_NE(message.find("invalidfileaccess"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(dir / "writer.apf"));
}

struct TRefusal {
    const char* name;
    const char* file;
    std::string content;
    const char* reason;
};

TEST_F(PdfImport, BadDocumentsAreRefusedWithTheirReasonAndLeaveNoFile) {
    const std::string sample = dir / "sample.pdf";
    test::writeSamplePdf(sample);
    const std::string whole = test::readBytes(sample);
    fs::remove(sample);
    std::string scrambled = whole;
    // Keep the header and the end marker, wreck everything between.
    for (std::size_t i = 16; i + 64 < scrambled.size(); i += 3) {
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    }
    const std::vector<TRefusal> cases = {
        {"not a PDF", "letter.pdf", "Dear Ada,\nthe figures follow.\n", "not a PDF or PostScript"},
        {"truncated", "cut.pdf", whole.substr(0, whole.size() * 6 / 10), "cut short"},
        {"damaged", "damaged.pdf", scrambled, "damaged"},
        {"encrypted", "secret.pdf", test::encryptedPdf(), "encrypted"},
        {"empty", "empty.pdf", "", "not a PDF or PostScript"},
        {"bad PostScript", "bad.ps", "%!PS\n1 0 div\n", "Ghostscript cannot interpret"},
    };
    for (const TRefusal& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(dir / c.file, c.content);
        int status = -1;
        const std::string out = runConvert(
            "to-apf " + shellQuote(dir / c.file) + " " + shellQuote(dir / "out.apf"), &status);
        EXPECT_EQ(status, 1) << out;
        EXPECT_NE(out.find(c.reason), std::string::npos) << out;
        EXPECT_EQ(folderFiles(dir.path()), std::vector<std::string>({c.file}));
        fs::remove(dir / c.file);
    }
}

TEST_F(PdfImport, AnExistingFaxIsKeptWhenANewOneIsRefused) {
    test::writeBytes(dir / "fax.apf", "the previous fax");
    test::writeBytes(dir / "cut.pdf", "%PDF-1.4\n1 0 obj\n<<");
    std::string message;
    EXPECT_EQ(importPdfToApf(dir / "cut.pdf", dir / "fax.apf", {}, &message), ecBadGraphicsFormat);
    EXPECT_EQ(test::readBytes(dir / "fax.apf"), "the previous fax");
    EXPECT_EQ(folderFiles(dir.path()), std::vector<std::string>({"cut.pdf", "fax.apf"}));
}

TEST_F(PdfImport, ADocumentWithMorePagesThanAllowedIsRefused) {
    test::writeSamplePdf(dir / "long.pdf", 3);
    PdfImportOptions options;
    options.maxPages = 2;
    std::string message;
    EXPECT_EQ(importPdfToApf(dir / "long.pdf", dir / "long.apf", options, &message),
              ecBadGraphicsFormat);
    EXPECT_NE(message.find("3 pages"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(dir / "long.apf"));
}

}  // namespace
}  // namespace px
