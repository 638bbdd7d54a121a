// TFaxCoverLabel: static text.
#pragma once

#include "cover/objects/fax_cover_base_label.h"

namespace px {

class TFaxCoverLabel : public TFaxCoverBaseLabel {
public:
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Label; }
    // The text dialog of EditText was confirmed with `text`.
    void TextEdited(const QString& text);

protected:
    void buildMenu(TCoverMenu& menu) override;
};

}  // namespace px
