// TGBasePanel: the design page. It holds the cover objects, paints them
// through one off-screen image, and gives the user rubber-band selection, the
// page menu, alignment, locking, the object clipboard, the grid and zoom.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "cover/objects/cover_page_model.h"
#include "ui/coverdesign/cover_dialogs.h"

class QMenu;

namespace px {

class TGHandle;
class TFaxCoverBaseLabel;
class TFaxCoverLabel;
class TFaxCoverSymbol;

enum class TLabelShapeType { lsRectangle, lsRoundRect, lsEllipse };
enum class TGridSize { gs4x4, gs8x8 };
enum class TClipboardOp { Cut, Copy, Paste, Delete };
enum class TAlignEdge { Left, Right, Top, Bottom };

// The page's objects with the window behind them: repaints and overlay refits
// reach the page.
class TPanelPageModel : public TCoverPageModel {
public:
    explicit TPanelPageModel(class TGBasePanel& panel) : panel_(panel) {}
    void repaint(TGGraphicControl& object) override;
    void requestRefitHandle() override;
    void removeFromSelection(TGGraphicControl& object) override;
    QColor markColor() const override;
    QColor secondaryMarkColor() const override;

private:
    class TGBasePanel& panel_;
};

class TGBasePanel : public QWidget {
    Q_OBJECT

public:
    // A second paste this soon after the first is ignored.
    static constexpr qint64 kPasteGuardMs = 1000;
    static constexpr int kGridDotColor = 0x008000;

    // `programFolder` holds the scratch files "Clipbrd.tmp" and "TempFile.tmp".
    explicit TGBasePanel(const QString& programFolder, QWidget* parent = nullptr);
    ~TGBasePanel() override;

    TCoverPageModel& model() { return model_; }
    const TCoverPageModel& model() const { return model_; }
    TGHandle& handle() const { return *handle_; }
    const std::vector<TGGraphicControl*>& selection() const { return model_.selection(); }

    // --- Properties.
    bool Pointing() const { return pointing_; }
    bool DrawOutline() const { return drawOutline_; }
    void setDrawOutline(bool on);
    bool Printing() const { return model_.printing(); }
    void setPrinting(bool on) { model_.setPrinting(on); }
    TLabelShapeType Shape() const { return shape_; }
    void setShape(TLabelShapeType shape);
    TGridSize GridSize() const { return gridSize_; }
    void setGridSize(TGridSize size);
    bool ShowGrid() const { return showGrid_; }
    void setShowGrid(bool on);
    bool SnapToGrid() const { return snapToGrid_; }
    void setSnapToGrid(bool on);
    float Zoom() const { return model_.zoom(); }
    void SetZoom(float zoom);
    // The font new text objects start with (the designer's default font).
    const TCoverFont& pageFont() const { return pageFont_; }
    void setPageFont(const TCoverFont& font) { pageFont_ = font; }

    std::function<void(const QRect&)> DroppedObjectEvent;
    std::function<void()> LabelChangedEvent;

    // --- Seams for tests and benchmarks.
    void setDialogs(TCoverDialogs* dialogs) { dialogs_ = dialogs; }
    TCoverDialogs& dialogs() const { return *dialogs_; }
    // Milliseconds on a steady clock; the quick-click and paste rules use it.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    qint64 now() const { return clock_(); }
    // How a pop-up menu is shown (default: exec at the point).
    void setMenuPopper(std::function<void(QMenu&, QPoint)> popper) { popper_ = std::move(popper); }

    // --- Objects.
    virtual void DropObject(const QRect& rect);
    // The object's pop-up; the drawing tools' press goes to the page instead.
    void ObjectMouseDown(TGGraphicControl& object, QPoint pagePoint, Qt::MouseButton button,
                         Qt::KeyboardModifiers modifiers);
    virtual void KeepObjectsOnPage();
    virtual void PurgeOffPageObjects();
    void ClearObjects();
    // Takes a new object onto the page as a drawing tool does.
    TGGraphicControl& AddObject(std::unique_ptr<TGGraphicControl> object, const QRect& rect);
    // The topmost selectable object at a page point, if any.
    TGGraphicControl* objectAt(QPoint pagePoint) const;

    // --- Operations of the page menu.
    void ClipboardOperation(TClipboardOp op);
    void BringSelectionToFront();
    void SendSelectionToBack();
    // "Align Left", "Align Right", "Align Tops", "Align Bottoms".
    void alignSelection(TAlignEdge edge);
    void CenterSelectionVertically();
    void CenterSelectionHorizontally();
    void LockAll(bool locked);
    void MarkAllSelectable(bool selectable);
    void SelectAll();
    void FontForSelection();
    QString clipboardPath() const { return clipboardPath_; }

    // --- Operations of an object's menu.
    void BringToFront(TGGraphicControl& object);
    void SendToBack(TGGraphicControl& object);
    void CutObject(TGGraphicControl& object);
    void CopyObject(TGGraphicControl& object);
    void DeleteObject(TGGraphicControl& object);
    TGGraphicControl* CloneObject(TGGraphicControl& source);
    void EditFont(TFaxCoverBaseLabel& object);
    void EditText(TFaxCoverLabel& object);
    void SelectSymbol(TFaxCoverSymbol& object);
    void objectMenuAction(TGGraphicControl& object, const TCoverMenuItem& item);

    // The menus, built as they pop up (enabling and checks set).
    std::unique_ptr<QMenu> pageMenu();
    std::unique_ptr<QMenu> objectMenu(TGGraphicControl& object);
    void popUpPageMenu(QPoint globalPos);
    void popUpObjectMenu(TGGraphicControl& object, QPoint globalPos);

    // Ctrl+C, Ctrl+V, Ctrl+X and Delete; false for other keys.
    bool pageKey(int key, Qt::KeyboardModifiers modifiers);

    // The page as composed off screen (objects, grid, outline), without feedback.
    const QImage& composedPage();
    // Marks the composed image stale and schedules a repaint.
    void invalidatePage();
    // The overlay or rubber band changed its feedback rectangle.
    void setFeedback(std::optional<QRect> rect);
    void scheduleRefit();
    void labelChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void setPointing(bool on) { pointing_ = on; }
    // The objects just read from a file get the page's zoom.
    void adoptZoom(std::size_t firstNew);

private:
    void pagePress(QPoint p, Qt::MouseButton button, QPoint globalPos);
    void finishBand(QPoint p, Qt::KeyboardModifiers modifiers);
    void compose();
    void paintGrid(QPainter& painter) const;
    void paintOutline(QPainter& painter) const;
    // The objects' design stream at zoom 1.0, whatever the page shows.
    std::string unzoomedStream(const std::vector<const TGGraphicControl*>& objects) const;
    void writeClipboard(const std::vector<const TGGraphicControl*>& objects);
    void paste();
    void deleteSelection();

    TPanelPageModel model_;
    TGHandle* handle_;
    std::unique_ptr<TCoverDialogBoxes> ownDialogs_;
    TCoverDialogs* dialogs_;
    std::function<qint64()> clock_;
    std::function<void(QMenu&, QPoint)> popper_;
    QElapsedTimer steady_;
    QString clipboardPath_;
    QString tempFilePath_;

    bool pointing_ = true;
    bool drawOutline_ = false;
    TLabelShapeType shape_ = TLabelShapeType::lsRoundRect;
    TGridSize gridSize_ = TGridSize::gs4x4;
    bool showGrid_ = false;
    bool snapToGrid_ = false;
    TCoverFont pageFont_;

    QImage image_;
    bool imageValid_ = false;
    std::optional<QRect> feedback_;
    bool banding_ = false;
    QPoint bandOrigin_;
    std::optional<qint64> lastPaste_;
    bool refitQueued_ = false;
};

}  // namespace px
