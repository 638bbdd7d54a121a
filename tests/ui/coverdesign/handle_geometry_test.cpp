#include "ui/coverdesign/handle_geometry.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(HandleGeometry, ZonesFollowTheEdgesAndTheirMiddles) {
    const QSize client(45, 45);
    struct Case {
        QPoint p;
        TResizeZone zone;
    };
    const Case cases[] = {
        {{1, 1}, TResizeZone::TopLeft},   {{44, 44}, TResizeZone::BottomRight},
        {{44, 1}, TResizeZone::TopRight}, {{1, 44}, TResizeZone::BottomLeft},
        {{22, 2}, TResizeZone::Top},      {{22, 43}, TResizeZone::Bottom},
        {{2, 22}, TResizeZone::Left},     {{43, 22}, TResizeZone::Right},
        {{22, 22}, TResizeZone::Move},    {{12, 2}, TResizeZone::Move},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resizeZoneAt(client, c.p), c.zone) << c.p.x() << "," << c.p.y();
    }
}

TEST(HandleGeometry, DraggedBoundsSnapDownAndNeverGetThinnerThanFive) {
    const QRect bounds(98, 98, 45, 45);
    // A move by (+13, +7) on an 8-pixel grid lands on multiples of 8, truncated.
    EXPECT_EQ(draggedBounds(TResizeZone::Move, {33, 27}, {20, 20}, bounds, 8, 8),
              QRect(104, 104, 45, 45));
    // Without a grid the move is exact.
    EXPECT_EQ(draggedBounds(TResizeZone::Move, {33, 27}, {20, 20}, bounds, 1, 1),
              QRect(111, 105, 45, 45));
    // The right edge dragged to a width of 2 gives 5; the bottom edge likewise.
    EXPECT_EQ(draggedBounds(TResizeZone::Right, {2, 22}, {44, 22}, bounds, 1, 1).width(), 5);
    EXPECT_EQ(draggedBounds(TResizeZone::Bottom, {22, 3}, {22, 44}, bounds, 1, 1).height(), 5);
    // The top-left corner keeps the bottom-right corner where it was.
    const QRect tl = draggedBounds(TResizeZone::TopLeft, {10, 5}, {0, 0}, bounds, 1, 1);
    EXPECT_EQ(tl.left() + tl.width(), bounds.left() + bounds.width());
    EXPECT_EQ(tl.top() + tl.height(), bounds.top() + bounds.height());
    // A negative target truncates toward zero, as the grid step's division does.
    EXPECT_EQ(draggedBounds(TResizeZone::Move, {0, 0}, {20, 20}, QRect(5, 5, 45, 45), 8, 8).left(),
              -8);
}

TEST(HandleGeometry, GroupFollowsTheOverlayByTheSameDeltas) {
    const QRect before(98, 98, 45, 45);
    const QRect after(110, 90, 55, 45);
    EXPECT_EQ(followHandle(QRect(100, 100, 40, 40), before, after), QRect(112, 92, 50, 40));
    EXPECT_EQ(followHandle(QRect(120, 110, 20, 10), before, after), QRect(132, 102, 30, 10));
}

TEST(HandleGeometry, ArrowKeysMoveOrResizeWithinTheLimits) {
    const QSize page(768, 960);
    const QRect narrow = feedbackRect(QRect(98, 98, 13, 20));  // an object 8 wide
    EXPECT_EQ(narrow.width(), 9);
    EXPECT_EQ(arrowKeyStep(narrow, TArrowKey::Left, true, page), narrow);
    const QRect wide = feedbackRect(QRect(98, 98, 45, 45));
    EXPECT_EQ(arrowKeyStep(wide, TArrowKey::Left, true, page).width(), wide.width() - 1);
    EXPECT_EQ(arrowKeyStep(wide, TArrowKey::Right, true, page).width(), wide.width() + 1);
    EXPECT_EQ(arrowKeyStep(wide, TArrowKey::Left, false, page).left(), wide.left() - 1);
    EXPECT_EQ(arrowKeyStep(wide, TArrowKey::Down, false, page).top(), wide.top() + 1);
    // Nothing moves off the top-left corner.
    const QRect corner(0, 0, 20, 20);
    EXPECT_EQ(arrowKeyStep(corner, TArrowKey::Left, false, page), corner);
    EXPECT_EQ(arrowKeyStep(corner, TArrowKey::Up, false, page), corner);
    // Keyboard rectangle and overlay bounds convert into each other.
    EXPECT_EQ(boundsOfFeedback(feedbackRect(QRect(98, 98, 45, 45))), QRect(98, 98, 45, 45));
}

}  // namespace
}  // namespace px
