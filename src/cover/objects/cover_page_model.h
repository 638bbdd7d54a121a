// TCoverPageModel: the objects of one cover page in drawing order, with the
// selection and zoom they are shown at, but no window. The design page window
// builds on it; the files, the renderer's tools and the tests use it alone.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "cover/objects/g_graphic_control.h"

namespace px {

// The page at zoom 1.0: 8 × 10 inches at 96 pixels per inch.
inline constexpr int kDesignPageWidth = 768;
inline constexpr int kDesignPageHeight = 960;

class TCoverPageModel : public TCoverObjectHost {
public:
    TCoverPageModel();
    ~TCoverPageModel() override;

    // Objects back to front.
    const std::vector<std::unique_ptr<TGGraphicControl>>& objects() const { return objects_; }
    std::size_t count() const { return objects_.size(); }
    TGGraphicControl* find(const QString& name) const;

    // Takes `object` onto the page on top of the drawing order (no renaming).
    TGGraphicControl& insert(std::unique_ptr<TGGraphicControl> object);
    // What a drawing tool does with a new object: name "Special" + n, bounds
    // from `rect` with width ≥ 10 and height ≥ 15, the page's zoom.
    TGGraphicControl& AddObject(std::unique_ptr<TGGraphicControl> object, const QRect& rect);
    // Frees one object (leaving the selection first).
    void remove(TGGraphicControl& object);
    void ClearObjects();
    void BringToFront(TGGraphicControl& object);
    void SendToBack(TGGraphicControl& object);
    // Drops the objects past the bottom or right edge or without size.
    void PurgeOffPageObjects();
    // The first prefix + n (n = 1 … 1000) that names no object; empty if none is free.
    QString UniqueName(const QString& prefix) const;

    // Selection, in the order objects were added to it.
    const std::vector<TGGraphicControl*>& selection() const { return selection_; }
    void AddToSelection(TGGraphicControl& object);
    void ClearSelection();

    float zoom() const { return zoom_; }
    void SetZoom(float zoom);
    void setPrinting(bool printing) { printing_ = printing; }

    // Called on every change of the design (LabelChangedEvent).
    void setOnLabelChanged(std::function<void()> handler) { onLabelChanged_ = std::move(handler); }

    // TCoverObjectHost
    QSize pageSize() const override { return pageSize_; }
    bool isSelected(const TGGraphicControl& object) const override;
    int selectionCount() const override { return static_cast<int>(selection_.size()); }
    void removeFromSelection(TGGraphicControl& object) override;
    QColor markColor() const override { return markColor_; }
    QColor secondaryMarkColor() const override { return secondaryMarkColor_; }
    bool printing() const override { return printing_; }
    bool zooming() const override { return zooming_; }
    void labelChanged() override;
    void repaint(TGGraphicControl&) override {}
    void requestRefitHandle() override {}
    bool ownsComponentNamed(const QString& name) const override;

private:
    std::vector<std::unique_ptr<TGGraphicControl>> objects_;
    std::vector<TGGraphicControl*> selection_;
    QSize pageSize_{kDesignPageWidth, kDesignPageHeight};
    float zoom_ = 1.0F;
    bool printing_ = false;
    bool zooming_ = false;
    QColor markColor_ = Qt::black;
    QColor secondaryMarkColor_ = QColor(0x80, 0x80, 0x80);
    std::function<void()> onLabelChanged_;
};

// Creates an object of a design-file class name; nullptr for any other name.
std::unique_ptr<TGGraphicControl> createCoverObject(const QString& className);

}  // namespace px
