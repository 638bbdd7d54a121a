// The arithmetic of the selection overlay: which resize zone the pointer is
// in, the bounds a drag or an arrow key gives, and how the selected objects
// follow the overlay. No widgets, so it can be checked on its own.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace px {

// 0 moves; 1..4 are the corners (top-left, top-right, bottom-left,
// bottom-right); 5..8 the edges (top, left, bottom, right).
enum class TResizeZone : int {
    Move = 0,
    TopLeft = 1,
    TopRight = 2,
    BottomLeft = 3,
    BottomRight = 4,
    Top = 5,
    Left = 6,
    Bottom = 7,
    Right = 8
};

// How near an edge (and the middle of an edge) the pointer picks a zone.
inline constexpr int kZoneEdge = 8;
inline constexpr int kZoneCentre = 6;
// The overlay stands 2 pixels out from the objects and is 5 wider and higher.
inline constexpr int kHandleMargin = 2;
inline constexpr int kHandleGrowth = 5;
// A dragged width or height of this or less becomes kSmallestSide.
inline constexpr int kTooSmallSide = 4;
inline constexpr int kSmallestSide = 5;
// Shift+arrow shrinks only a rectangle wider (higher) than this.
inline constexpr int kKeyShrinkLimit = 10;

// The zone of a point in an overlay of `client` size.
TResizeZone resizeZoneAt(QSize client, QPoint p);

// The overlay bounds a release at `pointer` (overlay coordinates) would give,
// for a drag that started at `origin` on an overlay at `bounds`. Positions
// snap down to the grid; sides of kTooSmallSide or less become kSmallestSide.
QRect draggedBounds(TResizeZone zone, QPoint pointer, QPoint origin, const QRect& bounds, int gridX,
                    int gridY);

// The feedback rectangle drawn for candidate overlay bounds: the objects'
// outline, from (left + 2, top + 2) to (right − 3, bottom − 3) as edges.
QRect feedbackRect(const QRect& bounds);
// Back from a feedback (keyboard) rectangle to overlay bounds.
QRect boundsOfFeedback(const QRect& feedback);

// The overlay bounds around a set of object boxes (their union widened by the margin).
QRect handleBoundsAround(const QRect& objectsUnion);

// An object's bounds after the overlay went from `before` to `after`: moved
// and resized by the same deltas.
QRect followHandle(const QRect& object, const QRect& before, const QRect& after);

enum class TArrowKey { Left, Up, Right, Down };

// One arrow key on the keyboard feedback rectangle. `resize` is Shift with
// exactly one object selected: the right (bottom) edge moves instead.
QRect arrowKeyStep(const QRect& rect, TArrowKey key, bool resize, QSize page);

}  // namespace px
