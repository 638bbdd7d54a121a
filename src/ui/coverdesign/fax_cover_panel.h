// TFaxCoverPanel: the cover page of the designer, with its drawing tools.
#pragma once

#include "ui/coverdesign/g_base_panel.h"

namespace px {

enum class TLPanelState {
    psPointing,
    psLabel,
    psSymbolLabel,
    psRectangle,
    psEllipse,
    psRoundRectangle,
    psLine,
    psMessage,
    psImportance,
    psField
};

class TFaxCoverPanel : public TGBasePanel {
    Q_OBJECT

public:
    // A dropped rectangle narrower (lower) than this gets the new width (height).
    static constexpr int kNarrowDrop = 25;
    static constexpr int kNarrowDropWidth = 50;
    static constexpr int kLowDrop = 15;

    explicit TFaxCoverPanel(const QString& programFolder, QWidget* parent = nullptr);

    TLPanelState PanelState() const { return state_; }
    void setPanelState(TLPanelState state);

    // Creates the object of the active drawing tool.
    void DropObject(const QRect& rect) override;

private:
    TLPanelState state_ = TLPanelState::psPointing;
};

}  // namespace px
