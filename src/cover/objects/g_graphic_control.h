// TGGraphicControl: a windowless cover object that paints itself on the page.
#pragma once

#include <QRect>
#include <QString>
#include <memory>

#include "cover/objects/cover_menu.h"
#include "cover/objects/cover_object_host.h"
#include "cover/objects/cover_types.h"

class QPainter;

namespace px {

// The seven classes a design file may name, in the render list's kind order.
enum class TCoverObjectClass { Label, Symbol, Shapes, Line, Importance, Field, Message };

class TGGraphicControl {
public:
    TGGraphicControl();
    virtual ~TGGraphicControl();
    TGGraphicControl(const TGGraphicControl&) = delete;
    TGGraphicControl& operator=(const TGGraphicControl&) = delete;

    virtual TCoverObjectClass objectClass() const = 0;
    // The class name the design files store ("TFaxCoverLabel", …).
    QString className() const;

    TCoverObjectHost* host() const { return host_; }
    void setHost(TCoverObjectHost* host) { host_ = host; }

    // Persisted properties.
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    int left() const { return bounds_.left(); }
    int top() const { return bounds_.top(); }
    int width() const { return bounds_.width(); }
    int height() const { return bounds_.height(); }
    QRect boundsRect() const { return bounds_; }
    void setLeft(int v) { setBounds(v, top(), width(), height()); }
    void setTop(int v) { setBounds(left(), v, width(), height()); }
    void setWidth(int v) { setBounds(left(), top(), v, height()); }
    void setHeight(int v) { setBounds(left(), top(), width(), v); }
    // Every change of position or size ends here; outside loading it runs BoundsChanged.
    void setBounds(int left, int top, int width, int height);
    int cursor() const { return cursor_; }
    void setCursor(int cursor) { cursor_ = cursor; }
    const QString& hint() const { return hint_; }
    void setHint(const QString& hint) { hint_ = hint; }
    bool locked() const { return locked_; }
    // Re-checks the "Locked" menu item and reports the change.
    void setLocked(bool locked);
    bool unselectable() const { return unselectable_; }
    // True also takes the object out of the selection.
    void setUnselectable(bool unselectable);

    // Zoom: the factor the bounds and font sizes are shown at.
    float Zoom() const { return zoom_; }
    // Scales the bounds from the current zoom to `zoom` (rounded to nearest).
    void SetObjectZoom(float zoom);

    // A new object is loading: bounds changes are taken as they are. Loaded
    // ends that (the page calls it when it takes the object): the object
    // becomes interactive and its menu is built.
    void beginLoading() { loading_ = true; }
    void Loaded();
    bool loading() const { return loading_; }

    virtual void BoundsChanged();
    virtual void UpdateMenuChecks();
    virtual void ApplyFont(const TCoverFont& font);
    void NotifyChanged();
    void CenterVertically();
    void CenterHorizontally();

    // The pop-up menu (empty until loading has ended).
    const TCoverMenu& menu() const { return menu_; }
    TCoverMenu& menu() { return menu_; }
    // Carries out a chosen menu item that concerns this object alone and returns
    // true; returns false for what the page or a dialog must do (bring to front,
    // send to back, cut, copy, delete, clone, font, text, symbol selector).
    virtual bool performMenuAction(const TCoverMenuItem& item);

    // Paints the object at its place on the page, then its selection marks.
    void paint(QPainter& page) const;
    void DrawSelectionMarks(QPainter& page) const;

protected:
    // Paints in the object's own coordinates, clipped to its client rectangle.
    virtual void paintContent(QPainter& painter) const = 0;
    // Builds the menu: base items here, per-class changes in the overrides.
    virtual void buildMenu(TCoverMenu& menu);
    void repaint();

private:
    TCoverObjectHost* host_ = nullptr;
    QString name_;
    int tag_ = 0;
    QRect bounds_;
    int cursor_ = 0;
    QString hint_;
    bool locked_ = false;
    bool unselectable_ = false;
    float zoom_ = 1.0F;
    QRect reportedBounds_;
    bool inBoundsChanged_ = false;
    bool loading_ = true;
    TCoverMenu menu_;
};

}  // namespace px
