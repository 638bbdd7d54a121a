// Windows of other parts of the program that the main window opens itself:
// the viewer, the phone book and the cover designer. One that is not built
// yet says so in the status panel.
#include "app/main_window/main_screen.h"

namespace px {

void TMainScreen::openViewer(const QString& path, const QString& description) {
    Q_UNUSED(path);
    Q_UNUSED(description);
    notAvailableYet(*this, "The fax viewer");
}

void TMainScreen::openPhoneBook() {
    notAvailableYet(*this, "The phone book");
}

void TMainScreen::openCoverDesigner() {
    notAvailableYet(*this, "The cover sheet template designer");
}

}  // namespace px
