// The text objects whose text the renderer supplies: the message area, the
// importance row and the fields.
#pragma once

#include "cover/objects/fax_cover_base_label.h"

namespace px {

// Shared by the three: no "Text", "Alignment" or "Angle" items; a bounds
// change only reloads the zoomed font and refits the overlay.
class TFaxCoverTextArea : public TFaxCoverBaseLabel {
public:
    void BoundsChanged() override;

protected:
    void buildMenu(TCoverMenu& menu) override;
};

class TFaxCoverMessage : public TFaxCoverTextArea {
public:
    TFaxCoverMessage();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Message; }

protected:
    void paintContent(QPainter& painter) const override;
    bool fitsAfterFontEdit() const override { return false; }
};

// The importance row's caption, as drawn in the designer and on the page.
inline constexpr const char* kImportanceCaption =
    "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     "
    "[  ]Please Recycle";

class TFaxCoverImportance : public TFaxCoverTextArea {
public:
    TFaxCoverImportance();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Importance; }
};

class TFaxCoverField : public TFaxCoverTextArea {
public:
    TFaxCoverField();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Field; }

    TCoverFieldType coverFieldType() const { return fieldType_; }
    // Sets the type alone (as a file load does).
    void setCoverFieldType(TCoverFieldType type) { fieldType_ = type; }
    // Choosing a type from the menu: the type, its bracketed caption, FitToText.
    void chooseFieldType(TCoverFieldType type);

    void UpdateMenuChecks() override;
    bool performMenuAction(const TCoverMenuItem& item) override;

    // "Date", "Time", …, "Sender Phone": the field's menu caption.
    static QString fieldCaption(TCoverFieldType type);

protected:
    void buildMenu(TCoverMenu& menu) override;

private:
    TCoverFieldType fieldType_ = TCoverFieldType::cfDate;
};

}  // namespace px
