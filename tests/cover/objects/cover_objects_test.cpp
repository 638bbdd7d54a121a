// The cover objects: constructor defaults, sizing rules, zoom, fonts and
// painting, on a page model that records what the objects ask of it.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QRawFont>
#include <cmath>

#include "cover/cover_test_support.h"
#include "cover/objects/cover_fonts.h"
#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/objects/wingdings.h"

namespace px {
namespace {

using test::place;
using test::RecordingPage;

TEST(CoverObjects, ConstructorDefaultsOfEveryTextClass) {
    struct Row {
        std::unique_ptr<TFaxCoverBaseLabel> object;
        const char* font;
        int size;
        QString caption;
    };
    Row rows[] = {
        {std::make_unique<TFaxCoverLabel>(), "Arial", 10, QStringLiteral("Text")},
        {std::make_unique<TFaxCoverSymbol>(), "WingDings", 24, QStringLiteral("[")},
        {std::make_unique<TFaxCoverMessage>(), "Arial", 10, QStringLiteral("[Fax Message]")},
        {std::make_unique<TFaxCoverImportance>(), "Arial", 10,
         QStringLiteral("[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please "
                        "Reply     [  ]Please Recycle")},
        {std::make_unique<TFaxCoverField>(), "Arial", 10, QStringLiteral("[Date]")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.object->className().toStdString());
        EXPECT_EQ(r.object->font().name, QString::fromLatin1(r.font));
        EXPECT_EQ(r.object->font().size(), r.size);
        EXPECT_EQ(r.object->font().color, clBlack);
        EXPECT_EQ(r.object->caption(), r.caption);
        EXPECT_EQ(r.object->width(), 142);
        EXPECT_EQ(r.object->height(), 33);
        EXPECT_EQ(r.object->Zoom(), 1.0F);
        EXPECT_FALSE(r.object->locked());
    }
    EXPECT_EQ(TFaxCoverField().coverFieldType(), TCoverFieldType::cfDate);
}

TEST(CoverObjects, ShapeAndLineDefaults) {
    const TFaxCoverShapes shape;
    EXPECT_EQ(shape.boundsRect(), QRect(0, 0, 25, 25));
    EXPECT_EQ(shape.shapeFilltype(), TShapeFillType::sftTransparent);
    EXPECT_EQ(shape.roundPerc(), 25);
    EXPECT_EQ(shape.shape(), TShapeType::stRectangle);
    EXPECT_EQ(shape.pen(), TCoverPen{});
    EXPECT_EQ(shape.pen().width, 1);
    const TFaxCoverLine line;
    EXPECT_EQ(line.boundsRect(), QRect(0, 0, 10, 10));
    EXPECT_EQ(line.lineStyle(), TLineStyle::stHorizontal);
}

TEST(CoverObjects, FontHeightAndSizeAtNinetySixPixelsPerInch) {
    TCoverFont f;
    EXPECT_EQ(f.height, -13);
    EXPECT_EQ(f.size(), 10);
    const std::pair<int, int> sizes[] = {{8, -11}, {10, -13}, {12, -16}, {24, -32}, {48, -64}};
    for (const auto& [points, height] : sizes) {
        f.setSize(points);
        EXPECT_EQ(f.height, height) << points;
        EXPECT_EQ(f.size(), points) << points;
    }
    // Zoomed sizes truncate before the pixel height is taken: 10 pt at 55 % is 5 pt.
    TCoverFont ten;
    EXPECT_EQ(coverFont(ten, 0.55F).pixelSize(), screenPixelHeight(5));
    EXPECT_EQ(coverFont(ten, 1.0F).pixelSize(), 13);
}

TEST(CoverObjects, SymbolAlwaysSizesItselfToItsCharacter) {
    RecordingPage page;
    auto& symbol = place<TFaxCoverSymbol>(page, QRect(10, 10, 300, 300));
    const QFontMetrics m(symbol.zoomedFont());
    const int w = static_cast<int>(std::trunc(m.horizontalAdvance(symbol.drawnCaption()) * 1.1));
    const int h = static_cast<int>(std::trunc(m.height() * 1.1));
    EXPECT_EQ(symbol.width(), w);
    EXPECT_EQ(symbol.height(), h);
    EXPECT_GT(w, 0);
    // Stretching it does nothing; moving it keeps the size.
    symbol.setBounds(50, 60, 500, 20);
    EXPECT_EQ(symbol.boundsRect(), QRect(50, 60, w, h));
}

TEST(CoverObjects, FieldGrowsToALongerTypeAndNeverShrinks) {
    RecordingPage page;
    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 40, 15));
    const QSize before = field.boundsRect().size();
    field.chooseFieldType(TCoverFieldType::cfSenderCompany);
    EXPECT_EQ(field.caption(), QStringLiteral("[Sender Company]"));
    const QFontMetrics m(field.zoomedFont());
    EXPECT_EQ(field.width(), m.horizontalAdvance(QStringLiteral("[Sender Company] ")));
    EXPECT_GT(field.width(), before.width());
    const QSize grown = field.boundsRect().size();
    field.chooseFieldType(TCoverFieldType::cfDate);
    EXPECT_EQ(field.caption(), QStringLiteral("[Date]"));
    EXPECT_EQ(field.boundsRect().size(), grown);
}

TEST(CoverObjects, EditedFontKeepsBlackOrWhiteOnly) {
    RecordingPage page;
    auto& label = place<TFaxCoverLabel>(page, QRect(0, 0, 20, 15));
    TCoverFont red;
    red.color = 0x0000FF;
    label.ApplyFont(red);  // the page menu's font dialog keeps colours
    EXPECT_EQ(label.font().color, 0x0000FF);
    label.FontEdited(label.font());
    EXPECT_EQ(label.font().color, clBlack);
    TCoverFont white;
    white.color = clWhite;
    label.FontEdited(white);
    EXPECT_EQ(label.font().color, clWhite);
    EXPECT_EQ(blackOrWhite(0x010101), clBlack);
    // Symbols keep their own font when the selection's font changes.
    auto& symbol = place<TFaxCoverSymbol>(page, QRect(0, 0, 20, 15));
    symbol.ApplyFont(red);
    EXPECT_EQ(symbol.font().name, QStringLiteral("WingDings"));
}

TEST(CoverObjects, LabelTextEditFitsTheText) {
    RecordingPage page;
    auto& label = place<TFaxCoverLabel>(page, QRect(5, 5, 10, 15));
    label.TextEdited(QStringLiteral("A much longer caption"));
    const QFontMetrics m(label.zoomedFont());
    EXPECT_EQ(label.width(), m.horizontalAdvance(QStringLiteral("A much longer caption ")));
    EXPECT_EQ(label.height(), std::max(15, m.height()));
}

TEST(CoverObjects, BoundsChangesAreReportedOnceAndNotWhileZoomingOrPrinting) {
    RecordingPage page;
    auto& shape = place<TFaxCoverShapes>(page, QRect(0, 0, 40, 40));
    const int changes = page.changes;
    const int refits = page.refits;
    shape.setBounds(0, 0, 40, 40);  // unchanged
    EXPECT_EQ(page.changes, changes);
    shape.setLeft(7);
    EXPECT_EQ(page.changes, changes + 1);
    EXPECT_EQ(page.refits, refits + 1);
    page.setPrinting(true);
    shape.setLeft(9);
    EXPECT_EQ(page.changes, changes + 1);
    page.setPrinting(false);
    page.SetZoom(0.5F);
    EXPECT_EQ(page.changes, changes + 1);
    // A text object never becomes smaller than 1 × 1.
    auto& label = place<TFaxCoverLabel>(page, QRect(0, 0, 20, 15));
    label.setBounds(0, 0, 0, -4);
    EXPECT_EQ(label.boundsRect().size(), QSize(1, 1));
}

TEST(CoverObjects, ZoomScalesBoundsRoundingToNearestEven) {
    RecordingPage page;
    auto& shape = place<TFaxCoverShapes>(page, QRect(15, 25, 33, 101));
    page.SetZoom(0.5F);
    EXPECT_EQ(page.pageSize(), QSize(384, 480));
    // 7.5 → 8, 12.5 → 12, 16.5 → 16, 50.5 → 50: ties go to the even neighbour.
    EXPECT_EQ(shape.boundsRect(), QRect(8, 12, 16, 50));
    EXPECT_EQ(shape.Zoom(), 0.5F);
    page.SetZoom(1.0F);
    EXPECT_EQ(shape.boundsRect(), QRect(16, 24, 32, 100));  // a pixel off, nothing more
    EXPECT_EQ(zoomedPenWidth(1, 0.4F, true), 1);
    EXPECT_EQ(zoomedPenWidth(1, 0.4F, false), 0);
    EXPECT_EQ(zoomedPenWidth(3, 1.5F, true), 4);
}

TEST(CoverObjects, CenteringAndStretchingUseThePageSize) {
    RecordingPage page;
    auto& shape = place<TFaxCoverShapes>(page, QRect(3, 4, 101, 51));
    shape.CenterVertically();
    EXPECT_EQ(shape.top(), 960 / 2 - 51 / 2);
    shape.CenterHorizontally();
    EXPECT_EQ(shape.left(), 768 / 2 - 101 / 2);
    auto& line = place<TFaxCoverLine>(page, QRect(30, 40, 50, 15));
    line.StretchToEdges();
    EXPECT_EQ(line.boundsRect(), QRect(0, 40, 768, 15));
    line.setLineStyle(TLineStyle::stVertical);
    line.StretchToEdges();
    EXPECT_EQ(line.boundsRect(), QRect(0, 0, 768, 960));
    line.setLineStyle(TLineStyle::stAngleSlopingUp);
    line.setBounds(5, 6, 7, 8);
    line.StretchToEdges();
    EXPECT_EQ(line.boundsRect(), QRect(5, 6, 7, 8));
}

TEST(CoverObjects, PageNamesObjectsAndPurgesThoseOffThePage) {
    RecordingPage page;
    auto& a = place<TFaxCoverShapes>(page, QRect(0, 0, 5, 5));
    auto& b = place<TFaxCoverLine>(page, QRect(0, 0, 5, 5));
    EXPECT_EQ(a.name(), QStringLiteral("Special1"));
    EXPECT_EQ(b.name(), QStringLiteral("Special2"));
    EXPECT_EQ(a.boundsRect(), QRect(0, 0, 10, 15));       // the minimum size of a new object
    place<TFaxCoverShapes>(page, QRect(0, 951, 20, 20));  // past the bottom edge − 10
    place<TFaxCoverShapes>(page, QRect(759, 0, 20, 20));  // past the right edge − 10
    place<TFaxCoverShapes>(page, QRect(0, 950, 20, 20));  // still on the page
    page.PurgeOffPageObjects();
    EXPECT_EQ(page.count(), 3U);
    page.AddToSelection(a);
    a.setUnselectable(true);
    EXPECT_TRUE(page.selection().empty());
    page.AddToSelection(a);
    EXPECT_TRUE(page.selection().empty());
}

// A drawing tool's rectangle is in the zoomed page's pixels: the new object
// keeps it as drawn, whatever the zoom.
TEST(CoverObjects, ObjectDrawnOnAZoomedPageKeepsItsRectangle) {
    RecordingPage page;
    page.SetZoom(0.8F);
    auto& shape = place<TFaxCoverShapes>(page, QRect(40, 80, 100, 60));
    EXPECT_EQ(shape.boundsRect(), QRect(40, 80, 100, 60));
    EXPECT_FLOAT_EQ(shape.Zoom(), 0.8F);
}

// Marks are drawn on the page's canvas: eight squares for one selected
// object, four corner squares for each of several.
TEST(CoverObjects, SelectionMarksForOneAndForSeveralObjects) {
    RecordingPage page;
    auto& a = place<TFaxCoverShapes>(page, QRect(100, 100, 60, 40));
    auto& b = place<TFaxCoverShapes>(page, QRect(300, 300, 60, 40));
    auto countMarks = [&](const TGGraphicControl& o, QRgb colour) {
        QImage canvas(768, 960, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        o.DrawSelectionMarks(p);
        p.end();
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                n += canvas.pixel(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_EQ(countMarks(a, qRgb(0, 0, 0)), 0);
    page.AddToSelection(a);
    EXPECT_EQ(countMarks(a, qRgb(0, 0, 0)), 8 * 25);
    page.AddToSelection(b);
    EXPECT_EQ(countMarks(a, qRgb(0x80, 0x80, 0x80)), 4 * 25);
}

TEST(CoverObjects, TextIsPaintedInItsColourAndTheMessageAreaIsOutlined) {
    RecordingPage page;
    auto& message = place<TFaxCoverMessage>(page, QRect(10, 10, 200, 100));
    QImage canvas(768, 960, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    message.paint(p);
    p.end();
    // The dotted outline runs along the top edge, every other pixel.
    int dots = 0;
    for (int x = 10; x < 210; ++x) {
        dots += qGray(canvas.pixel(x, 10)) < 128 ? 1 : 0;
    }
    EXPECT_GT(dots, 60);
    EXPECT_LT(dots, 140);
    EXPECT_GT(test::blackPixels(canvas, QRect(12, 12, 150, 20)), 20);  // "[Fax Message]"
    EXPECT_EQ(test::blackPixels(canvas, QRect(211, 0, 500, 900)), 0);  // clipped to the object
}

TEST(CoverObjects, SymbolSelectorColumnsByFontSize) {
    const std::pair<int, int> rows[] = {{5, 1},  {6, 14}, {10, 14}, {11, 10}, {20, 10}, {21, 8},
                                        {30, 8}, {31, 6}, {40, 6},  {41, 4},  {50, 4},  {51, 3},
                                        {60, 3}, {61, 2}, {72, 2},  {73, 1}};
    for (const auto& [size, columns] : rows) {
        EXPECT_EQ(symbolSelectorColumns(size), columns) << size;
    }
}

TEST(CoverFonts, WindowsFamiliesResolveToInstalledOnes) {
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("times new roman")),
              QStringLiteral("Liberation Serif"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Courier New")), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("WingDings")), QStringLiteral("Symbola"));
    // A family that is not installed still draws text.
    const QFont f = coverFont(QStringLiteral("No Such Family 42"), 20, false, false, false);
    EXPECT_FALSE(f.family().isEmpty());
    EXPECT_GT(QFontMetrics(f).horizontalAdvance(QStringLiteral("Hello")), 10);
}

TEST(CoverFonts, EveryWingDingsCodeHasAPictureInTheSymbolFont) {
    const auto& table = wingDingsTable();
    ASSERT_EQ(table.size(), 224U);
    const QRawFont symbola =
        QRawFont::fromFont(coverFont(QStringLiteral("WingDings"), 32, false, false, false));
    ASSERT_TRUE(symbola.isValid());
    for (const TWingDingsSymbol& row : table) {
        if (row.unicode == 0 || row.code == 0x20) {
            continue;
        }
        EXPECT_TRUE(symbola.supportsCharacter(static_cast<uint>(row.unicode)))
            << std::hex << int{row.code} << " " << row.name;
    }
    EXPECT_EQ(wingDingsToUnicode('('), U'\U0001F57F');
    EXPECT_EQ(wingDingsToUnicode(0xFC), U'\u2714');
    EXPECT_EQ(wingDingsToUnicode(31), 0U);
    // Captions hold the codes as Windows-1252 characters, 0x80 included.
    EXPECT_EQ(wingDingsText(fromWindows1252("\x80")), QStringLiteral("\u24EA"));
}

TEST(CoverText, WindowsCodePageRoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x93"), QStringLiteral("\u20AC\u201C"));
    EXPECT_EQ(toWindows1252(QStringLiteral("\u4E2D")), "?");
}

}  // namespace
}  // namespace px
