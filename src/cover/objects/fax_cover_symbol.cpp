#include "cover/objects/fax_cover_symbol.h"

#include <QFontMetrics>
#include <cmath>
#include <string>

#include "cover/objects/cover_text_codec.h"

namespace px {

namespace {
constexpr int kSymbolPoints = 24;
constexpr double kSymbolMargin = 1.1;
}  // namespace

TFaxCoverSymbol::TFaxCoverSymbol() {
    TCoverFont f;
    f.name = QStringLiteral("WingDings");
    f.setSize(kSymbolPoints);
    setFont(f);
    setCaption(QStringLiteral("["));
}

void TFaxCoverSymbol::BoundsChanged() {
    if (sizing_) {
        return;
    }
    sizing_ = true;
    TFaxCoverBaseLabel::BoundsChanged();
    const QFontMetrics metrics(zoomedFont());
    const int w =
        static_cast<int>(std::trunc(metrics.horizontalAdvance(drawnCaption()) * kSymbolMargin));
    const int h = static_cast<int>(std::trunc(metrics.height() * kSymbolMargin));
    setBounds(left(), top(), w, h);
    // Record the fitted size as the bounds last reported.
    TFaxCoverBaseLabel::BoundsChanged();
    sizing_ = false;
}

void TFaxCoverSymbol::SymbolChosen(const TCoverFont& font, int code) {
    setFont(font);
    setCaption(fromWindows1252(std::string(1, static_cast<char>(code))));
    BoundsChanged();
    repaint();
}

void TFaxCoverSymbol::buildMenu(TCoverMenu& menu) {
    TFaxCoverBaseLabel::buildMenu(menu);
    removeMenuItems(menu, [](const TCoverMenuItem& item) {
        return item.tag == kLabelOnlyTag || item.caption == QLatin1String("Font") ||
               item.caption == QLatin1String("Alignment") || item.caption == QLatin1String("Angle");
    });
    menu.push_back(menuItem(QStringLiteral("Symbol Selector"), TCoverMenuAction::SymbolSelector));
}

}  // namespace px
