#include "ui/coverdesign/handle_geometry.h"

#include <algorithm>

namespace px {

namespace {

// Integer division truncating toward zero, then back to a multiple of the step.
int snap(int v, int step) {
    return step * (v / step);
}

int atLeastSmallest(int side) {
    return side <= kTooSmallSide ? kSmallestSide : side;
}

}  // namespace

TResizeZone resizeZoneAt(QSize client, QPoint p) {
    const int w = client.width();
    const int h = client.height();
    const bool nearLeft = p.x() < kZoneEdge;
    const bool nearRight = p.x() >= w - kZoneEdge;
    const bool nearTop = p.y() < kZoneEdge;
    const bool nearBottom = p.y() >= h - kZoneEdge;
    const bool midX = std::abs(p.x() - w / 2) <= kZoneCentre;
    const bool midY = std::abs(p.y() - h / 2) <= kZoneCentre;
    if (nearLeft && nearTop) {
        return TResizeZone::TopLeft;
    }
    if (nearRight && nearBottom) {
        return TResizeZone::BottomRight;
    }
    if (nearRight && nearTop) {
        return TResizeZone::TopRight;
    }
    if (nearLeft && nearBottom) {
        return TResizeZone::BottomLeft;
    }
    if (midX && nearTop) {
        return TResizeZone::Top;
    }
    if (midX && nearBottom) {
        return TResizeZone::Bottom;
    }
    if (midY && nearLeft) {
        return TResizeZone::Left;
    }
    if (midY && nearRight) {
        return TResizeZone::Right;
    }
    return TResizeZone::Move;
}

QRect draggedBounds(TResizeZone zone, QPoint pointer, QPoint origin, const QRect& bounds, int gridX,
                    int gridY) {
    const int a = pointer.x();
    const int b = pointer.y();
    const int ox = origin.x();
    const int oy = origin.y();
    const int L = bounds.left();
    const int T = bounds.top();
    const int W = bounds.width();
    const int H = bounds.height();
    const int movedLeft = snap(a + L - ox, gridX);
    const int movedTop = snap(b + T - oy, gridY);
    const int rightWidth = snap(a + W - ox, gridX) - 1;
    const int bottomHeight = snap(b + H - oy, gridY) - 1;
    int left = L;
    int top = T;
    int width = W;
    int height = H;
    switch (zone) {
        case TResizeZone::Move:
            left = movedLeft;
            top = movedTop;
            break;
        case TResizeZone::TopLeft:
            left = movedLeft;
            top = movedTop;
            width = W + L - left;
            height = H + T - top;
            break;
        case TResizeZone::TopRight:
            top = movedTop;
            width = rightWidth;
            height = H + T - top;
            break;
        case TResizeZone::BottomLeft:
            left = movedLeft;
            width = W + L - left;
            height = bottomHeight;
            break;
        case TResizeZone::BottomRight:
            width = rightWidth;
            height = bottomHeight;
            break;
        case TResizeZone::Top:
            top = movedTop;
            height = H + T - top;
            break;
        case TResizeZone::Left:
            left = movedLeft;
            width = W + L - left;
            break;
        case TResizeZone::Bottom:
            height = bottomHeight;
            break;
        case TResizeZone::Right:
            width = rightWidth;
            break;
    }
    return {left, top, atLeastSmallest(width), atLeastSmallest(height)};
}

QRect feedbackRect(const QRect& bounds) {
    return QRect(QPoint(bounds.left() + kHandleMargin, bounds.top() + kHandleMargin),
                 QPoint(bounds.left() + bounds.width() - 3, bounds.top() + bounds.height() - 3));
}

QRect boundsOfFeedback(const QRect& feedback) {
    return {feedback.left() - kHandleMargin, feedback.top() - kHandleMargin,
            feedback.width() + kHandleGrowth - 1, feedback.height() + kHandleGrowth - 1};
}

QRect handleBoundsAround(const QRect& objectsUnion) {
    return {objectsUnion.left() - kHandleMargin, objectsUnion.top() - kHandleMargin,
            objectsUnion.width() + kHandleGrowth, objectsUnion.height() + kHandleGrowth};
}

QRect followHandle(const QRect& object, const QRect& before, const QRect& after) {
    return {after.left() + object.left() - before.left(), after.top() + object.top() - before.top(),
            object.width() + after.width() - before.width(),
            object.height() + after.height() - before.height()};
}

QRect arrowKeyStep(const QRect& rect, TArrowKey key, bool resize, QSize page) {
    QRect r = rect;
    switch (key) {
        case TArrowKey::Left:
            if (resize) {
                if (r.width() > kKeyShrinkLimit) {
                    r.setRight(r.right() - 1);
                }
            } else if (r.left() > 0) {
                r.translate(-1, 0);
            }
            break;
        case TArrowKey::Up:
            if (resize) {
                if (r.height() > kKeyShrinkLimit) {
                    r.setBottom(r.bottom() - 1);
                }
            } else if (r.top() > 0) {
                r.translate(0, -1);
            }
            break;
        case TArrowKey::Right:
            if (r.width() + r.left() <= page.width()) {
                if (resize) {
                    r.setRight(r.right() + 1);
                } else {
                    r.translate(1, 0);
                }
            }
            break;
        case TArrowKey::Down:
            if (r.height() + r.top() <= page.height()) {
                if (resize) {
                    r.setBottom(r.bottom() + 1);
                } else {
                    r.translate(0, 1);
                }
            }
            break;
    }
    return r;
}

}  // namespace px
