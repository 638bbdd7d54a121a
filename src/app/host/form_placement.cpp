#include "app/host/form_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "settings/settings_file.h"
#include "settings/window_placement.h"

namespace px {

namespace {
constexpr int kDefaultDpi = 96;
}  // namespace

void loadFormPlacement(QWidget& form, const SettingsFile& file, std::string_view formClass) {
    QScreen* screen = form.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const int dpi = qRound(screen->logicalDotsPerInch());
    PlacementToApply placement;
    try {
        placement = loadPlacement(file.read(), formClass, dpi, form.isMaximized(), area.width(),
                                  area.height());
    } catch (const IniFileError&) {
        placement.centre = true;
    }
    if (placement.centre) {
        QRect frame = form.frameGeometry();
        frame.moveCenter(area.center());
        form.move(frame.topLeft());
    } else {
        const PlacementRect& r = placement.rect;
        form.setGeometry(
            QRect(r.left, r.top, std::max(1, r.right - r.left), std::max(1, r.bottom - r.top)));
    }
    if (placement.maximized) {
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
    }
}

void writeFormPlacement(IniFile& ini, const QWidget& form, std::string_view formClass) {
    QRect r = form.normalGeometry();
    if (!r.isValid()) {
        r = form.geometry();
    }
    const int dpi =
        form.screen() != nullptr ? qRound(form.screen()->logicalDotsPerInch()) : kDefaultDpi;
    const WindowPlacement placement{{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()},
                                    form.isMaximized()};
    savePlacement(ini, formClass, dpi, placement);
}

}  // namespace px
