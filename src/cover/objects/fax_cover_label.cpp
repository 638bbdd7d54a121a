#include "cover/objects/fax_cover_label.h"

namespace px {

void TFaxCoverLabel::TextEdited(const QString& text) {
    setCaption(text);
    FitToText();
}

void TFaxCoverLabel::buildMenu(TCoverMenu& menu) {
    TFaxCoverBaseLabel::buildMenu(menu);
    menu.push_back(menuItem(QStringLiteral("Text"), TCoverMenuAction::Text, kLabelOnlyTag));
}

}  // namespace px
