// TGHandle: the selection overlay. A transparent child of the page that covers
// the selected objects and moves or resizes them with the mouse (snapping to
// the grid) and with the arrow keys.
#pragma once

#include <QColor>
#include <QWidget>
#include <optional>
#include <vector>

#include "ui/coverdesign/handle_geometry.h"

namespace px {

class TGBasePanel;
class TGGraphicControl;

class TGHandle : public QWidget {
    Q_OBJECT

public:
    // A press and release closer together than this never move anything.
    static constexpr qint64 kQuickClickMs = 150;
    // A press on an object turns into a drag once the pointer moves this much later.
    static constexpr qint64 kDragStartMs = 10;
    // The size of the overlay at rest.
    static constexpr int kRestSize = 24;

    explicit TGHandle(TGBasePanel& page);

    const std::vector<TGGraphicControl*>& Selection() const;
    QColor Color() const { return color_; }
    QColor SecondaryColor() const { return secondaryColor_; }

    bool Locked() const { return locked_; }
    int GridX() const { return gridX_; }
    int GridY() const { return gridY_; }
    // The effective snap step (1 = no snapping).
    void setGrid(int x, int y);
    // The step the page's grid size asks for, used when snapping is switched on.
    int rememberedGrid() const { return rememberedGrid_; }
    void setRememberedGrid(int step) { rememberedGrid_ = step; }
    bool SnapToGrid() const { return gridX_ > 1 || gridY_ > 1; }
    TResizeZone ResizeZone() const { return zone_; }
    bool dragging() const { return dragging_; }

    void AddToSelection(TGGraphicControl& object);
    void RemoveFromSelection(TGGraphicControl& object);
    // An object left the selection (removed, freed or made unselectable).
    void selectionShrank();
    void ClearSelection();
    void RefitHandle();

    // Sets the overlay's bounds, moving and resizing every selected object
    // that is not locked by the same deltas.
    void setHandleBounds(const QRect& bounds);

    // The candidate rectangle drawn as feedback while dragging or moving with keys.
    std::optional<QRect> feedback() const { return feedback_; }

    // The mouse in overlay coordinates; the page forwards the moves and the
    // release of a press that selected an object.
    void pressAt(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void moveTo(QPoint p, Qt::MouseButtons buttons);
    void releaseAt(QPoint p, Qt::MouseButton button);
    // A press on an object just selected it: the moves and release that follow belong here.
    void captureFrom(QPoint p);
    bool capturing() const { return capturing_; }

    // Arrow keys; false for any other key.
    bool arrowKeyPressed(int key, Qt::KeyboardModifiers modifiers);
    bool arrowKeyReleased(int key);

signals:
    void doubleClicked(QPoint pagePoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    QPoint toPage(QPoint p) const { return p + geometry().topLeft(); }
    QPoint clampedToPage(QPoint p) const;
    void setFeedback(std::optional<QRect> rect);
    void updateLocked();
    void updateCursor();
    void endDrag();

    TGBasePanel& page_;
    QColor color_ = Qt::black;
    QColor secondaryColor_ = QColor(0x80, 0x80, 0x80);
    bool locked_ = false;
    int gridX_ = 1;
    int gridY_ = 1;
    int rememberedGrid_ = 8;
    TResizeZone zone_ = TResizeZone::Move;
    bool dragging_ = false;
    bool capturing_ = false;
    QPoint origin_;
    qint64 pressTime_ = 0;
    std::optional<QRect> feedback_;
    bool keyMoving_ = false;
    QRect keyRect_;
};

}  // namespace px
