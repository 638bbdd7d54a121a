#include "ui/coverdesign/cover_menu_builder.h"

#include <QAction>
#include <QMenu>

namespace px {

void fillMenu(QMenu& menu, const TCoverMenu& items,
              const std::function<void(const TCoverMenuItem&)>& chosen) {
    for (const TCoverMenuItem& item : items) {
        if (item.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        if (!item.items.empty()) {
            QMenu* sub = menu.addMenu(item.caption);
            fillMenu(*sub, item.items, chosen);
            continue;
        }
        QAction* action = menu.addAction(item.caption);
        action->setCheckable(item.checkable || item.checked);
        action->setChecked(item.checked);
        QObject::connect(action, &QAction::triggered, &menu, [chosen, item] { chosen(item); });
    }
}

}  // namespace px
