#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "cover/io/g_label_object_filer.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"
#include "ui/coverdesign/fake_cover_dialogs.h"
#include "ui/coverdesign/fax_cover_panel.h"
#include "ui/coverdesign/g_handle.h"

namespace px {
namespace {

class DesignPage : public ::testing::Test {
protected:
    test::TempDir folder;
    test::TFakeCoverDialogs dialogs;
    test::TTestClock clock;
    std::unique_ptr<TFaxCoverPanel> page;
    int changes = 0;

    void SetUp() override {
        page = std::make_unique<TFaxCoverPanel>(QString::fromStdString(folder.path()));
        page->setDialogs(&dialogs);
        clock.install(*page);
        page->LabelChangedEvent = [this] { ++changes; };
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    }

    TGGraphicControl& rectangle(const QRect& r) {
        return page->AddObject(std::make_unique<TFaxCoverShapes>(), r);
    }

    // A left click on an object at the page point, press and release far apart in time.
    void select(QPoint at, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(page.get(), Qt::LeftButton, mods, at);
        clock.now += 500;
        QTest::mouseRelease(page.get(), Qt::LeftButton, mods, at);
        clock.now += 500;
    }

    // A drag on the overlay from `from` to `to` (overlay coordinates), taking `ms`.
    void dragOverlay(QPoint from, QPoint to, qint64 ms) {
        TGHandle& h = page->handle();
        QTest::mouseMove(&h, from);
        QTest::mousePress(&h, Qt::LeftButton, {}, from);
        clock.now += ms / 2;
        QTest::mouseMove(&h, to);
        clock.now += ms - ms / 2;
        QTest::mouseRelease(&h, Qt::LeftButton, {}, to);
        clock.now += 1000;
    }

    void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyPress(w, k, mods);
        QTest::keyRelease(w, k, mods);
    }

    QAction* pageMenuItem(QMenu& menu, const QString& caption) {
        for (QAction* a : menu.actions()) {
            if (a->text() == caption) {
                return a;
            }
        }
        return nullptr;
    }
};

TEST_F(DesignPage, DrawingToolsMakeTheirObjectsFromTheDroppedRectangle) {
    QRect dropped;
    page->DroppedObjectEvent = [&](const QRect& r) { dropped = r; };
    page->setPanelState(TLPanelState::psLabel);
    QTest::mousePress(page.get(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(page.get(), QPoint(102, 102));
    QTest::mouseRelease(page.get(), Qt::LeftButton, {}, QPoint(102, 102));
    ASSERT_EQ(page->model().count(), 1u);
    auto* label = dynamic_cast<TFaxCoverLabel*>(page->model().objects().front().get());
    ASSERT_NE(label, nullptr);
    // 3 × 3 becomes 50 × 15; the text dialog was cancelled, so nothing refits it.
    EXPECT_EQ(label->boundsRect(), QRect(100, 100, 50, 15));
    EXPECT_EQ(label->caption(), QStringLiteral("<text>"));
    EXPECT_EQ(label->name(), QStringLiteral("Special1"));
    EXPECT_EQ(dialogs.textDialogs, 1);
    EXPECT_EQ(dropped, QRect(100, 100, 3, 3));
    EXPECT_GT(changes, 0);

    // A field grows to its caption; a line stands upright.
    page->setPanelState(TLPanelState::psField);
    page->DropObject(QRect(10, 300, 3, 3));
    const TGGraphicControl& field = *page->model().objects().back();
    EXPECT_GE(field.width(), 50);
    EXPECT_EQ(field.name(), QStringLiteral("Special2"));
    page->setPanelState(TLPanelState::psLine);
    page->DropObject(QRect(10, 400, 100, 40));
    auto* line = dynamic_cast<TFaxCoverLine*>(page->model().objects().back().get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->lineStyle(), TLineStyle::stVertical);
    EXPECT_EQ(line->boundsRect(), QRect(10, 400, 100, 40));
}

TEST_F(DesignPage, AQuickClickNeverMovesButASlowDragDoes) {
    TGGraphicControl& o = rectangle(QRect(100, 100, 40, 40));
    select(QPoint(120, 120));
    ASSERT_EQ(page->selection().size(), 1u);
    EXPECT_EQ(page->handle().geometry().topLeft(), QPoint(98, 98));

    dragOverlay(QPoint(20, 20), QPoint(50, 50), 100);
    EXPECT_EQ(o.boundsRect(), QRect(100, 100, 40, 40));
    EXPECT_EQ(page->selection().size(), 1u);

    dragOverlay(QPoint(20, 20), QPoint(50, 50), 300);
    EXPECT_EQ(o.boundsRect(), QRect(130, 130, 40, 40));
    EXPECT_FALSE(page->handle().feedback().has_value());
}

TEST_F(DesignPage, PressingAnObjectAndDraggingMovesItOnceTheDragHasStarted) {
    TGGraphicControl& o = rectangle(QRect(200, 200, 40, 40));
    QTest::mousePress(page.get(), Qt::LeftButton, {}, QPoint(210, 210));
    clock.now += 100;
    QTest::mouseMove(page.get(), QPoint(230, 215));
    EXPECT_TRUE(page->handle().dragging());
    EXPECT_TRUE(page->handle().feedback().has_value());
    clock.now += 200;
    QTest::mouseRelease(page.get(), Qt::LeftButton, {}, QPoint(230, 215));
    EXPECT_EQ(o.boundsRect().topLeft(), QPoint(220, 205));
}

TEST_F(DesignPage, SnappingToTheEightGridPutsObjectsOnTheDots) {
    page->setGridSize(TGridSize::gs8x8);
    page->setSnapToGrid(true);
    EXPECT_EQ(page->handle().GridX(), 8);
    TGGraphicControl& o = rectangle(QRect(101, 103, 40, 40));
    select(QPoint(120, 120));
    dragOverlay(QPoint(20, 20), QPoint(33, 27), 300);
    const QRect overlay = page->handle().geometry();
    EXPECT_EQ(overlay.left() % 8, 0);
    EXPECT_EQ(overlay.top() % 8, 0);
    EXPECT_EQ(o.left() % 8, 2);
    EXPECT_EQ(o.top() % 8, 2);
    page->setSnapToGrid(false);
    EXPECT_EQ(page->handle().GridX(), 1);
}

TEST_F(DesignPage, ResizingToAWidthOfTwoGivesFive) {
    TGGraphicControl& o = rectangle(QRect(100, 100, 40, 40));
    select(QPoint(120, 120));
    TGHandle& h = page->handle();
    QTest::mouseMove(&h, QPoint(44, 22));
    EXPECT_EQ(h.ResizeZone(), TResizeZone::Right);
    dragOverlay(QPoint(44, 22), QPoint(2, 22), 300);
    EXPECT_EQ(h.geometry().width(), 5);
    // The object shrinks by the same amount but keeps a size, so a save keeps it.
    EXPECT_GE(o.width(), 1);
    page->PurgeOffPageObjects();
    EXPECT_EQ(page->model().count(), 1u);
}

TEST_F(DesignPage, ArrowKeysMoveOnReleaseAndShiftResizesOnlyWideObjects) {
    // New objects are at least 10 wide; this one was narrowed since.
    TGGraphicControl& narrow = rectangle(QRect(100, 100, 10, 30));
    narrow.setWidth(8);
    select(QPoint(104, 110));
    TGHandle& h = page->handle();
    key(&h, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(narrow.boundsRect(), QRect(100, 100, 8, 30));

    QTest::keyPress(&h, Qt::Key_Right);
    EXPECT_EQ(narrow.left(), 100);  // only the feedback moves until the key comes up
    QTest::keyRelease(&h, Qt::Key_Right);
    EXPECT_EQ(narrow.left(), 101);

    TGGraphicControl& wide = rectangle(QRect(300, 300, 40, 30));
    select(QPoint(320, 310));
    key(&h, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(wide.boundsRect(), QRect(300, 300, 39, 30));
    key(&h, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(wide.boundsRect(), QRect(300, 300, 39, 31));
}

TEST_F(DesignPage, GroupsMoveTogetherAndLockedObjectsStay) {
    TGGraphicControl& a = rectangle(QRect(100, 100, 40, 40));
    TGGraphicControl& b = rectangle(QRect(200, 150, 20, 20));
    TGGraphicControl& locked = rectangle(QRect(300, 100, 20, 20));
    locked.setLocked(true);
    // Rubber band over all three.
    QTest::mousePress(page.get(), Qt::LeftButton, {}, QPoint(90, 90));
    QTest::mouseMove(page.get(), QPoint(400, 300));
    QTest::mouseRelease(page.get(), Qt::LeftButton, {}, QPoint(400, 300));
    ASSERT_EQ(page->selection().size(), 3u);
    page->handle().setHandleBounds(page->handle().geometry().translated(10, 5));
    EXPECT_EQ(a.boundsRect().topLeft(), QPoint(110, 105));
    EXPECT_EQ(b.boundsRect().topLeft(), QPoint(210, 155));
    EXPECT_EQ(locked.boundsRect().topLeft(), QPoint(300, 100));

    // Shift and a band over b alone takes it out of the selection.
    QTest::mousePress(page.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(205, 500));
    QTest::mouseMove(page.get(), QPoint(215, 160));
    QTest::mouseRelease(page.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(215, 160));
    EXPECT_EQ(page->selection().size(), 2u);
    EXPECT_FALSE(page->model().isSelected(b));
}

TEST_F(DesignPage, PastingTwiceWithinASecondInsertsOnce) {
    rectangle(QRect(100, 100, 40, 40));
    select(QPoint(120, 120));
    TGHandle& h = page->handle();
    key(&h, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(page->clipboardPath()));
    key(&h, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(page->model().count(), 2u);
    EXPECT_EQ(page->model().objects().back()->boundsRect(), QRect(115, 115, 40, 40));
    clock.now += 400;
    key(&h, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(page->model().count(), 2u);
    clock.now += 1000;
    key(&h, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(page->model().count(), 3u);

    // Delete takes the selection away; the scratch files go with the page.
    select(QPoint(120, 120));
    key(&h, Qt::Key_Delete);
    EXPECT_EQ(page->model().count(), 2u);
    const QString clipboard = page->clipboardPath();
    page.reset();
    EXPECT_FALSE(QFile::exists(clipboard));
}

TEST_F(DesignPage, PageMenuEnablesWhatTheSelectionAndClipboardAllow) {
    auto menu = page->pageMenu();
    QStringList captions;
    for (QAction* a : menu->actions()) {
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(captions.join('|').toStdString(),
              "Bring To Front|Send To Back|-|Cut|Copy|Paste|-|Delete|-|Align Left|Align Right|"
              "Align Tops|Align Bottoms|-|Center Vertically|Center Horizontally|-|Lock All|"
              "Unlock All|-|Mark All Selectable|Mark All Unselectable|Select All|-|Font");
    EXPECT_FALSE(pageMenuItem(*menu, "Cut")->isEnabled());
    EXPECT_FALSE(pageMenuItem(*menu, "Paste")->isEnabled());
    EXPECT_FALSE(pageMenuItem(*menu, "Lock All")->isEnabled());
    EXPECT_TRUE(pageMenuItem(*menu, "Select All")->isEnabled());

    TGGraphicControl& a = rectangle(QRect(100, 100, 40, 40));
    TGGraphicControl& b = rectangle(QRect(300, 200, 20, 60));
    page->SelectAll();
    page->ClipboardOperation(TClipboardOp::Copy);
    menu = page->pageMenu();
    EXPECT_TRUE(pageMenuItem(*menu, "Cut")->isEnabled());
    EXPECT_TRUE(pageMenuItem(*menu, "Paste")->isEnabled());
    EXPECT_TRUE(pageMenuItem(*menu, "Lock All")->isEnabled());

    pageMenuItem(*menu, "Align Right")->trigger();
    EXPECT_EQ(a.left() + a.width(), 320);
    EXPECT_EQ(b.left() + b.width(), 320);
    pageMenuItem(*page->pageMenu(), "Align Tops")->trigger();
    EXPECT_EQ(a.top(), 100);
    EXPECT_EQ(b.top(), 100);
    pageMenuItem(*page->pageMenu(), "Lock All")->trigger();
    EXPECT_TRUE(a.locked() && b.locked());
    pageMenuItem(*page->pageMenu(), "Mark All Unselectable")->trigger();
    EXPECT_TRUE(page->selection().empty());
    EXPECT_FALSE(page->handle().isVisible());
}

TEST_F(DesignPage, ObjectMenuClonesBelowAndHandsOverTheSelection) {
    TGGraphicControl& source = rectangle(QRect(100, 100, 40, 40));
    select(QPoint(120, 120));
    bool popped = false;
    page->setMenuPopper([&](QMenu& menu, QPoint) {
        popped = true;
        for (QAction* a : menu.actions()) {
            if (a->text() == QStringLiteral("Clone")) {
                a->trigger();
            }
        }
    });
    QTest::mouseClick(&page->handle(), Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(popped);
    ASSERT_EQ(page->model().count(), 2u);
    const TGGraphicControl& clone = *page->model().objects().back();
    EXPECT_EQ(clone.boundsRect(), QRect(100, 125, 40, 40));
    EXPECT_TRUE(clone.name().startsWith(QStringLiteral("Component")));
    EXPECT_FALSE(page->model().isSelected(source));
    EXPECT_TRUE(page->model().isSelected(clone));
}

TEST_F(DesignPage, FieldTypeFromTheMenuGrowsButNeverShrinks) {
    page->setPanelState(TLPanelState::psField);
    page->DropObject(QRect(10, 10, 3, 3));
    auto& field = dynamic_cast<TFaxCoverField&>(*page->model().objects().back());
    const int dateWidth = field.width();
    page->setMenuPopper([&](QMenu& menu, QPoint) {
        for (QAction* a : menu.actions()) {
            if (a->menu() != nullptr && a->text() == QStringLiteral("Field")) {
                for (QAction* sub : a->menu()->actions()) {
                    if (sub->text() == QStringLiteral("Sender Company")) {
                        sub->trigger();
                    }
                }
            }
        }
    });
    page->popUpObjectMenu(field, QPoint());
    EXPECT_EQ(field.caption(), QStringLiteral("[Sender Company]"));
    EXPECT_GT(field.width(), dateWidth);
    const int longWidth = field.width();
    field.chooseFieldType(TCoverFieldType::cfDate);
    EXPECT_EQ(field.width(), longWidth);
}

TEST_F(DesignPage, EditedFontsTurnBlackUnlessWhite) {
    auto& label = static_cast<TFaxCoverLabel&>(
        page->AddObject(std::make_unique<TFaxCoverLabel>(), QRect(10, 10, 60, 20)));
    TCoverFont red = label.font();
    red.color = 0x0000FF;
    dialogs.fonts.push_back(red);
    page->EditFont(label);
    EXPECT_FALSE(dialogs.lastFontHadEffects);
    EXPECT_EQ(label.font().color, clBlack);
    TCoverFont white = label.font();
    white.color = clWhite;
    dialogs.fonts.push_back(white);
    page->EditFont(label);
    EXPECT_EQ(label.font().color, clWhite);

    // The page's Font reaches every selected text object.
    page->SelectAll();
    TCoverFont big = label.font();
    big.setSize(20);
    dialogs.fonts.push_back(big);
    page->FontForSelection();
    EXPECT_TRUE(dialogs.lastFontHadEffects);
    EXPECT_EQ(label.font().size(), 20);
}

TEST_F(DesignPage, ZoomScalesThePageAndCopiesKeepTheirSize) {
    TGGraphicControl& o = rectangle(QRect(101, 101, 41, 41));
    page->SetZoom(0.5F);
    EXPECT_EQ(page->size(), QSize(384, 480));
    // 50.5 and 20.5 round to the even neighbours.
    EXPECT_EQ(o.boundsRect(), QRect(50, 50, 20, 20));
    select(QPoint(55, 55));
    TGGraphicControl* clone = page->CloneObject(o);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->boundsRect().size(), o.boundsRect().size());
    EXPECT_EQ(clone->Zoom(), 0.5F);
    page->SetZoom(1.0F);
    EXPECT_EQ(o.boundsRect(), QRect(100, 100, 40, 40));
    EXPECT_EQ(clone->boundsRect().size(), QSize(40, 40));
}

TEST_F(DesignPage, GridDotsAreGreenEveryFourPixels) {
    page->setShowGrid(true);
    const QImage& image = page->composedPage();
    const QColor green(0x00, 0x80, 0x00);
    EXPECT_EQ(image.pixelColor(2, 2), green);
    EXPECT_EQ(image.pixelColor(6, 10), green);
    EXPECT_EQ(image.pixelColor(3, 2), QColor(Qt::white));
    page->setGridSize(TGridSize::gs8x8);
    const QImage& coarse = page->composedPage();
    EXPECT_EQ(coarse.pixelColor(10, 10), green);
    EXPECT_EQ(coarse.pixelColor(6, 10), QColor(Qt::white));
}

TEST_F(DesignPage, KeepAndPurgeLookAtTheEdges) {
    TGGraphicControl& low = rectangle(QRect(10, 955, 20, 20));
    rectangle(QRect(760, 10, 20, 20));
    rectangle(QRect(10, 10, 20, 20));
    page->KeepObjectsOnPage();
    EXPECT_EQ(low.top(), 950);
    EXPECT_EQ(page->model().objects()[1]->left(), 748);
    page->model().objects()[1]->setLeft(759);
    page->PurgeOffPageObjects();
    EXPECT_EQ(page->model().count(), 2u);
}

TEST_F(DesignPage, FrontAndBackChangeTheDrawingOrderUnlessTheSelectionIsLocked) {
    TGGraphicControl& a = rectangle(QRect(10, 10, 40, 40));
    TGGraphicControl& b = rectangle(QRect(20, 20, 40, 40));
    page->BringToFront(a);
    EXPECT_EQ(page->model().objects().back().get(), &a);
    select(QPoint(15, 15));
    page->SendToBack(a);
    EXPECT_EQ(page->model().objects().front().get(), &a);
    EXPECT_TRUE(page->selection().empty());
    b.setLocked(true);
    select(QPoint(55, 55));
    ASSERT_TRUE(page->handle().Locked());
    page->SendSelectionToBack();
    EXPECT_EQ(page->model().objects().back().get(), &b);
    // A locked selection is not dragged either.
    dragOverlay(QPoint(20, 20), QPoint(40, 40), 300);
    EXPECT_EQ(b.boundsRect().topLeft(), QPoint(20, 20));
}

TEST_F(DesignPage, UnselectableObjectsLetThePressThroughToThePage) {
    TGGraphicControl& o = rectangle(QRect(100, 100, 40, 40));
    o.setUnselectable(true);
    select(QPoint(120, 120));
    EXPECT_TRUE(page->selection().empty());
    // A rubber band round it does not select it either.
    QTest::mousePress(page.get(), Qt::LeftButton, {}, QPoint(90, 90));
    QTest::mouseMove(page.get(), QPoint(150, 150));
    QTest::mouseRelease(page.get(), Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_TRUE(page->selection().empty());
    EXPECT_FALSE(page->handle().isVisible());
}

TEST_F(DesignPage, DoubleClickAndRightClickOpenTheRightMenus) {
    rectangle(QRect(100, 100, 40, 40));
    rectangle(QRect(300, 100, 40, 40));
    QStringList shown;
    page->setMenuPopper([&](QMenu& menu, QPoint) { shown << menu.objectName(); });
    QTest::mouseDClick(page.get(), Qt::LeftButton, {}, QPoint(120, 120));
    QTest::mouseClick(page.get(), Qt::RightButton, {}, QPoint(500, 500));
    page->SelectAll();
    QTest::mouseClick(&page->handle(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(shown, (QStringList{"ObjectPopupMenu", "PagePopupMenu", "PagePopupMenu"}));
}

TEST_F(DesignPage, EveryControlHasAName) {
    rectangle(QRect(10, 10, 20, 20));
    select(QPoint(15, 15));
    EXPECT_EQ(test::unnamedControls(page.get()), "");
}

}  // namespace
}  // namespace px
