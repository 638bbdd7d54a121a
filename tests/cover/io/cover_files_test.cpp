// Design files, render lists and the cover text files, byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include "cover/cover_test_support.h"
#include "cover/io/cover_render_list.h"
#include "cover/io/cover_text_files.h"
#include "cover/io/cover_value_stream.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"
#include "support/temp_dir.h"

namespace px {
namespace {

using test::place;
using test::RecordingPage;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

std::string str(const std::string& s) {
    return static_cast<char>(s.size()) + s;
}

std::string readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll().toStdString();
}

// The label every byte-level case starts from: "Hello", 142 × 33 at (10, 20), Arial 10 pt.
TFaxCoverLabel& helloLabel(TCoverPageModel& page) {
    auto& label = place<TFaxCoverLabel>(page, QRect(10, 20, 142, 33));
    label.setCaption(QStringLiteral("Hello"));
    return label;
}

TEST(CoverDesignFile, HelloLabelRecordByteForByte) {
    RecordingPage page;
    helloLabel(page);
    const std::string expected = bytes({1}) + "TPF0" + str("TFaxCoverLabel") + str("Special1") +  //
                                 str("Left") + bytes({2, 10}) + str("Top") + bytes({2, 20}) +     //
                                 str("Width") + bytes({3, 142, 0}) + str("Height") +
                                 bytes({2, 33}) + str("Locked") + bytes({8}) + str("Unselectable") +
                                 bytes({8}) +                                       //
                                 str("Caption") + bytes({6, 5}) + "Hello" +         //
                                 str("Font.Color") + bytes({7}) + str("clBlack") +  //
                                 str("Font.Height") + bytes({2, 0xF3}) +            //
                                 str("Font.Name") + bytes({6, 5}) + "Arial" +       //
                                 str("Font.Style") + bytes({11, 0}) +               //
                                 bytes({0, 0, 0});
    std::vector<const TGGraphicControl*> objects{page.objects()[0].get()};
    EXPECT_EQ(TGLabelObjectFiler::streamObjects(objects), expected);
}

TEST(CoverRenderList, HelloLabelRecordByteForByte) {
    RecordingPage page;
    helloLabel(page);
    const std::string expected =
        bytes({1, 2, 0, 2, 20, 2, 40, 3, 0x21, 0x01, 2, 67, 6, 5}) + "Hello" + bytes({6, 5}) +
        "Arial" + bytes({2, 20, 8, 8, 8, 2, 0xFF, 2, 0xFF, 2, 0xFF, 2, 0xFF, 2, 0xFF, 2, 0xFF, 0});
    EXPECT_EQ(renderListOf(page), expected);
}

TEST(CoverRenderList, RecordsOfEveryKind) {
    RecordingPage page;
    place<TFaxCoverLine>(page, QRect(0, 0, 96, 15));
    auto& shape = place<TFaxCoverShapes>(page, QRect(48, 48, 96, 96));
    shape.setShape(TShapeType::stEllipse);
    shape.setShapeFilltype(TShapeFillType::sftFilledWhite);
    TCoverPen thick;
    thick.width = 3;
    shape.setPen(thick);
    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 50, 20));
    field.chooseFieldType(TCoverFieldType::cfRecipientFax);
    place<TFaxCoverMessage>(page, QRect(0, 0, 50, 20));
    place<TFaxCoverImportance>(page, QRect(0, 0, 50, 20));
    place<TFaxCoverSymbol>(page, QRect(0, 0, 50, 20));
    std::vector<TRenderRecord> records;
    const std::string list = renderListOf(page);
    readRenderList(list, 1, [&](const TRenderRecord& r) {
        records.push_back(r);
        return true;
    });
    ASSERT_EQ(records.size(), 6U);
    EXPECT_EQ(records[0].kind, 3);
    EXPECT_EQ(records[0].penWidth, 2);  // width 1 is stored doubled
    EXPECT_EQ(records[0].width, 196);
    EXPECT_EQ(records[0].fontSize, -1);
    EXPECT_EQ(records[0].fontName, "");
    EXPECT_EQ(records[0].lineStyle, 0);
    EXPECT_EQ(records[1].kind, 2);
    EXPECT_EQ((std::array{records[1].shape, records[1].fill, records[1].penWidth,
                          records[1].rounding, records[1].left}),
              (std::array{4, 1, 6, 25, 98}));
    EXPECT_EQ(records[2].kind, 5);
    EXPECT_EQ(records[2].fieldType, 4);
    EXPECT_EQ(records[2].caption, "");  // the renderer supplies the value
    EXPECT_EQ(records[3].kind, 6);
    EXPECT_EQ(records[3].caption, "");
    EXPECT_EQ(records[4].kind, 4);
    EXPECT_EQ(records[5].kind, 1);
    EXPECT_EQ(records[5].caption, "[");
    EXPECT_EQ(records[5].fontName, "WingDings");
    EXPECT_EQ(records[5].fontSize, 48);
    // A divisor divides positions, sizes, font size and pen width.
    std::vector<TRenderRecord> halves;
    readRenderList(list, 2, [&](const TRenderRecord& r) {
        halves.push_back(r);
        return true;
    });
    EXPECT_EQ(halves[1].left, 49);
    EXPECT_EQ(halves[1].penWidth, 3);
    EXPECT_EQ(halves[5].fontSize, 24);
    EXPECT_EQ(halves[1].rounding, 25);
}

TEST(CoverRenderList, ACutListHandsOverEveryCompleteRecordBeforeTheCut) {
    RecordingPage page;
    for (int i = 0; i < 3; ++i) {
        place<TFaxCoverLine>(page, QRect(i, i, 20, 15));
    }
    const std::string list = renderListOf(page);
    const std::size_t recordSize = list.size() / 3;
    for (std::size_t cut = 0; cut <= list.size(); ++cut) {
        int seen = 0;
        readRenderList(std::string_view(list).substr(0, cut), 1, [&](const TRenderRecord& r) {
            EXPECT_EQ(r.left, toFaxPixels(seen));
            ++seen;
            return true;
        });
        EXPECT_EQ(seen, static_cast<int>(cut / recordSize)) << cut;
    }
}

TEST(CoverValueStream, IntegersTakeTheSmallestTag) {
    const std::pair<std::int32_t, TValueTag> rows[] = {
        {0, TValueTag::vaInt8},          {-128, TValueTag::vaInt8},   {127, TValueTag::vaInt8},
        {128, TValueTag::vaInt16},       {-129, TValueTag::vaInt16},  {32767, TValueTag::vaInt16},
        {-32768, TValueTag::vaInt16},    {32768, TValueTag::vaInt32}, {-32769, TValueTag::vaInt32},
        {INT32_MIN, TValueTag::vaInt32},
    };
    for (const auto& [value, tag] : rows) {
        TCoverStreamWriter w;
        w.writeInteger(value);
        EXPECT_EQ(static_cast<TValueTag>(w.bytes()[0]), tag) << value;
        TCoverStreamReader r(w.bytes());
        EXPECT_EQ(r.readInteger(), value);
        EXPECT_TRUE(r.atEnd());
    }
}

TEST(CoverDesignFile, LongCaptionTakesTheLongStringTag) {
    RecordingPage page;
    auto& label = place<TFaxCoverLabel>(page, QRect(0, 0, 20, 20));
    const QString caption(300, QLatin1Char('x'));
    label.setCaption(caption);
    const std::string stream = TGLabelObjectFiler::streamObjects({&label});
    const std::string record =
        str("Caption") + bytes({12, 0x2C, 0x01, 0, 0}) + std::string(300, 'x');
    EXPECT_NE(stream.find(record), std::string::npos);
    // 255 bytes still fit the short string.
    label.setCaption(QString(255, QLatin1Char('y')));
    EXPECT_NE(TGLabelObjectFiler::streamObjects({&label}).find(str("Caption") + bytes({6, 255}) +
                                                               std::string(255, 'y')),
              std::string::npos);
    RecordingPage other;
    label.setCaption(caption);
    ASSERT_TRUE(TGLabelObjectFiler::readObjects(other, stream, 0).complete);
    EXPECT_EQ(static_cast<TFaxCoverLabel&>(*other.objects()[0]).caption(), caption);
}

// A page with every class and the non-default values the format knows.
void fillPage(TCoverPageModel& page) {
    auto& label = place<TFaxCoverLabel>(page, QRect(-5, 700, 40000, 33));
    TCoverFont f;
    f.name = QStringLiteral("Times New Roman");
    f.setSize(14);
    f.style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    f.pitch = TFontPitch::fpFixed;
    f.color = 0x123456;
    label.setFont(f);
    label.setCaption(QStringLiteral("Caf\u00E9 \u20AC 100"));
    label.setTag(-70000);
    label.setCursor(-21);
    label.setHint(QStringLiteral("a hint"));
    label.setLocked(true);
    place<TFaxCoverSymbol>(page, QRect(1, 2, 3, 4));
    auto& shape = place<TFaxCoverShapes>(page, QRect(10, 10, 100, 50));
    shape.setShape(TShapeType::stRoundSquare);
    shape.setRoundPerc(60);
    shape.setShapeFilltype(TShapeFillType::sftFilledBlack);
    shape.setPen(TCoverPen{0x00FF00, TPenMode::pmXor, TPenStyle::psDot, 7});
    auto& line = place<TFaxCoverLine>(page, QRect(0, 100, 768, 15));
    line.setLineStyle(TLineStyle::stAngleSlopingDown);
    line.setCursor(12345);
    auto& field = place<TFaxCoverField>(page, QRect(5, 5, 50, 20));
    field.chooseFieldType(TCoverFieldType::cfSenderVoice);
    auto& message = place<TFaxCoverMessage>(page, QRect(5, 300, 500, 400));
    message.setUnselectable(true);
    place<TFaxCoverImportance>(page, QRect(5, 250, 600, 20));
}

TEST(CoverDesignFile, SaveLoadSaveGivesTheSameBytes) {
    test::TempDir dir;
    const QString first = QString::fromStdString(dir / "first.FCS");
    const QString second = QString::fromStdString(dir / "second.FCS");
    RecordingPage page;
    fillPage(page);
    TGLabelObjectFiler::SaveObjects(page, first);
    RecordingPage loaded;
    const TCoverLoadResult r = TGLabelObjectFiler::LoadObjects(loaded, first);
    EXPECT_TRUE(r.complete) << r.error;
    EXPECT_EQ(r.objectsRead, 7);
    // The names change on reading; give them back to compare the bytes.
    for (std::size_t i = 0; i < loaded.count(); ++i) {
        loaded.objects()[i]->setName(page.objects()[i]->name());
    }
    TGLabelObjectFiler::SaveObjects(loaded, second);
    EXPECT_EQ(readAll(first), readAll(second));
    EXPECT_EQ(renderListOf(page), renderListOf(loaded));
    // The shipped templates read back to their own bytes as well.
    for (const char* name : {"px0001", "px0002", "px0003", "px0004"}) {
        const QString path = test::sourceFile(QStringLiteral("resources/covers/%1.FCS").arg(name));
        RecordingPage shipped;
        const TCoverLoadResult s = TGLabelObjectFiler::LoadObjects(shipped, path);
        ASSERT_TRUE(s.complete) << name << ": " << s.error;
        const std::string original = readAll(path);
        std::vector<const TGGraphicControl*> objects;
        for (const auto& o : shipped.objects()) {
            objects.push_back(o.get());
        }
        // Stored names are "Special" + n in order.
        for (std::size_t i = 0; i < shipped.count(); ++i) {
            shipped.objects()[i]->setName(QStringLiteral("Special%1").arg(i + 1));
        }
        EXPECT_EQ(TGLabelObjectFiler::streamObjects(objects), original) << name;
        EXPECT_EQ(renderListOf(shipped),
                  readAll(test::sourceFile(QStringLiteral("resources/covers/%1.FCT").arg(name))))
            << name;
    }
}

TEST(CoverDesignFile, ReadingRenamesEveryObjectWithoutDuplicates) {
    test::TempDir dir;
    const QString path = QString::fromStdString(dir / "t.FCS");
    RecordingPage page;
    fillPage(page);
    TGLabelObjectFiler::SaveObjects(page, path);
    RecordingPage target;
    TGLabelObjectFiler::LoadObjects(target, path);
    TGLabelObjectFiler::LoadObjects(target, path);
    ASSERT_EQ(target.count(), 14U);
    QSet<QString> names;
    for (std::size_t i = 0; i < target.count(); ++i) {
        EXPECT_EQ(target.objects()[i]->name(), QStringLiteral("Component%1").arg(i));
        names.insert(target.objects()[i]->name().toLower());
    }
    EXPECT_EQ(names.size(), 14);
    // A missing file leaves the page as it is.
    EXPECT_FALSE(TGLabelObjectFiler::LoadObjects(target, path + "x").fileFound);
    EXPECT_EQ(target.count(), 14U);
}

TEST(CoverDesignFile, PasteOffsetsAndCloneLandsLowerInFrontWithTheSelection) {
    test::TempDir dir;
    const QString clip = QString::fromStdString(dir / "Clipbrd.tmp");
    RecordingPage page;
    auto& a = place<TFaxCoverShapes>(page, QRect(10, 20, 30, 40));
    auto& b = place<TFaxCoverLine>(page, QRect(50, 60, 70, 15));
    TGLabelObjectFiler::SaveSelection(page, clip);
    EXPECT_FALSE(QFile::exists(clip));  // nothing selected, nothing written
    page.AddToSelection(b);
    page.AddToSelection(a);
    TGLabelObjectFiler::SaveSelection(page, clip);
    EXPECT_EQ(TGLabelObjectFiler::PasteObjects(page, clip).objectsRead, 2);
    ASSERT_EQ(page.count(), 4U);
    EXPECT_EQ(page.objects()[2]->boundsRect(), QRect(65, 75, 70, 15));  // selection order
    EXPECT_EQ(page.objects()[3]->boundsRect(), QRect(25, 35, 30, 40));

    page.ClearSelection();
    page.AddToSelection(a);
    TGGraphicControl* clone = TGLabelObjectFiler::CloneObject(page, a);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(page.objects().back().get(), clone);
    EXPECT_EQ(clone->boundsRect(), QRect(10, 45, 30, 40));
    EXPECT_EQ(page.selection(), std::vector<TGGraphicControl*>{clone});
}

TEST(CoverDesignFile, AReadErrorKeepsTheObjectsReadBeforeIt) {
    RecordingPage page;
    fillPage(page);
    const std::string good = TGLabelObjectFiler::streamObjects(
        {page.objects()[2].get(), page.objects()[3].get(), page.objects()[4].get()});
    const std::size_t second = good.find("TPF0", 5);
    const std::size_t third = good.find("TPF0", second + 4);
    struct Case {
        const char* what;
        std::string stream;
        int kept;
    };
    std::string unknownClass = good;
    unknownClass.replace(third + 5, 14, "TFaxCoverLabeX");
    std::string unknownProperty = good;
    unknownProperty.replace(unknownProperty.find("LineStyle"), 9, "LineStylo");
    std::string noSignature = good;
    noSignature[third] = 'X';
    std::string badEnum = good;
    badEnum.replace(badEnum.find("stAngleSlopingDown"), 18, "stAngleSlopingDowx");
    const Case cases[] = {
        {"unknown class", unknownClass, 2},
        {"unknown property", unknownProperty, 1},
        {"no TPF0", noSignature, 2},
        {"unknown enumeration value", badEnum, 1},
        {"cut in the third object", good.substr(0, third + 30), 2},
        {"no outer list", good.substr(1), 0},
    };
    for (const Case& c : cases) {
        RecordingPage target;
        const TCoverLoadResult r = TGLabelObjectFiler::readObjects(target, c.stream, 0);
        EXPECT_FALSE(r.complete) << c.what;
        EXPECT_FALSE(r.error.empty()) << c.what;
        EXPECT_EQ(r.objectsRead, c.kept) << c.what;
        EXPECT_EQ(static_cast<int>(target.count()), c.kept) << c.what;
    }
}

TEST(CoverTextFiles, DescriptionAndCoverDataLinesEndInCrLf) {
    test::TempDir dir;
    const QString des = QString::fromStdString(dir / "a.DES");
    EXPECT_EQ(readDescription(des), QString());  // missing
    ASSERT_TRUE(writeDescription(des, QStringLiteral("Quarterly report cover")));
    EXPECT_EQ(test::readFile(dir / "a.DES"), "Quarterly report cover\r\n");
    EXPECT_EQ(readDescription(des), QStringLiteral("Quarterly report cover"));

    const QString fcd = QString::fromStdString(dir / "COV00000.FCD");
    TCoverData data;
    data.templateName = QStringLiteral("px0001.fct");
    data.importance = {true, false, false, true, false};
    data.message = QStringList{QStringLiteral("Line one"), QString(), QStringLiteral("Three")};
    ASSERT_TRUE(writeCoverData(fcd, data));
    EXPECT_EQ(test::readFile(dir / "COV00000.FCD"),
              "px0001.fct\r\nX  X \r\nLine one\r\n\r\nThree\r\n");
    const TCoverData back = readCoverData(fcd);
    EXPECT_EQ(back.templateName, data.templateName);
    EXPECT_EQ(back.importance, data.importance);
    EXPECT_EQ(back.message, data.message);

    // A line of boxes of another length checks none of them.
    for (const char* boxes : {"XXXX", "XXXXXX", "X X X "}) {
        test::writeFile(dir / "COV00001.FCD", std::string("px0002.fct\r\n") + boxes + "\r\nHi\r\n");
        const TCoverData odd = readCoverData(QString::fromStdString(dir / "COV00001.FCD"));
        EXPECT_EQ(odd.importance, (std::array<bool, 5>{})) << boxes;
        EXPECT_EQ(odd.message, QStringList{QStringLiteral("Hi")});
    }
}

TEST(CoverTextFiles, TemplateNames) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    EXPECT_EQ(freeTemplateName(folder), QStringLiteral("PX0001.FCS"));
    test::writeFile(dir / "px0001.fcs", "");
    test::writeFile(dir / "PX0002.FCS", "");
    EXPECT_EQ(freeTemplateName(folder), QStringLiteral("PX0003.FCS"));
    const std::pair<const char*, bool> names[] = {
        {"COVER_01.FCS", true}, {"cover1.fcs", true},  {"_x.Fcs", true},
        {"1cover.FCS", false},  {"cover.FCT", false},  {"COVER_012.FCS", false},
        {".FCS", false},        {"co ver.FCS", false}, {"cover", false},
    };
    for (const auto& [name, valid] : names) {
        EXPECT_EQ(isValidTemplateName(QString::fromLatin1(name)), valid) << name;
    }
    EXPECT_EQ(withExtension(QStringLiteral("/a/b/PX0001.FCS"), QStringLiteral(".FCT")),
              QStringLiteral("/a/b/PX0001.FCT"));
}

}  // namespace
}  // namespace px
