// The objects' pop-up menus as data: the window turns a TCoverMenu into its
// menu and hands the chosen item back to the object.
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace px {

enum class TCoverMenuAction {
    None,  // separators and sub-menu headers
    BringToFront,
    SendToBack,
    Cut,
    Copy,
    Delete,
    Clone,
    Locked,
    Unselectable,
    CenterVertically,
    CenterHorizontally,
    Font,
    Text,
    SymbolSelector,
    FieldType,      // tag = TCoverFieldType ordinal
    LineThickness,  // tag = pen width
    FillType,       // tag = TShapeFillType ordinal
    Rounding,       // tag = RoundPerc
    LineStyle,      // tag = TLineStyle ordinal
    StretchToEdges
};

// The tag of the items that text-only objects drop from a label's menu.
inline constexpr int kLabelOnlyTag = 1000;

struct TCoverMenuItem {
    QString caption;  // "-" for a separator
    int tag = 0;
    TCoverMenuAction action = TCoverMenuAction::None;
    bool checkable = false;
    bool checked = false;
    std::vector<TCoverMenuItem> items;  // a sub-menu when not empty

    bool isSeparator() const { return caption == QLatin1String("-"); }
};

using TCoverMenu = std::vector<TCoverMenuItem>;

TCoverMenuItem menuItem(const QString& caption, TCoverMenuAction action, int tag = 0,
                        bool checkable = false);
TCoverMenuItem menuSeparator();
TCoverMenuItem subMenu(const QString& caption, std::vector<TCoverMenuItem> items);

// Removes every item (at any depth) for which `drop` holds.
void removeMenuItems(TCoverMenu& menu, const std::function<bool(const TCoverMenuItem&)>& drop);
// The first item captioned `caption` at any depth, or nullptr.
TCoverMenuItem* findMenuItem(TCoverMenu& menu, const QString& caption);
// Checks, among the items of `action` at any depth, exactly those whose tag is `tag`.
void checkMenuItemsByTag(TCoverMenu& menu, TCoverMenuAction action, int tag);

}  // namespace px
