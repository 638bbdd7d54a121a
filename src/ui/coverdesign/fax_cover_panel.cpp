#include "ui/coverdesign/fax_cover_panel.h"

#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"

namespace px {

TFaxCoverPanel::TFaxCoverPanel(const QString& programFolder, QWidget* parent)
    : TGBasePanel(programFolder, parent) {}

void TFaxCoverPanel::setPanelState(TLPanelState state) {
    state_ = state;
    setPointing(state == TLPanelState::psPointing);
    if (Pointing()) {
        unsetCursor();
    } else {
        setCursor(Qt::DragMoveCursor);
    }
}

void TFaxCoverPanel::DropObject(const QRect& dropped) {
    QRect rect = dropped;
    if (rect.width() < kNarrowDrop) {
        rect.setWidth(kNarrowDropWidth);
    }
    if (rect.height() < kLowDrop) {
        rect.setHeight(kLowDrop);
    }
    auto shape = [](TShapeType type) {
        auto s = std::make_unique<TFaxCoverShapes>();
        s->setShape(type);
        return s;
    };
    switch (state_) {
        case TLPanelState::psPointing:
            return;
        case TLPanelState::psLabel: {
            auto label = std::make_unique<TFaxCoverLabel>();
            label->setCaption(QStringLiteral("<text>"));
            label->setFont(pageFont());
            auto& added = static_cast<TFaxCoverLabel&>(AddObject(std::move(label), rect));
            // A new text asks for its words at once.
            EditText(added);
            return;
        }
        case TLPanelState::psSymbolLabel: {
            auto& added =
                static_cast<TFaxCoverSymbol&>(AddObject(std::make_unique<TFaxCoverSymbol>(), rect));
            SelectSymbol(added);
            return;
        }
        case TLPanelState::psRectangle:
            AddObject(shape(TShapeType::stRectangle), rect);
            return;
        case TLPanelState::psEllipse:
            AddObject(shape(TShapeType::stEllipse), rect);
            return;
        case TLPanelState::psRoundRectangle:
            AddObject(shape(TShapeType::stRoundRect), rect);
            return;
        case TLPanelState::psLine: {
            auto line = std::make_unique<TFaxCoverLine>();
            line->setLineStyle(TLineStyle::stVertical);
            AddObject(std::move(line), rect);
            return;
        }
        case TLPanelState::psMessage: {
            auto message = std::make_unique<TFaxCoverMessage>();
            message->setFont(pageFont());
            AddObject(std::move(message), rect);
            return;
        }
        case TLPanelState::psImportance: {
            auto importance = std::make_unique<TFaxCoverImportance>();
            importance->setFont(pageFont());
            static_cast<TFaxCoverBaseLabel&>(AddObject(std::move(importance), rect)).FitToText();
            return;
        }
        case TLPanelState::psField: {
            auto field = std::make_unique<TFaxCoverField>();
            field->setFont(pageFont());
            static_cast<TFaxCoverBaseLabel&>(AddObject(std::move(field), rect)).FitToText();
            return;
        }
    }
}

}  // namespace px
