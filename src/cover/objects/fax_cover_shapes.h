// TFaxCoverShapes and TFaxCoverLine: figures drawn with a pen.
#pragma once

#include "cover/objects/g_graphic_control.h"

namespace px {

// The pen width a figure is drawn with at a zoom (`atLeastOne`: a positive
// width never rounds down to nothing).
int zoomedPenWidth(int width, float zoom, bool atLeastOne);

class TFaxCoverShapes : public TGGraphicControl {
public:
    TFaxCoverShapes();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Shapes; }

    TShapeFillType shapeFilltype() const { return fill_; }
    void setShapeFilltype(TShapeFillType fill);
    const TCoverPen& pen() const { return pen_; }
    void setPen(const TCoverPen& pen);
    int roundPerc() const { return roundPerc_; }
    void setRoundPerc(int percent);
    TShapeType shape() const { return shape_; }
    // Rounded shapes get the "Degree of Rounding" menu.
    void setShape(TShapeType shape);

    void UpdateMenuChecks() override;
    bool performMenuAction(const TCoverMenuItem& item) override;

protected:
    void paintContent(QPainter& painter) const override;
    void buildMenu(TCoverMenu& menu) override;

private:
    TShapeFillType fill_ = TShapeFillType::sftTransparent;
    TCoverPen pen_;
    int roundPerc_ = 25;
    TShapeType shape_ = TShapeType::stRectangle;
};

class TFaxCoverLine : public TGGraphicControl {
public:
    TFaxCoverLine();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Line; }

    TLineStyle lineStyle() const { return style_; }
    void setLineStyle(TLineStyle style);
    const TCoverPen& pen() const { return pen_; }
    void setPen(const TCoverPen& pen);

    // Horizontal lines span the page's width, vertical ones its height.
    void StretchToEdges();

    void UpdateMenuChecks() override;
    bool performMenuAction(const TCoverMenuItem& item) override;

protected:
    void paintContent(QPainter& painter) const override;
    void buildMenu(TCoverMenu& menu) override;

private:
    TLineStyle style_ = TLineStyle::stHorizontal;
    TCoverPen pen_;
};

}  // namespace px
