// Turns an object's menu data into a Qt menu.
#pragma once

#include <functional>

#include "cover/objects/cover_menu.h"

class QMenu;

namespace px {

// Appends the items (sub-menus included) to `menu`; choosing one calls `chosen` with it.
void fillMenu(QMenu& menu, const TCoverMenu& items,
              const std::function<void(const TCoverMenuItem&)>& chosen);

}  // namespace px
