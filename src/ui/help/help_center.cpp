#include "ui/help/help_center.h"

#include <QWidget>

#include "ui/help/about_dialog.h"
#include "ui/help/help_window.h"
#include "ui/help/problem_solver_form.h"
#include "ui/help/quick_start_form.h"

// The bundled pages are compiled into this static library.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace px {

namespace {

template <typename Window>
Window* present(QPointer<Window>& slot, QWidget* owner) {
    if (slot.isNull()) {
        slot = new Window(owner);
        slot->setAttribute(Qt::WA_DeleteOnClose);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot.data();
}

}  // namespace

THelpCenter::THelpCenter(QWidget* owner) : QObject(owner), owner_(owner) {
    initHelpResources();
}

void THelpCenter::showTopic(int topic) {
    present(help_, owner_)->showTopic(topic);
}

void THelpCenter::showAbout() {
    present(about_, owner_);
}

void THelpCenter::showProblemSolver() {
    present(solver_, owner_);
}

void THelpCenter::showQuickStart() {
    present(quickStart_, owner_);
}

}  // namespace px
