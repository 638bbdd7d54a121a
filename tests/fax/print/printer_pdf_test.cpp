// The printer prints into PDF files here; the files are read back with
// poppler's tools and compared with the unpacker's own pictures of the pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <filesystem>
#include <fstream>

#include "common/px_exceptions.h"
#include "fax/print/px_fax_printer.h"
#include "support/pdf_tools.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"

namespace px {
namespace {

namespace fs = std::filesystem;

constexpr int kDpi = 100;
constexpr double kMmPerInch = 25.4;
constexpr double kSheetWidthMm = 210;
constexpr double kSheetHeightMm = 297;
constexpr double kMarginMm = 10;
constexpr int kDark = 128;

double mmToPixels(double mm, int dpi) {
    return mm / kMmPerInch * dpi;
}

// The printable part of the A4 sheet the tests print on, in pixels at `dpi`.
QRectF printableArea(int dpi) {
    return {mmToPixels(kMarginMm, dpi), mmToPixels(kMarginMm, dpi),
            mmToPixels(kSheetWidthMm - 2 * kMarginMm, dpi),
            mmToPixels(kSheetHeightMm - 2 * kMarginMm, dpi)};
}

// Where a fitted full-width page lands in an area: 0.93 of its width, all of
// its height.
QRect fittedPage(const QRectF& area) {
    return QRectF(area.left(), area.top(), area.width() * 0.93, area.height()).toRect();
}

// One quarter of the printable area (0 top left, 1 top right, 2 bottom left,
// 3 bottom right).
QRectF quarterCell(const QRectF& printable, int slot) {
    const double w = printable.width() / 2;
    const double h = printable.height() / 2;
    return {printable.left() + (slot % 2) * w, printable.top() + (slot / 2) * h, w, h};
}

// The bounding box of the dark pixels inside `region`.
QRect inkBox(const QImage& image, const QRect& region) {
    QRect box;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x) {
            if (line[x] < kDark) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The squares that number a test page, counted along their row.
int squaresSeen(const QImage& image, const QRect& page) {
    const double scaleY = static_cast<double>(page.height()) / test::kTestPageLines;
    const double scaleX = static_cast<double>(page.width()) / kNormalWidthPels;
    const int y =
        page.top() + static_cast<int>((test::kSquareTop + test::kSquarePels / 2) * scaleY);
    const int from = page.left() + static_cast<int>(2 * test::kFramePels * scaleX);
    const int to = page.right() - static_cast<int>(2 * test::kFramePels * scaleX);
    int count = 0;
    bool inSquare = false;
    for (int x = from; x <= to; ++x) {
        const bool dark = image.pixelColor(x, y).lightness() < kDark;
        count += dark && !inSquare ? 1 : 0;
        inSquare = dark;
    }
    return count;
}

// Mean difference (0..255) between the picture inside `rect` and the page
// bitmap scaled into it.
double meanDifference(const QImage& image, const QRect& rect, const QImage& bitmap) {
    const QImage expected =
        bitmap.convertToFormat(QImage::Format_Grayscale8)
            .scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < rect.height(); ++y) {
        const uchar* got = image.constScanLine(rect.top() + y) + rect.left();
        const uchar* want = expected.constScanLine(y);
        for (int x = 0; x < rect.width(); ++x) {
            sum += std::abs(int{got[x]} - int{want[x]});
        }
    }
    return sum / (double{1} * rect.width() * rect.height());
}

void expectNear(const QRect& got, const QRect& want, int tolerance, const std::string& what) {
    EXPECT_LE(std::abs(got.left() - want.left()), tolerance) << what << " left";
    EXPECT_LE(std::abs(got.top() - want.top()), tolerance) << what << " top";
    EXPECT_LE(std::abs(got.right() - want.right()), tolerance) << what << " right";
    EXPECT_LE(std::abs(got.bottom() - want.bottom()), tolerance) << what << " bottom";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

class PrinterPdf : public ::testing::Test {
protected:
    void SetUp() override {
        PX_REQUIRE(test::havePopplerTools(), "poppler-utils (pdftoppm, pdftotext, pdfinfo)");
    }

    std::string makeFax(unsigned pages, const std::string& name = "FAX00001.APF") {
        const std::string path = dir_ / name;
        test::writeTestFax(path, pages);
        return path;
    }

    // A printer on `fax` that prints into `pdf` on A4 with 10 mm margins.
    void setUp(TPxFaxPrinter& printer, const std::string& fax, const std::string& pdf) {
        printer.setFileName(QString::fromStdString(fax));
        printer.setOutputPdf(QString::fromStdString(pdf));
        printer.printer().setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    }

    QImage bitmapOf(const std::string& fax, unsigned page) {
        TPxFaxUnpacker unpacker;
        unpacker.setInFileName(QString::fromStdString(fax));
        return unpacker.unpackPage(page);
    }

    // Everything in the folder but the fax and the log: what a job left.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".APF") == std::string::npos && name != "FAXPRINT.LOG") {
                names.push_back(name);
            }
        }
        return names;
    }

    test::TempDir dir_;
};

TEST_F(PrinterPdf, EachPageOnItsOwnSheetFittedToThePrintableArea) {
    const std::string fax = makeFax(3);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    printer.faxHeader().setEnabled(false);
    printer.faxFooter().setEnabled(false);
    printer.print();

    ASSERT_EQ(test::pdfPageCount(pdf), 3);
    const QRect expected = fittedPage(printableArea(kDpi));
    for (int page = 1; page <= 3; ++page) {
        const QImage sheet = test::renderPdfPage(pdf, page, kDpi, dir_.path());
        ASSERT_FALSE(sheet.isNull());
        const QRect ink = inkBox(sheet, sheet.rect());
        expectNear(ink, expected, 2, "page " + std::to_string(page));
        EXPECT_EQ(squaresSeen(sheet, ink), page);
        EXPECT_LT(meanDifference(sheet, ink, bitmapOf(fax, page)), 5.0) << "page " << page;
    }
}

TEST_F(PrinterPdf, FourUpPutsPagesThreeToSixInTheQuartersAndTheRestOnTheNextSheet) {
    const std::string fax = makeFax(9);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    printer.faxHeader().setEnabled(false);
    printer.faxFooter().setEnabled(false);
    printer.setMultiPage(true);
    printer.setPageRange(3, 9);
    printer.print();

    ASSERT_EQ(test::pdfPageCount(pdf), 2);
    const QRectF printable = printableArea(kDpi);
    const QImage first = test::renderPdfPage(pdf, 1, kDpi, dir_.path());
    const QImage second = test::renderPdfPage(pdf, 2, kDpi, dir_.path());
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    for (int slot = 0; slot < 4; ++slot) {
        const QRectF cell = quarterCell(printable, slot);
        const QRect expected = fittedPage(cell);
        // Pages 3..6 on the first sheet, 7..9 on the second, the last quarter
        // empty; the quarters touch, so each is searched a pixel inside.
        const QRect search = cell.toRect().adjusted(1, 1, -1, -1);
        const QRect ink = inkBox(first, search);
        expectNear(ink, expected, 2, "sheet 1 quarter " + std::to_string(slot));
        EXPECT_EQ(squaresSeen(first, ink), 3 + slot) << "sheet 1 quarter " << slot;
        EXPECT_LT(meanDifference(first, ink, bitmapOf(fax, 3 + slot)), 12.0);
        const QRect second_ink = inkBox(second, search);
        if (slot < 3) {
            expectNear(second_ink, expected, 2, "sheet 2 quarter " + std::to_string(slot));
            EXPECT_EQ(squaresSeen(second, second_ink), 7 + slot) << "sheet 2 quarter " << slot;
        } else {
            EXPECT_TRUE(second_ink.isNull()) << "the fourth quarter of sheet 2 stays white";
        }
    }
}

TEST_F(PrinterPdf, HeaderAndFooterCaptionsAreFilledInForEachPage) {
    const std::string fax = makeFax(5);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    printer.faxHeader().setCaption("FILE: $F Sheet $p");
    printer.faxFooter().setCaption("Page: $P of $N $Xyz");
    printer.setPageRange(2, 3);
    printer.print();

    ASSERT_EQ(test::pdfPageCount(pdf), 2);
    const std::string second = test::pdfText(pdf, 1);
    EXPECT_NE(second.find("Page: 2 of 5"), std::string::npos) << second;
    EXPECT_NE(second.find("FILE: " + fax + " Sheet 2"), std::string::npos) << second;
    EXPECT_NE(test::pdfText(pdf, 2).find("Page: 3 of 5"), std::string::npos);
    const std::string all = test::pdfText(pdf);
    EXPECT_EQ(all.find('$'), std::string::npos) << all;
    EXPECT_EQ(all.find("Xyz"), std::string::npos) << all;
}

TEST_F(PrinterPdf, WithOnlyAFooterThePageStartsAtTheTopAndTheRuleSitsAboveTheFooterText) {
    const std::string fax = makeFax(1);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    printer.faxHeader().setEnabled(false);
    printer.print();
    ASSERT_EQ(test::pdfPageCount(pdf), 1);

    // At the printer's own resolution, so that single pels can be told apart.
    const int dpi = printer.printer().resolution();
    ASSERT_GE(dpi, 600);
    // The PDF's page geometry in whole points, as Qt lays it out.
    const QRect printable = printer.printer().pageLayout().paintRectPixels(dpi);
    const QRect area = printable.adjusted(2, 2, -2, -2);
    const int textHeight = printer.faxFooter().textHeight();
    ASSERT_GT(textHeight, 0);
    const int expectedRule = area.bottom() + 1 - textHeight - 2;

    // The top: the page begins at the area's top, no header above it.
    const QRect topStrip(0, printable.top() - 40, area.right() + 40, 200);
    const QImage top = test::renderPdfPage(pdf, 1, dpi, dir_.path(), topStrip);
    ASSERT_FALSE(top.isNull());
    const QRect topInk = inkBox(top, top.rect()).translated(topStrip.topLeft());
    EXPECT_LE(std::abs(topInk.top() - area.top()), 2);
    EXPECT_LE(std::abs(topInk.left() - area.left()), 2);

    // The bottom: the rule runs across the area, also right of the page.
    const QRect bottomStrip(0, expectedRule - 300, area.right() + 40, textHeight + 340);
    const QImage bottom = test::renderPdfPage(pdf, 1, dpi, dir_.path(), bottomStrip);
    ASSERT_FALSE(bottom.isNull());
    const int ruleColumn = area.right() - 10 - bottomStrip.left();
    const QRect ruleInk = inkBox(bottom, QRect(ruleColumn, 0, 1, bottom.height()));
    ASSERT_FALSE(ruleInk.isNull()) << "no rule right of the page";
    const int ruleY = ruleInk.top() + bottomStrip.top();
    EXPECT_LE(std::abs(ruleY - expectedRule), 2) << "rule at " << ruleY;
    EXPECT_LE(ruleInk.height(), 3) << "a hairline";

    // The footer text lies below the rule, at least two pels from it ...
    const QRect below(area.left() - bottomStrip.left(), ruleY - bottomStrip.top() + 1,
                      area.width() / 2, textHeight + 4);
    const QRect textInk = inkBox(bottom, below).translated(bottomStrip.topLeft());
    ASSERT_FALSE(textInk.isNull()) << "no footer text";
    EXPECT_GE(textInk.top(), ruleY + 2);
    EXPECT_LE(textInk.bottom(), area.bottom() + 1);
    // ... and the page ends right above it.
    const QRect pageColumn(area.left() + 4 - bottomStrip.left(), 0, 1, ruleY - bottomStrip.top());
    const QRect pageInk = inkBox(bottom, pageColumn).translated(bottomStrip.topLeft());
    ASSERT_FALSE(pageInk.isNull());
    EXPECT_GE(pageInk.bottom(), ruleY - 3);
    EXPECT_LT(pageInk.bottom(), ruleY);
}

TEST_F(PrinterPdf, EventsAndLogFollowEachPageAndTheJob) {
    const std::string fax = makeFax(2);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    TPxFaxPrinterLog log;
    log.setLogFileName(QString::fromStdString(dir_ / "FAXPRINT.LOG"));
    printer.setFaxPrinterLog(&log);
    std::vector<int> progress;
    std::vector<int> logCodes;
    std::vector<std::pair<unsigned, unsigned>> nextPages;
    printer.setOnFaxPrintStatus(
        [&](TPxCustomFaxPrinter&, TFaxPrintProgress code) { progress.push_back(code); });
    printer.setOnFaxPrintLog(
        [&](TPxCustomFaxPrinter&, TFaxPLCode code) { logCodes.push_back(code); });
    printer.setOnNextPage([&](TPxCustomFaxPrinter& sender, unsigned page, unsigned count) {
        nextPages.emplace_back(page, count);
        EXPECT_EQ(sender.currentPage(), page);
        EXPECT_TRUE(sender.printing());
    });
    printer.print();

    EXPECT_EQ(progress,
              (std::vector<int>{fpConverting, fpComposing, fpRendering, fpSubmitting, fpConverting,
                                fpComposing, fpRendering, fpSubmitting, fpIdle}));
    EXPECT_EQ(logCodes, (std::vector<int>{lcStart, lcFinish}));
    EXPECT_EQ(nextPages, (std::vector<std::pair<unsigned, unsigned>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(printer.currentPage(), 0u);
    EXPECT_FALSE(printer.printing());
    EXPECT_FALSE(printer.aborted());

    const std::string text = test::readFile(dir_ / "FAXPRINT.LOG");
    const std::vector<std::string> logLines = lines(text);
    ASSERT_EQ(logLines.size(), 3u) << text;
    EXPECT_EQ(logLines[0].rfind("Printing " + fax + " started at ", 0), 0u) << logLines[0];
    EXPECT_EQ(logLines[1].rfind("Printing " + fax + " finished at ", 0), 0u) << logLines[1];
    EXPECT_EQ(logLines[2], "");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "CR LF line ends";

    // A second job appends to the log.
    printer.print();
    EXPECT_EQ(lines(test::readFile(dir_ / "FAXPRINT.LOG")).size(), 6u);
}

TEST_F(PrinterPdf, AbortDuringPageTwoLogsAbortedNotFinishedAndLeavesNoFile) {
    enum class From { NextPage, StatusEvent };
    for (const From from : {From::NextPage, From::StatusEvent}) {
        SCOPED_TRACE(from == From::NextPage ? "from OnNextPage" : "from OnFaxPrintStatus");
        const std::string fax = makeFax(3);
        const std::string pdf = dir_ / "out.pdf";
        std::remove((dir_ / "FAXPRINT.LOG").c_str());
        TPxFaxPrinter printer;
        setUp(printer, fax, pdf);
        TPxFaxPrinterLog log;
        log.setLogFileName(QString::fromStdString(dir_ / "FAXPRINT.LOG"));
        printer.setFaxPrinterLog(&log);
        std::vector<unsigned> pagesStarted;
        printer.setOnNextPage([&](TPxCustomFaxPrinter& sender, unsigned page, unsigned) {
            pagesStarted.push_back(page);
            if (from == From::NextPage && page == 2) {
                sender.abort();
            }
        });
        printer.setOnFaxPrintStatus([&](TPxCustomFaxPrinter& sender, TFaxPrintProgress code) {
            if (from == From::StatusEvent && sender.currentPage() == 2 && code == fpRendering) {
                sender.abort();
            }
        });
        printer.print();

        EXPECT_TRUE(printer.aborted());
        EXPECT_FALSE(printer.printing());
        EXPECT_EQ(printer.currentPage(), 0u);
        EXPECT_EQ(printer.progress(), fpIdle);
        EXPECT_EQ(pagesStarted, (std::vector<unsigned>{1, 2}));
        const std::vector<std::string> logLines = lines(test::readFile(dir_ / "FAXPRINT.LOG"));
        ASSERT_EQ(logLines.size(), 3u);
        EXPECT_NE(logLines[0].find(" started at "), std::string::npos);
        EXPECT_NE(logLines[1].find(" aborted at "), std::string::npos);
        EXPECT_EQ(logLines[2], "");
        EXPECT_TRUE(leftovers().empty()) << leftovers().front();

        // The printer stays usable: the next job prints all three pages.
        printer.setOnNextPage({});
        printer.setOnFaxPrintStatus({});
        printer.print();
        EXPECT_FALSE(printer.aborted());
        EXPECT_EQ(test::pdfPageCount(pdf), 3);
        std::remove(pdf.c_str());
    }
}

TEST_F(PrinterPdf, APageThatCannotBeDecodedRaisesTheUnpackersErrorAndLogsFailed) {
    const std::string fax = makeFax(3);
    // Cut the file in the middle of page 2.
    std::string bytes = test::readFile(fax);
    const auto length1 =
        static_cast<uint32_t>(uint8_t(bytes[64]) | uint8_t(bytes[65]) << 8 |
                              uint8_t(bytes[66]) << 16 | uint32_t{uint8_t(bytes[67])} << 24);
    const size_t page2 = kApfFirstPageOffset + kApfPageHeaderSize + length1;
    bytes.resize(page2 + kApfPageHeaderSize + 200);
    test::writeFile(fax, bytes);

    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    TPxFaxPrinterLog log;
    log.setLogFileName(QString::fromStdString(dir_ / "FAXPRINT.LOG"));
    printer.setFaxPrinterLog(&log);
    ASSERT_EQ(printer.pageCount(), 3u);
    try {
        printer.print();
        FAIL() << "printed a page that ends early";
    } catch (const EPxException& e) {
        EXPECT_EQ(e.ErrorCode(), ecFaxBadFormat);
        EXPECT_STREQ(e.what(), "File is not an APF file");
    }
    EXPECT_FALSE(printer.printing());
    EXPECT_EQ(printer.currentPage(), 0u);
    const std::vector<std::string> logLines = lines(test::readFile(dir_ / "FAXPRINT.LOG"));
    ASSERT_EQ(logLines.size(), 3u);
    EXPECT_NE(logLines[1].find(" failed at "), std::string::npos);
    EXPECT_FALSE(fs::exists(pdf)) << "no partial document";
    EXPECT_TRUE(leftovers().empty());

    printer.setPageRange(1, 1);
    printer.print();
    EXPECT_EQ(test::pdfPageCount(pdf), 1);
}

TEST_F(PrinterPdf, AnAllWhitePageIsABlankSheetNotAFailure) {
    const std::string fax = dir_ / "BLANK.APF";
    test::writeTestFax(fax, 1, kApfFine | kApfLengthWords, 0);
    const std::string pdf = dir_ / "out.pdf";
    TPxFaxPrinter printer;
    setUp(printer, fax, pdf);
    std::vector<int> logCodes;
    printer.setOnFaxPrintLog(
        [&](TPxCustomFaxPrinter&, TFaxPLCode code) { logCodes.push_back(code); });
    printer.print();
    EXPECT_EQ(logCodes, (std::vector<int>{lcStart, lcFinish}));
    EXPECT_EQ(test::pdfPageCount(pdf), 1);
    EXPECT_NE(test::pdfText(pdf).find("PAGE: 1 of 1"), std::string::npos);
}

TEST_F(PrinterPdf, FilesAndRangesOutsideTheRulesAreRefused) {
    const std::string fax = makeFax(2);
    TPxFaxPrinter printer;
    EXPECT_EQ(printer.caption(), "Parvex Fax Printer");
    EXPECT_EQ(printer.faxHeader().caption(), "FILE: $F");
    EXPECT_EQ(printer.faxFooter().caption(), "PAGE: $P of $N");
    EXPECT_TRUE(printer.faxHeader().enabled() && printer.faxFooter().enabled());
    EXPECT_EQ(printer.printScale(), TFaxPrintScale::psFitToPage);

    printer.setFileName(QString::fromStdString(fax));
    EXPECT_EQ(printer.pageCount(), 2u);
    EXPECT_TRUE(printer.fineResolution());
    EXPECT_FALSE(printer.wide());
    EXPECT_EQ(printer.firstPageToPrint(), 1u);
    EXPECT_EQ(printer.lastPageToPrint(), 2u);
    for (const auto& [first, last] : {std::pair{0u, 1u}, {2u, 1u}, {1u, 3u}}) {
        EXPECT_THROW(printer.setPageRange(first, last), EBadArgument) << first << "-" << last;
    }

    const std::string text = dir_ / "NOTFAX.APF";
    test::writeFile(text, std::string(200, 'x'));
    EXPECT_THROW(printer.setFileName(QString::fromStdString(text)), EFaxBadFormat);
    EXPECT_EQ(printer.pageCount(), 0u);
    EXPECT_EQ(printer.firstPageToPrint(), 0u);
    // Nothing to print is not an error.
    printer.setOutputPdf(QString::fromStdString(dir_ / "none.pdf"));
    printer.print();
    EXPECT_FALSE(fs::exists(dir_ / "none.pdf"));
}

TEST_F(PrinterPdf, AnUnwritableDestinationRaisesAFileErrorAndLogsFailed) {
    const std::string fax = makeFax(1);
    TPxFaxPrinter printer;
    setUp(printer, fax, dir_ / "no-such-folder/out.pdf");
    std::vector<int> logCodes;
    printer.setOnFaxPrintLog(
        [&](TPxCustomFaxPrinter&, TFaxPLCode code) { logCodes.push_back(code); });
    EXPECT_THROW(printer.print(), EInOutError);
    EXPECT_EQ(logCodes, (std::vector<int>{lcStart, lcFailed}));
    EXPECT_FALSE(printer.printing());

    // A log that cannot be written is a file error too.
    TPxFaxPrinterLog log;
    log.setLogFileName(QString::fromStdString(dir_ / "no-such-folder/FAXPRINT.LOG"));
    EXPECT_THROW(log.updateLog(lcStart, "X.APF"), EInOutError);
}

}  // namespace
}  // namespace px
