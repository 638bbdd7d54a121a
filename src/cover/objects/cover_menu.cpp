#include "cover/objects/cover_menu.h"

#include <algorithm>

namespace px {

TCoverMenuItem menuItem(const QString& caption, TCoverMenuAction action, int tag, bool checkable) {
    TCoverMenuItem item;
    item.caption = caption;
    item.action = action;
    item.tag = tag;
    item.checkable = checkable;
    return item;
}

TCoverMenuItem menuSeparator() {
    return menuItem(QStringLiteral("-"), TCoverMenuAction::None);
}

TCoverMenuItem subMenu(const QString& caption, std::vector<TCoverMenuItem> items) {
    TCoverMenuItem item = menuItem(caption, TCoverMenuAction::None);
    item.items = std::move(items);
    return item;
}

void removeMenuItems(TCoverMenu& menu, const std::function<bool(const TCoverMenuItem&)>& drop) {
    menu.erase(std::remove_if(menu.begin(), menu.end(), drop), menu.end());
    for (TCoverMenuItem& item : menu) {
        removeMenuItems(item.items, drop);
    }
}

TCoverMenuItem* findMenuItem(TCoverMenu& menu, const QString& caption) {
    for (TCoverMenuItem& item : menu) {
        if (item.caption == caption) {
            return &item;
        }
        if (TCoverMenuItem* inner = findMenuItem(item.items, caption)) {
            return inner;
        }
    }
    return nullptr;
}

void checkMenuItemsByTag(TCoverMenu& menu, TCoverMenuAction action, int tag) {
    for (TCoverMenuItem& item : menu) {
        if (item.action == action) {
            item.checked = item.tag == tag;
        }
        checkMenuItemsByTag(item.items, action, tag);
    }
}

}  // namespace px
