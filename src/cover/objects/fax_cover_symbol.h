// TFaxCoverSymbol: one character of a symbol font, sized to its picture.
#pragma once

#include "cover/objects/fax_cover_base_label.h"

namespace px {

class TFaxCoverSymbol : public TFaxCoverBaseLabel {
public:
    TFaxCoverSymbol();
    TCoverObjectClass objectClass() const override { return TCoverObjectClass::Symbol; }

    // Always 1.1 times the character's text width and height: it cannot be stretched.
    void BoundsChanged() override;
    // A symbol keeps its own font.
    void ApplyFont(const TCoverFont&) override {}
    // The symbol selector was confirmed with `font` and the character `code` (32…255).
    void SymbolChosen(const TCoverFont& font, int code);

protected:
    void buildMenu(TCoverMenu& menu) override;

private:
    bool sizing_ = false;
};

}  // namespace px
