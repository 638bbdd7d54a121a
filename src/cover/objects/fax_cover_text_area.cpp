#include "cover/objects/fax_cover_text_area.h"

#include <QPainter>
#include <array>

namespace px {

namespace {

constexpr std::array<const char*, kFieldTypeCount> kFieldCaptions = {
    "Date",   "Time",           "Regarding",  "Recipient",   "Recipient Fax",
    "Sender", "Sender Company", "Sender Fax", "Sender Phone"};

}  // namespace

void TFaxCoverTextArea::BoundsChanged() {
    // The zoomed font is computed when painting; only the overlay needs refitting.
    TFaxCoverBaseLabel::BoundsChanged();
    if (host() != nullptr) {
        host()->requestRefitHandle();
    }
}

void TFaxCoverTextArea::buildMenu(TCoverMenu& menu) {
    TFaxCoverBaseLabel::buildMenu(menu);
    removeMenuItems(menu, [](const TCoverMenuItem& item) {
        return item.tag == kLabelOnlyTag || item.caption == QLatin1String("Alignment") ||
               item.caption == QLatin1String("Angle");
    });
}

TFaxCoverMessage::TFaxCoverMessage() {
    setCaption(QStringLiteral("[Fax Message]"));
}

void TFaxCoverMessage::paintContent(QPainter& painter) const {
    TFaxCoverTextArea::paintContent(painter);
    QPen dotted(Qt::black);
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

TFaxCoverImportance::TFaxCoverImportance() {
    setCaption(QString::fromLatin1(kImportanceCaption));
}

TFaxCoverField::TFaxCoverField() {
    setCaption(QLatin1Char('[') + fieldCaption(TCoverFieldType::cfDate) + QLatin1Char(']'));
}

QString TFaxCoverField::fieldCaption(TCoverFieldType type) {
    const auto i = static_cast<std::size_t>(type);
    return i < kFieldCaptions.size() ? QString::fromLatin1(kFieldCaptions[i]) : QString();
}

void TFaxCoverField::chooseFieldType(TCoverFieldType type) {
    fieldType_ = type;
    setCaption(QLatin1Char('[') + fieldCaption(type) + QLatin1Char(']'));
    FitToText();
}

void TFaxCoverField::UpdateMenuChecks() {
    TFaxCoverTextArea::UpdateMenuChecks();
    checkMenuItemsByTag(menu(), TCoverMenuAction::FieldType, static_cast<int>(fieldType_));
}

bool TFaxCoverField::performMenuAction(const TCoverMenuItem& item) {
    if (item.action == TCoverMenuAction::FieldType && item.tag >= 0 && item.tag < kFieldTypeCount) {
        chooseFieldType(static_cast<TCoverFieldType>(item.tag));
        return true;
    }
    return TFaxCoverTextArea::performMenuAction(item);
}

void TFaxCoverField::buildMenu(TCoverMenu& menu) {
    TFaxCoverTextArea::buildMenu(menu);
    std::vector<TCoverMenuItem> types;
    for (int t = 0; t < kFieldTypeCount; ++t) {
        types.push_back(menuItem(fieldCaption(static_cast<TCoverFieldType>(t)),
                                 TCoverMenuAction::FieldType, t, true));
    }
    menu.push_back(subMenu(QStringLiteral("Field"), std::move(types)));
}

}  // namespace px
