#include <gtest/gtest.h>

#include <QPainter>
#include <filesystem>

#include "fax/view/px_page_rotation.h"
#include "fax/view/px_viewer.h"
#include "support/apf_samples.h"
#include "support/temp_dir.h"

namespace px {
namespace {

using test::drawnPage;

bool black(const QImage& img, int x, int y) {
    return img.pixelIndex(x, y) == 0;
}

// Every pel of two monochrome images, as text on the first difference.
std::string samePels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return "sizes differ";
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (black(a, x, y) != black(b, x, y)) {
                return "pel " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return "";
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.setHooks({.repaint = [this] { ++repaints; },
                         .scrollContents = [this](int dx, int dy) { scrolls.emplace_back(dx, dy); },
                         .scrollRangeChanged = {},
                         .pageShown = [this](unsigned p) { shown.push_back(p); },
                         .viewerError = [this](ErrorCode c) { errors.push_back(c); },
                         .busy = {},
                         .captureMouse = [this](bool on) { captured = on; },
                         .dragTimer = [this](bool on) { timer = on; }});
        viewer.unpacker().setOptions(0);
        viewer.setClientSize(QSize(400, 300));
    }

    // Three fine pages; page 1 has a block at 100..149 x 40..59 and one at
    // the far right so the bitmap is 1728 wide; pages 2 and 3 differ.
    std::string threePages() {
        const std::string path = dir / "three.apf";
        test::writeApfPages(
            path,
            {drawnPage(1000, {QRect(100, 40, 50, 20), QRect(1720, 990, 8, 10)}),
             drawnPage(800, {QRect(0, 0, 8, 8)}), drawnPage(600, {QRect(16, 16, 16, 16)})},
            true);
        return path;
    }

    test::TempDir dir;
    TViewer viewer;
    int repaints = 0;
    std::vector<std::pair<int, int>> scrolls;
    std::vector<unsigned> shown;
    std::vector<ErrorCode> errors;
    bool captured = false;
    bool timer = false;
};

TEST_F(ViewerTest, OpeningRefusesMissingAndForeignFilesAndEmptyNameCloses) {
    EXPECT_EQ(viewer.setFile(QString::fromStdString(dir / "none.apf")), ecFileNotFound);
    test::writeFile(dir / "text.apf", "hello, this is not a fax");
    EXPECT_EQ(viewer.setFile(QString::fromStdString(dir / "text.apf")), ecFaxBadFormat);
    EXPECT_EQ(viewer.curPage(), 0U);

    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    EXPECT_EQ(viewer.numPages(), 3U);
    EXPECT_EQ(viewer.curPage(), 1U);
    EXPECT_EQ(shown, std::vector<unsigned>{1});
    EXPECT_EQ(viewer.pageDim(), QRect(0, 0, 1728, 1000));
    EXPECT_EQ(viewer.pageFlags() & kApfFine, kApfFine);

    EXPECT_EQ(viewer.setFile(""), ecOK);
    EXPECT_EQ(viewer.curPage(), 0U);
    EXPECT_EQ(viewer.numPages(), 0U);
    EXPECT_TRUE(viewer.fileName().isEmpty());
}

TEST_F(ViewerTest, OnlyTheCurrentPageIsHeldUnlessWholeFaxLoading) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    EXPECT_EQ(viewer.decodedPages(), 1U);
    EXPECT_EQ(viewer.gotoPage(3), ecOK);
    EXPECT_EQ(viewer.decodedPages(), 1U);
    EXPECT_EQ(viewer.pageDim().height(), 600);
    EXPECT_EQ(viewer.gotoPage(0), ecBadArgument);
    EXPECT_EQ(viewer.gotoPage(4), ecBadArgument);
    EXPECT_EQ(viewer.curPage(), 3U);

    EXPECT_EQ(viewer.setLoadWholeFax(true), ecOK);
    EXPECT_EQ(viewer.decodedPages(), 3U);
    EXPECT_EQ(viewer.setLoadWholeFax(false), ecOK);
    EXPECT_EQ(viewer.decodedPages(), 1U);
    EXPECT_EQ(shown, (std::vector<unsigned>{1, 3}));
}

TEST_F(ViewerTest, DisplayFactorsKeepEqualPairsAsOneToOneAndIgnoreZero) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    viewer.setScale(50, 50, 1, 2);
    EXPECT_EQ(viewer.factors(), (DisplayFactors{1, 1, 1, 2}));
    EXPECT_EQ(viewer.displayedSize(), QSize(1728, 500));
    viewer.setScale(0, 3, 0, 0);
    EXPECT_EQ(viewer.factors(), (DisplayFactors{1, 3, 1, 2}));
    EXPECT_EQ(viewer.displayedSize(), QSize(576, 500));

    // Suspended: nothing is redisplayed until the end of the update.
    viewer.startUpdate();
    viewer.setScale(1, 1, 1, 1);
    EXPECT_EQ(viewer.displayedSize(), QSize(576, 500));
    viewer.endUpdate();
    EXPECT_EQ(viewer.displayedSize(), QSize(1728, 1000));

    viewer.setScroll(0, 20);
    EXPECT_EQ(viewer.horizStep(), kDefaultScrollStep);
    EXPECT_EQ(viewer.vertStep(), 20U);
}

TEST_F(ViewerTest, RotationTurnsFromTheHeldOrientation) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    QImage upright;
    int w = 0;
    int h = 0;
    ASSERT_EQ(viewer.getBitmap(1, upright, w, h), ecOK);

    ASSERT_EQ(viewer.setRotation(1), ecOK);
    QImage quarter;
    ASSERT_EQ(viewer.getBitmap(1, quarter, w, h), ecOK);
    EXPECT_EQ(QSize(w, h), QSize(1000, 1728));
    // The block at 100..149 x 40..59 turns clockwise to x = 999 - y.
    EXPECT_TRUE(black(quarter, 999 - 40, 100));
    EXPECT_TRUE(black(quarter, 999 - 59, 149));
    EXPECT_FALSE(black(quarter, 40, 100));

    // 1 -> 3 is a half turn of what is shown; 3 -> 1 back again.
    ASSERT_EQ(viewer.setRotation(3), ecOK);
    QImage threeQuarters;
    ASSERT_EQ(viewer.getBitmap(1, threeQuarters, w, h), ecOK);
    EXPECT_EQ(samePels(threeQuarters, rotatePage(quarter, 2)), "");
    EXPECT_TRUE(black(threeQuarters, 40, 1727 - 100));

    ASSERT_EQ(viewer.setRotation(0), ecOK);
    ASSERT_EQ(viewer.setRotation(3), ecOK);
    ASSERT_EQ(viewer.setRotation(1), ecOK);
    QImage viaThree;
    ASSERT_EQ(viewer.getBitmap(1, viaThree, w, h), ecOK);
    EXPECT_EQ(samePels(viaThree, quarter), "");
    EXPECT_EQ(samePels(rotatePage(viaThree, 1), rotatePage(upright, 2)), "");

    // A page decoded later comes up in the current rotation.
    repaints = 0;
    ASSERT_EQ(viewer.setRotation(1), ecOK);
    EXPECT_EQ(repaints, 0);
    ASSERT_EQ(viewer.gotoPage(2), ecOK);
    EXPECT_EQ(viewer.pageDim().size(), QSize(800, 16));
    EXPECT_EQ(viewer.setRotation(4), ecBadArgument);
}

TEST_F(ViewerTest, AHalfTurnReversesRowsAndPels) {
    QImage img(16, 3, QImage::Format_Mono);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    img.fill(1);
    img.setPixel(0, 0, 0);
    img.setPixel(5, 1, 0);
    const QImage half = rotatePage(img, 2);
    EXPECT_TRUE(black(half, 15, 2));
    EXPECT_TRUE(black(half, 10, 1));
    const QImage quarter = rotatePage(QImage(img.copy(0, 0, 13, 3)), 1);
    // The old width 13 rounded up to whole bytes; the extra rows are white.
    EXPECT_EQ(quarter.size(), QSize(3, 16));
    EXPECT_TRUE(black(quarter, 2, 0));
    for (int y = 13; y < 16; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_FALSE(black(quarter, x, y));
        }
    }
}

TEST_F(ViewerTest, CopyPutsExactlyTheMarkedPelsAndNeedsAPageAndAMark) {
    QImage out;
    EXPECT_EQ(viewer.copyMark(out), ecNoImageLoaded);
    EXPECT_EQ(viewer.selectAll(), ecNoImageLoaded);
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    EXPECT_EQ(viewer.copyMark(out), ecNoImageBlockMarked);

    // Drag from below right to above left: the mark is normalised.
    viewer.mouseDown(QPoint(160, 70));
    EXPECT_TRUE(captured);
    viewer.mouseMove(QPoint(90, 30));
    viewer.mouseUp();
    EXPECT_FALSE(captured);
    ASSERT_TRUE(viewer.hasMark());
    EXPECT_EQ(viewer.mark(), QRect(90, 30, 70, 40));
    ASSERT_EQ(viewer.copyMark(out), ecOK);
    EXPECT_EQ(out.size(), QSize(70, 40));
    EXPECT_EQ(out.format(), QImage::Format_Mono);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 70; ++x) {
            const bool inBlock = x + 90 >= 100 && x + 90 < 150 && y + 30 >= 40 && y + 30 < 60;
            ASSERT_EQ(black(out, x, y), inBlock) << x << "," << y;
        }
    }
    EXPECT_EQ(out.pixelColor(20, 20), QColor(Qt::black));

    // A click without a drag leaves no mark.
    viewer.mouseDown(QPoint(50, 50));
    viewer.mouseUp();
    EXPECT_FALSE(viewer.hasMark());
    EXPECT_EQ(viewer.copyMark(out), ecNoImageBlockMarked);

    // Marks are clipped to the page.
    EXPECT_EQ(viewer.select(QRect(-10, 990, 50, 100)), ecOK);
    EXPECT_EQ(viewer.mark(), QRect(0, 990, 40, 10));
    EXPECT_EQ(viewer.selectAll(), ecOK);
    EXPECT_EQ(viewer.mark(), QRect(0, 0, 1728, 1000));

    // At half size the copy is the mark's size and keeps thin strokes.
    viewer.setScale(1, 2, 1, 2);
    EXPECT_EQ(viewer.select(QRect(40, 10, 40, 30)), ecOK);
    ASSERT_EQ(viewer.copyMark(out), ecOK);
    EXPECT_EQ(out.size(), QSize(40, 30));
    EXPECT_TRUE(black(out, 50 - 40, 20 - 10));
    EXPECT_FALSE(black(out, 49 - 40, 20 - 10));
}

TEST_F(ViewerTest, KeysMoveWithinAndBetweenPages) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    EXPECT_EQ(viewer.maxScroll(), QPoint(1728 - 400, 1000 - 300));

    viewer.keyDown(TViewerKey::Right, false);
    EXPECT_EQ(viewer.scrollPos(), QPoint(8, 0));
    viewer.keyDown(TViewerKey::Down, true);
    EXPECT_EQ(viewer.scrollPos(), QPoint(8, 80));
    EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{-8, 0}, {0, -80}}));
    viewer.keyDown(TViewerKey::End, false);
    EXPECT_EQ(viewer.scrollPos().x(), 1328);
    viewer.keyDown(TViewerKey::PageDown, true);
    EXPECT_EQ(viewer.scrollPos(), QPoint(1328, 700));
    viewer.keyDown(TViewerKey::Left, false);
    EXPECT_EQ(viewer.scrollPos(), QPoint(1320, 700));

    // Ctrl+Home on page 1 shows page 1 again from its top-left corner.
    viewer.keyDown(TViewerKey::Home, true);
    EXPECT_EQ(viewer.curPage(), 1U);
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 0));

    viewer.keyDown(TViewerKey::PageUp, false);
    EXPECT_EQ(viewer.curPage(), 1U);
    viewer.keyDown(TViewerKey::End, true);
    EXPECT_EQ(viewer.curPage(), 3U);
    shown.clear();
    viewer.keyDown(TViewerKey::Down, false);
    viewer.keyDown(TViewerKey::PageDown, false);
    EXPECT_EQ(viewer.curPage(), 3U);
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 8));
    EXPECT_TRUE(shown.empty());
    viewer.keyDown(TViewerKey::PageUp, false);
    EXPECT_EQ(viewer.curPage(), 2U);
}

TEST_F(ViewerTest, LongScrollsRepaintInsteadOfMovingPixels) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    repaints = 0;
    viewer.scrollTo(QPoint(0, 100));
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(scrolls.size(), 1U);
    viewer.scrollTo(QPoint(0, 500));
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(scrolls.size(), 1U);
    viewer.scrollTo(QPoint(5000, -4));
    EXPECT_EQ(viewer.scrollPos(), QPoint(1328, 0));

    // A page that fits has nothing to scroll.
    viewer.setClientSize(QSize(2000, 2000));
    EXPECT_EQ(viewer.maxScroll(), QPoint(0, 0));
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 0));
    viewer.scrollVert(TScrollAction::End);
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 0));
}

TEST_F(ViewerTest, DraggingOutsideScrollsTowardsThePointer) {
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    viewer.mouseDown(QPoint(10, 10));
    viewer.mouseMove(QPoint(200, 310));  // 10 pels below
    EXPECT_TRUE(timer);
    viewer.dragTimerTick();
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 8));
    EXPECT_EQ(viewer.mark(), QRect(10, 10, 190, 308));
    viewer.mouseMove(QPoint(200, 340));  // 40 pels below: two steps
    viewer.dragTimerTick();
    EXPECT_EQ(viewer.scrollPos(), QPoint(0, 24));
    // Keys wait while a mark is dragged.
    viewer.keyDown(TViewerKey::PageDown, false);
    EXPECT_EQ(viewer.curPage(), 1U);
    viewer.mouseMove(QPoint(200, 200));
    EXPECT_FALSE(timer);
    viewer.mouseUp();
    EXPECT_EQ(viewer.mark(), QRect(10, 10, 190, 214));
}

TEST_F(ViewerTest, PaintingUsesTheColoursAndInvertsTheMark) {
    const std::string path = dir / "white.apf";
    test::writeApfPages(path, {drawnPage(100, {}), drawnPage(100, {QRect(0, 0, 20, 20)})}, true);
    ASSERT_EQ(viewer.setFile(QString::fromStdString(path)), ecOK);
    EXPECT_EQ(viewer.pageDim(), QRect());
    QImage canvas(400, 300, QImage::Format_RGB32);
    {
        QPainter p(&canvas);
        viewer.setColors(Qt::blue, Qt::yellow);
        viewer.paint(p, canvas.rect());
    }
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::yellow));

    ASSERT_EQ(viewer.gotoPage(2), ecOK);
    ASSERT_EQ(viewer.select(QRect(10, 10, 20, 20)), ecOK);
    {
        QPainter p(&canvas);
        viewer.paint(p, canvas.rect());
    }
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(25, 5), QColor(Qt::yellow));
    // Inside the mark both colours appear inverted.
    EXPECT_EQ(canvas.pixelColor(15, 15), QColor(Qt::yellow));
    EXPECT_EQ(canvas.pixelColor(25, 25), QColor(Qt::blue));
    // Beyond the page: background.
    EXPECT_EQ(canvas.pixelColor(350, 250), QColor(Qt::yellow));

    viewer.setDesignMode(true, "FaxViewer1");
    {
        QPainter p(&canvas);
        viewer.paint(p, canvas.rect());
    }
    EXPECT_EQ(canvas.pixelColor(15, 15), QColor(Qt::yellow));
}

TEST_F(ViewerTest, WhitespaceSettingsFollowTheUnpackersRule) {
    EXPECT_EQ(viewer.setWhitespace(true, 10, 20), ecBadArgument);
    EXPECT_EQ(viewer.setWhitespace(true, 0, 2), ecBadArgument);
    EXPECT_EQ(viewer.setWhitespace(true, 50, 10), ecOK);
    EXPECT_EQ(viewer.unpacker().whitespaceFrom(), 50U);
    EXPECT_TRUE(viewer.unpacker().whitespaceCompression());
}

TEST_F(ViewerTest, APageThatFailsToDecodeEmptiesTheViewerAndReportsIt) {
    const std::string path = threePages();
    ASSERT_EQ(viewer.setFile(QString::fromStdString(path)), ecOK);
    // The file goes away while page 1 is shown.
    std::filesystem::remove(path);
    EXPECT_EQ(viewer.gotoPage(2), ecOK);
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_LT(errors[0], 0);
    EXPECT_EQ(viewer.curPage(), 0U);
    EXPECT_EQ(viewer.numPages(), 0U);
    QImage out;
    EXPECT_EQ(viewer.copyMark(out), ecNoImageLoaded);
    // Still usable.
    ASSERT_EQ(viewer.setFile(QString::fromStdString(threePages())), ecOK);
    EXPECT_EQ(viewer.curPage(), 1U);
}

TEST_F(ViewerTest, ARealFaxPageOpensInFullAndScrolls) {
    const std::string apf = test::ccittApf(dir.path(), 1);
    ASSERT_FALSE(apf.empty()) << "the CCITT test pages in tests/data";
    ASSERT_EQ(viewer.setFile(QString::fromStdString(apf)), ecOK);
    EXPECT_GT(viewer.pageDim().width(), 1500);
    EXPECT_GT(viewer.pageDim().height(), 2000);
    viewer.keyDown(TViewerKey::PageDown, true);
    EXPECT_EQ(viewer.scrollPos().y(), viewer.pageDim().height() - 300);
}

}  // namespace
}  // namespace px
