// Drawing render lists onto the fax page and the preview, and the APF file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include "cover/cover_test_support.h"
#include "cover/io/cover_render_list.h"
#include "cover/objects/cover_fonts.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/render/cover_renderer.h"
#include "cover/render/cover_template_files.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/unpack/px_page_unpacker.h"
#include "support/temp_dir.h"

namespace px {
namespace {

using test::blackPixels;
using test::place;
using test::RecordingPage;

// Page positions of a design rectangle: 196 per inch, 98 pixels in.
QRect onPage(const QRect& design) {
    return QRect(toFaxPixels(design.left()) + kCoverMargin,
                 toFaxPixels(design.top()) + kCoverMargin, toFaxPixels(design.width()),
                 toFaxPixels(design.height()));
}

QImage draw(const TCoverPageModel& page, const TCoverValues& values, const QString& message = {}) {
    QImage canvas = newCoverCanvas(kCoverPageWidth, kCoverPageHeight);
    QPainter p(&canvas);
    drawRenderRecords(p, renderListOf(page), values, 1, message);
    p.end();
    return canvas;
}

// The page of an APF file as pels, 1 = black.
QImage decode(const QString& apf) {
    TPxPageUnpacker unpacker;
    UnpackSettings settings;
    settings.autoScale = TAutoScaleMode::asNone;
    unpacker.setSettings(settings);
    std::vector<uint8_t> lines;
    EXPECT_EQ(
        unpacker.unpack(apf.toStdString(), 1, false,
                        [&](const uint8_t* d, unsigned n) { lines.insert(lines.end(), d, d + n); }),
        ecOK);
    const int rows = static_cast<int>(lines.size() / 216);
    QImage image(1728, rows, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < rows; ++y) {
        std::copy_n(lines.begin() + static_cast<long>(y) * 216, 216, image.scanLine(y));
    }
    return image;
}

TEST(CoverRender, AMissingRenderListGivesAWhitePageWithOneBlackPixel) {
    test::TempDir dir;
    const QString apf = QString::fromStdString(dir / "COVER.APF");
    const QString written =
        RenderCoverPage(apf, QString::fromStdString(dir / "missing.FCT"), TCoverValues{}, QString(),
                        QString::fromStdString(dir.path()));
    EXPECT_EQ(written, apf);
    TPxApfReader reader;
    ASSERT_EQ(reader.open(apf.toStdString()), ecOK);
    EXPECT_EQ(reader.pageCount(), 1);
    ApfPageInfo info;
    ASSERT_EQ(reader.findPage(1, info), ecOK);
    EXPECT_TRUE(info.header.fine());
    EXPECT_FALSE(info.header.wide());
    const QImage page = decode(apf);
    ASSERT_EQ(page.height(), kCoverPageHeight);
    EXPECT_EQ(blackPixels(page, page.rect()), 1);
    EXPECT_EQ(qGray(page.pixel(1727, 2155)), 0);
}

TEST(CoverRender, TextDesignedInWhiteComesOutBlackAtItsPlace) {
    RecordingPage page;
    auto& label = place<TFaxCoverLabel>(page, QRect(100, 200, 200, 40));
    label.setCaption(QStringLiteral("WHITE"));
    TCoverFont white;
    white.color = clWhite;
    white.setSize(20);
    label.setFont(white);
    const QImage canvas = draw(page, TCoverValues{});
    const QRect box = onPage(label.boundsRect());
    EXPECT_GT(blackPixels(canvas, box), 200);
    EXPECT_EQ(blackPixels(canvas, canvas.rect()), blackPixels(canvas, box));
    // Text is placed with the top of its cell at the object's corner + 98.
    const QFontMetrics m(
        coverFont(QStringLiteral("Arial"), screenPixelHeight(40), false, false, false));
    EXPECT_EQ(blackPixels(canvas, QRect(box.left(), box.top() + m.height(), 1000, 200)), 0);
}

TEST(CoverRender, FieldsShowTheirValueAndTheImportanceRowOnlyWhenABoxIsChecked) {
    RecordingPage page;
    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 300, 20));
    field.chooseFieldType(TCoverFieldType::cfRecipient);
    auto& row = place<TFaxCoverImportance>(page, QRect(0, 100, 700, 20));
    TCoverValues values;
    const QRect fieldBox = onPage(QRect(0, 0, 300, 20));
    const QRect rowBox = onPage(QRect(0, 100, 768, 20));
    QImage canvas = draw(page, values);
    EXPECT_EQ(blackPixels(canvas, canvas.rect()), 0);  // empty value, nothing checked

    values[TCoverFieldType::cfRecipient] = QStringLiteral("Ada Lovelace");
    values[TImportance::PleaseReply] = true;
    canvas = draw(page, values);
    EXPECT_GT(blackPixels(canvas, fieldBox), 100);
    const int withReply = blackPixels(canvas, rowBox);
    EXPECT_GT(withReply, 500);
    // The X sits right after the box's opening bracket.
    const QFont font =
        coverFont(QStringLiteral("Arial"), screenPixelHeight(20), false, false, false);
    const QFontMetrics m(font);
    const int x = rowBox.left() + m.horizontalAdvance(importancePrefix(TImportance::PleaseReply));
    const int xWidth = m.horizontalAdvance(QStringLiteral("X"));
    QImage without = draw(page, TCoverValues{});
    values[TImportance::PleaseReply] = false;
    values[TImportance::Urgent] = true;
    without = draw(page, values);
    EXPECT_GT(blackPixels(canvas, QRect(x, rowBox.top(), xWidth, m.height())),
              blackPixels(without, QRect(x, rowBox.top(), xWidth, m.height())) + 20);
    EXPECT_EQ(importancePrefix(TImportance::Urgent), QStringLiteral("["));
    EXPECT_EQ(importancePrefix(TImportance::ForReview), QStringLiteral("[  ]Urgent     ["));
    (void)row;
}

TEST(CoverRender, MessageWrapsInsideItsAreaAndIsCutAtTheBottom) {
    RecordingPage page;
    place<TFaxCoverMessage>(page, QRect(100, 100, 200, 60));
    const QRect area = onPage(QRect(100, 100, 200, 60));
    QString message;
    for (int i = 0; i < 60; ++i) {
        message += QStringLiteral("word%1 & more ").arg(i);
    }
    message += QStringLiteral("\r\nnext line");
    const QImage canvas = draw(page, TCoverValues{}, message);
    EXPECT_GT(blackPixels(canvas, area), 1000);
    EXPECT_EQ(blackPixels(canvas, canvas.rect()), blackPixels(canvas, area));
    // Wrapped: the area's last text rows are inked, not just the first line.
    EXPECT_GT(blackPixels(canvas, QRect(area.left(), area.bottom() - 40, area.width(), 40)), 50);
}

TEST(CoverRender, ShapesAndLinesFollowTheirPen) {
    RecordingPage page;
    auto& filled = place<TFaxCoverShapes>(page, QRect(0, 0, 50, 50));
    filled.setShapeFilltype(TShapeFillType::sftFilledBlack);
    auto& line = place<TFaxCoverLine>(page, QRect(0, 100, 200, 15));
    TCoverPen thick;
    thick.width = 5;
    line.setPen(thick);
    const QImage canvas = draw(page, TCoverValues{});
    const QRect box = onPage(filled.boundsRect());
    EXPECT_GT(blackPixels(canvas, box), box.width() * box.height() * 9 / 10);
    // Pen width 5 is drawn 10 fax pixels wide.
    const int column = onPage(line.boundsRect()).left() + 50;
    const int top = onPage(line.boundsRect()).top();
    EXPECT_EQ(blackPixels(canvas, QRect(column, top - 20, 1, 40)), 10);
}

TEST(CoverRender, NewCoversTakeTheFirstFreeNumber) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    EXPECT_EQ(nextCoverFileName(folder), folder + "/COV00000.APF");
    test::writeFile(dir / "COV00000.APF", "x");
    test::writeFile(dir / "cov00001.apf", "x");
    test::writeFile(dir / "COV00003.APF", "x");
    EXPECT_EQ(nextCoverFileName(folder), folder + "/COV00002.APF");
    const QString written = RenderCoverPage(QString(), QStringLiteral("/nonexistent.FCT"),
                                            TCoverValues{}, QString(), folder);
    EXPECT_EQ(written, folder + "/COV00002.APF");
    EXPECT_TRUE(TPxApfReader::isApf(written.toStdString()));
}

TEST(CoverRender, PreviewIsAOneBitPictureOfTheUpperLeftPart) {
    test::TempDir dir;
    RecordingPage page;
    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 300, 20));
    field.chooseFieldType(TCoverFieldType::cfRecipient);
    const QString fcs = QString::fromStdString(dir / "PX0001.FCS");
    SaveLabelFile(page, fcs, QStringLiteral("A test template"));
    const std::string bmp = test::readFile(dir / "PX0001.bmp");
    ASSERT_GT(bmp.size(), 62U);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    auto le = [&](std::size_t at, int n) {
        int v = 0;
        for (int i = n - 1; i >= 0; --i) {
            v = v * 256 + static_cast<unsigned char>(bmp[at + static_cast<std::size_t>(i)]);
        }
        return v;
    };
    EXPECT_EQ(le(18, 4), 816);
    EXPECT_EQ(le(22, 4), 1056);
    EXPECT_EQ(le(28, 2), 1);  // bits per pixel
    const QImage preview(QString::fromStdString(dir / "PX0001.bmp"));
    EXPECT_GT(blackPixels(preview, QRect(98, 98, 400, 40)), 100);  // "Recipient Name"
    EXPECT_EQ(test::readFile(dir / "PX0001.DES"), "A test template\r\n");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dir / "PX0001.FCT")));
}

TEST(CoverTemplates, ShippedCoversAreInstalledWithoutReplacingTheUsers) {
    test::TempDir dir;
    const QString covers = QString::fromStdString(dir / "Covers");
    EXPECT_EQ(shippedCoverNames().size(), 4);
    EXPECT_TRUE(shippedCoverNames().contains(QStringLiteral("px0001")));
    QDir().mkpath(covers);
    test::writeFile(dir / "Covers/PX0001.fcs", "mine");
    EXPECT_EQ(installShippedCovers(covers), 15);
    EXPECT_EQ(test::readFile(dir / "Covers/PX0001.fcs"), "mine");
    EXPECT_EQ(installShippedCovers(covers), 0);
    EXPECT_TRUE(QFile::exists(covers + "/px0004.bmp"));
}

}  // namespace
}  // namespace px
