#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "common/px_exceptions.h"
#include "support/apf_samples.h"
#include "support/temp_dir.h"
#include "ui/faxviewer/px_fax_viewer.h"

namespace px {
namespace {

using test::drawnPage;

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Sends a drag and a drop of `path` onto the widget's viewport.
bool drop(QWidget* viewport, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dropped);
    return true;
}

class FaxViewerComponent : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir / "three.apf";
        test::writeApfPages(
            path,
            {drawnPage(1200, {QRect(100, 40, 50, 20), QRect(1720, 1190, 8, 10)}),
             drawnPage(900, {QRect(0, 0, 8, 8)}), drawnPage(700, {QRect(16, 16, 16, 16)})},
            true);
        viewer.resize(420, 320);
        viewer.setOnPageChange([this](TPxCustomFaxViewer&) { ++pageChanges; });
        viewer.setOnViewerError([this](TPxCustomFaxViewer&, ErrorCode c) { errors.push_back(c); });
        viewer.setOnDropFile([this](TPxCustomFaxViewer&, const QString& f) { dropped = f; });
        viewer.setOnDropRefused([this](const QString&, const QString& why) { refusals << why; });
        viewer.show();
        QApplication::processEvents();
    }

    void open() { viewer.setFileName(QString::fromStdString(path)); }

    test::TempDir dir;
    std::string path;
    TPxFaxViewer viewer;
    int pageChanges = 0;
    std::vector<ErrorCode> errors;
    QString dropped;
    QStringList refusals;
};

TEST(FaxViewerDefaults, ANewComponentHasThePublishedValues) {
    TPxFaxViewer v;
    EXPECT_EQ(v.size(), QSize(100, 50));
    EXPECT_EQ(v.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(v.borderStyle());
    EXPECT_EQ(v.fgColor(), QColor(Qt::black));
    EXPECT_EQ(v.bgColor(), QColor(Qt::white));
    EXPECT_FALSE(v.scaling());
    EXPECT_EQ(v.horizMult() * v.horizDiv() * v.vertMult() * v.vertDiv(), 1U);
    EXPECT_EQ(v.autoScaleMode(), TAutoScaleMode::asDoubleHeight);
    EXPECT_FALSE(v.whitespaceCompression());
    EXPECT_EQ(v.horizScroll(), 8U);
    EXPECT_EQ(v.vertScroll(), 8U);
    EXPECT_TRUE(v.acceptDragged());
    EXPECT_FALSE(v.loadWholeFax());
    EXPECT_TRUE(v.fileName().isEmpty());
    EXPECT_EQ(v.rotation(), 0U);
    v.setHorizMult(0);
    EXPECT_EQ(v.horizMult(), 1U);
    EXPECT_THROW(v.setWhitespaceTo(5), EBadArgument);
}

TEST_F(FaxViewerComponent, PagesMoveOnlyWithinTheFax) {
    viewer.nextPage();
    EXPECT_EQ(viewer.currentPage(), 0U);
    open();
    EXPECT_EQ(pageChanges, 1);
    EXPECT_EQ(viewer.numPages(), 3U);
    viewer.prevPage();
    EXPECT_EQ(viewer.currentPage(), 1U);
    viewer.lastPage();
    viewer.nextPage();
    EXPECT_EQ(viewer.currentPage(), 3U);
    EXPECT_THROW(viewer.setCurrentPage(4), EBadArgument);
    EXPECT_THROW(viewer.setCurrentPage(0), EBadArgument);
    viewer.setCurrentPage(2);
    EXPECT_EQ(viewer.pageHeight(), 900);
    EXPECT_EQ(pageChanges, 3);
    EXPECT_THROW(viewer.setFileName(QString::fromStdString(dir / "none.apf")), EInOutError);
    EXPECT_EQ(viewer.currentPage(), 2U) << "a file that cannot be opened leaves the old one";
}

TEST_F(FaxViewerComponent, KeysTurnPagesAndScroll) {
    open();
    viewer.setFocus();
    QTest::keyClick(&viewer, Qt::Key_Down);
    EXPECT_EQ(viewer.verticalScrollBar()->value(), 8);
    QTest::keyClick(&viewer, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(viewer.horizontalScrollBar()->value(), 80);
    QTest::keyClick(&viewer, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(viewer.currentPage(), 1U);
    EXPECT_EQ(viewer.engine().scrollPos(), QPoint(0, 0));
    EXPECT_EQ(viewer.verticalScrollBar()->value(), 0);
    QTest::keyClick(&viewer, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(viewer.currentPage(), 3U);
    QTest::keyClick(&viewer, Qt::Key_PageDown);
    EXPECT_EQ(viewer.currentPage(), 3U);
    QTest::keyClick(&viewer, Qt::Key_PageUp);
    EXPECT_EQ(viewer.currentPage(), 2U);

    // The scroll bar moves the page.
    viewer.verticalScrollBar()->setValue(100);
    EXPECT_EQ(viewer.engine().scrollPos().y(), 100);
}

TEST_F(FaxViewerComponent, MarkingAndCopyingPutsExactlyTheMarkedPelsOnTheClipboard) {
    EXPECT_THROW(viewer.copyToClipboard(), ENoImageLoaded);
    open();
    EXPECT_THROW(viewer.copyToClipboard(), ENoImageBlockMarked);
    QWidget* port = viewer.viewport();
    mouse(port, QEvent::MouseButtonPress, QPoint(90, 30), Qt::LeftButton);
    mouse(port, QEvent::MouseMove, QPoint(170, 75), Qt::LeftButton);
    mouse(port, QEvent::MouseButtonRelease, QPoint(170, 75), Qt::NoButton);
    ASSERT_TRUE(viewer.hasMark());
    viewer.copyToClipboard();
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(80, 45));
    for (int y = 0; y < copied.height(); ++y) {
        for (int x = 0; x < copied.width(); ++x) {
            const bool inBlock = x + 90 >= 100 && x + 90 < 150 && y + 30 >= 40 && y + 30 < 60;
            ASSERT_EQ(qGray(copied.pixel(x, y)) < 128, inBlock) << x << "," << y;
        }
    }
    // A click without a drag removes the mark.
    mouse(port, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
    mouse(port, QEvent::MouseButtonRelease, QPoint(50, 50), Qt::NoButton);
    EXPECT_THROW(viewer.copyToClipboard(), ENoImageBlockMarked);
}

TEST_F(FaxViewerComponent, DraggingBeyondTheEdgeScrollsOnTheTimer) {
    open();
    QWidget* port = viewer.viewport();
    mouse(port, QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton);
    mouse(port, QEvent::MouseMove, QPoint(60, port->height() + 40), Qt::LeftButton);
    EXPECT_TRUE(viewer.engine().dragTimerRunning());
    QTest::qWait(3 * kDragTimerMs);
    EXPECT_GE(viewer.engine().scrollPos().y(), 16);
    mouse(port, QEvent::MouseButtonRelease, QPoint(60, port->height() + 40), Qt::NoButton);
    EXPECT_FALSE(viewer.engine().dragTimerRunning());
    const int y = viewer.engine().scrollPos().y();
    QTest::qWait(2 * kDragTimerMs);
    EXPECT_EQ(viewer.engine().scrollPos().y(), y);
}

TEST_F(FaxViewerComponent, PaintsPelsInTheChosenColours) {
    open();
    viewer.setFGColor(Qt::red);
    viewer.setBGColor(Qt::green);
    const QImage shot = viewer.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(120, 50), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(Qt::green));
}

TEST_F(FaxViewerComponent, ADroppedFaxOpensAndADroppedNonFaxIsRefused) {
    const std::string other = dir / "other.apf";
    test::writeApfPages(other, {drawnPage(300, {QRect(0, 0, 16, 16)})}, true);
    open();
    ASSERT_TRUE(drop(viewer.viewport(), QString::fromStdString(other)));
    EXPECT_EQ(dropped, QString::fromStdString(other));
    EXPECT_EQ(viewer.fileName(), QString::fromStdString(other));
    EXPECT_EQ(viewer.numPages(), 1U);

    test::writeFile(dir / "notes.txt", "not a fax");
    ASSERT_TRUE(drop(viewer.viewport(), QString::fromStdString(dir / "notes.txt")));
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0], "File is not an APF file");
    EXPECT_EQ(viewer.fileName(), QString::fromStdString(other));

    viewer.setAcceptDragged(false);
    EXPECT_FALSE(drop(viewer.viewport(), QString::fromStdString(path)));
}

TEST_F(FaxViewerComponent, AFaxWhoseFirstPageCannotBeDecodedLeavesNoFileOpen) {
    open();
    // A raw page that claims 1000 bytes of image data and holds 10.
    std::vector<uint8_t> bytes = test::readBytes(path);
    bytes.resize(kApfFileHeaderSize);
    bytes[32] = 1;
    bytes[33] = 0;
    std::vector<uint8_t> page(kApfPageHeaderSize, 0);
    page[0] = 0xE8;
    page[1] = 0x03;
    bytes.insert(bytes.end(), page.begin(), page.end());
    bytes.insert(bytes.end(), 10, 0x00);
    test::writeBytes(dir / "cut.apf", bytes);
    EXPECT_THROW(viewer.setFileName(QString::fromStdString(dir / "cut.apf")), EFaxBadFormat);
    EXPECT_TRUE(viewer.fileName().isEmpty());
    EXPECT_EQ(viewer.numPages(), 0U);
    open();
    EXPECT_EQ(viewer.currentPage(), 1U);
}

TEST_F(FaxViewerComponent, AFileThatVanishesReportsAViewerErrorAndLeavesItEmpty) {
    open();
    std::filesystem::remove(path);
    viewer.nextPage();
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_EQ(viewer.currentPage(), 0U);
    EXPECT_TRUE(viewer.fileName().isEmpty());
    viewer.nextPage();
    QTest::keyClick(&viewer, Qt::Key_PageDown);
    EXPECT_EQ(errors.size(), 1U);
}

}  // namespace
}  // namespace px
