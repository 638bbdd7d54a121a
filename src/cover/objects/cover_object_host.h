// What a cover object needs of the page that owns it. The design page window
// implements it; tests use a fake.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>

namespace px {

class TGGraphicControl;

class TCoverObjectHost {
public:
    virtual ~TCoverObjectHost() = default;

    // The page's current (zoomed) size in pixels.
    virtual QSize pageSize() const = 0;

    // Selection state as the selection overlay knows it.
    virtual bool isSelected(const TGGraphicControl& object) const = 0;
    virtual int selectionCount() const = 0;
    virtual void removeFromSelection(TGGraphicControl& object) = 0;
    // Mark colours: one object selected, several selected.
    virtual QColor markColor() const = 0;
    virtual QColor secondaryMarkColor() const = 0;

    // While the page prints or zooms, objects do not report changes.
    virtual bool printing() const = 0;
    virtual bool zooming() const = 0;

    // The design changed (the page's LabelChangedEvent).
    virtual void labelChanged() = 0;
    // The object's look changed; repaint its part of the page.
    virtual void repaint(TGGraphicControl& object) = 0;
    // Asks for the selection overlay to be refitted once the current event is done.
    virtual void requestRefitHandle() = 0;

    // Whether the designer window already owns a component of this name.
    virtual bool ownsComponentNamed(const QString& name) const = 0;
};

}  // namespace px
