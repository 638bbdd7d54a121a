// The objects' pop-up menus as data: items per class, tags, and check marks.
#include <gtest/gtest.h>

#include "cover/cover_test_support.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"

namespace px {
namespace {

using test::place;
using test::RecordingPage;

QStringList captions(const TCoverMenu& menu) {
    QStringList out;
    for (const TCoverMenuItem& item : menu) {
        out << item.caption;
    }
    return out;
}

const TCoverMenuItem& sub(const TCoverMenu& menu, const char* caption) {
    for (const TCoverMenuItem& item : menu) {
        if (item.caption == QLatin1String(caption)) {
            return item;
        }
    }
    static const TCoverMenuItem none;
    ADD_FAILURE() << "no item " << caption;
    return none;
}

QStringList checkedIn(const TCoverMenu& menu) {
    QStringList out;
    for (const TCoverMenuItem& item : menu) {
        if (item.checked) {
            out << item.caption;
        }
        out += checkedIn(item.items);
    }
    return out;
}

const QStringList kBase = {"Bring To Front",
                           "Send To Back",
                           "Cut",
                           "Copy",
                           "Delete",
                           "Clone",
                           "-",
                           "Locked",
                           "Unselectable",
                           "-",
                           "Center Vertically",
                           "Center Horizontally"};

TEST(CoverMenus, ItemsOfEveryClass) {
    RecordingPage page;
    struct Row {
        TGGraphicControl* object;
        QStringList tail;
    };
    auto& roundRect = place<TFaxCoverShapes>(page, QRect(0, 0, 30, 30));
    roundRect.setShape(TShapeType::stRoundSquare);
    const Row rows[] = {
        {&place<TFaxCoverLabel>(page, QRect(0, 0, 30, 30)), {"-", "Font", "Text"}},
        {&place<TFaxCoverSymbol>(page, QRect(0, 0, 30, 30)), {"-", "Symbol Selector"}},
        {&place<TFaxCoverMessage>(page, QRect(0, 0, 30, 30)), {"-", "Font"}},
        {&place<TFaxCoverImportance>(page, QRect(0, 0, 30, 30)), {"-", "Font"}},
        {&place<TFaxCoverField>(page, QRect(0, 0, 30, 30)), {"-", "Font", "Field"}},
        {&place<TFaxCoverShapes>(page, QRect(0, 0, 30, 30)),
         {"-", "Line Thickness", "-", "Transparent", "Filled - White", "Filled - Black"}},
        {&roundRect,
         {"-", "Line Thickness", "-", "Transparent", "Filled - White", "Filled - Black", "-",
          "Degree of Rounding"}},
        {&place<TFaxCoverLine>(page, QRect(0, 0, 30, 30)),
         {"-", "Style", "Line Thickness", "-", "Stretch To Edges"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.object->className().toStdString());
        EXPECT_EQ(captions(r.object->menu()), kBase + r.tail);
    }
    const TCoverMenu& labelMenu = rows[0].object->menu();
    EXPECT_EQ(sub(labelMenu, "Text").tag, kLabelOnlyTag);
    EXPECT_EQ(sub(labelMenu, "Text").action, TCoverMenuAction::Text);
    EXPECT_TRUE(sub(labelMenu, "Locked").checkable);
}

TEST(CoverMenus, SubMenusCarryTheirValuesAsTags) {
    RecordingPage page;
    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 30, 30));
    const TCoverMenuItem& types = sub(field.menu(), "Field");
    EXPECT_EQ(captions(types.items),
              QStringList({"Date", "Time", "Regarding", "Recipient", "Recipient Fax", "Sender",
                           "Sender Company", "Sender Fax", "Sender Phone"}));
    for (std::size_t i = 0; i < types.items.size(); ++i) {
        EXPECT_EQ(types.items[i].tag, static_cast<int>(i));
    }
    auto& shape = place<TFaxCoverShapes>(page, QRect(0, 0, 30, 30));
    shape.setShape(TShapeType::stRoundRect);
    const TCoverMenuItem& thickness = sub(shape.menu(), "Line Thickness");
    ASSERT_EQ(thickness.items.size(), 10U);
    EXPECT_EQ(thickness.items[0].caption, QStringLiteral("1 Point"));
    EXPECT_EQ(thickness.items[9].caption, QStringLiteral("10 Point"));
    EXPECT_EQ(thickness.items[9].tag, 10);
    const TCoverMenuItem& rounding = sub(shape.menu(), "Degree of Rounding");
    EXPECT_EQ(captions(rounding.items),
              QStringList({"20 %", "30 %", "40 %", "50 %", "60 %", "70 %", "80 %"}));
    EXPECT_EQ(rounding.items[6].tag, 80);
    auto& line = place<TFaxCoverLine>(page, QRect(0, 0, 30, 30));
    EXPECT_EQ(captions(sub(line.menu(), "Style").items),
              QStringList({"Horizontal", "Vertical", "Angled Sloping Up", "Angled Sloping Down"}));
}

TEST(CoverMenus, ChoosingItemsChangesTheObjectAndTheChecksFollow) {
    RecordingPage page;
    auto& shape = place<TFaxCoverShapes>(page, QRect(0, 0, 30, 30));
    shape.UpdateMenuChecks();
    EXPECT_EQ(checkedIn(shape.menu()), QStringList({"1 Point", "Transparent"}));
    EXPECT_TRUE(shape.performMenuAction(sub(shape.menu(), "Filled - Black")));
    EXPECT_TRUE(shape.performMenuAction(sub(shape.menu(), "Line Thickness").items[3]));
    EXPECT_TRUE(shape.performMenuAction(sub(shape.menu(), "Locked")));
    EXPECT_EQ(shape.shapeFilltype(), TShapeFillType::sftFilledBlack);
    EXPECT_EQ(shape.pen().width, 4);
    EXPECT_TRUE(shape.locked());
    shape.UpdateMenuChecks();
    EXPECT_EQ(checkedIn(shape.menu()), QStringList({"Locked", "4 Point", "Filled - Black"}));

    auto& line = place<TFaxCoverLine>(page, QRect(0, 0, 30, 30));
    line.performMenuAction(sub(line.menu(), "Style").items[2]);
    line.UpdateMenuChecks();
    EXPECT_EQ(line.lineStyle(), TLineStyle::stAngleSlopingUp);
    EXPECT_EQ(checkedIn(line.menu()), QStringList({"Angled Sloping Up", "1 Point"}));

    auto& field = place<TFaxCoverField>(page, QRect(0, 0, 30, 30));
    field.performMenuAction(sub(field.menu(), "Field").items[8]);
    field.UpdateMenuChecks();
    EXPECT_EQ(field.coverFieldType(), TCoverFieldType::cfSenderVoice);
    EXPECT_EQ(field.caption(), QStringLiteral("[Sender Phone]"));
    EXPECT_EQ(checkedIn(field.menu()), QStringList({"Sender Phone"}));

    // What the page or a dialog does is left to them.
    for (const char* item : {"Bring To Front", "Cut", "Copy", "Delete", "Clone", "Font"}) {
        EXPECT_FALSE(field.performMenuAction(sub(field.menu(), item))) << item;
    }
    EXPECT_TRUE(field.performMenuAction(sub(field.menu(), "Unselectable")));
    EXPECT_TRUE(field.unselectable());
}

}  // namespace
}  // namespace px
