#include "ui/placement/form_placement.h"

#include <QScreen>
#include <algorithm>

namespace px {

namespace {

constexpr int kDefaultDpi = 96;

}  // namespace

int placementDpi(const QWidget& form) {
    return form.screen() != nullptr ? qRound(form.screen()->logicalDotsPerInch()) : kDefaultDpi;
}

void restoreFormPlacement(QWidget& form, const SettingsFile& settings, std::string_view formClass) {
    QScreen* screen = form.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    PlacementToApply placement;
    try {
        placement = loadPlacement(settings.read(), formClass, placementDpi(form),
                                  form.isMaximized(), area.width(), area.height());
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

WindowPlacement currentFormPlacement(const QWidget& form) {
    QRect r = form.normalGeometry();
    if (!r.isValid()) {
        r = form.geometry();
    }
    return {{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}, form.isMaximized()};
}

}  // namespace px
