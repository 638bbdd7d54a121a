// Windows of other parts of the program that the main window opens itself:
// the viewer, the phone book and the cover designer. One that is not built
// yet says so in the status panel.
#include "app/main_window/main_screen.h"

#include "app/phonebook/phone_book.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

void TMainScreen::openViewer(const QString& path, const QString& description) {
    Q_UNUSED(path);
    Q_UNUSED(description);
    notAvailableYet(*this, "The fax viewer");
}

void TMainScreen::openPhoneBook() {
    TPhoneBook book(folder_.path(), env_, prompts_, TPhoneBookMode::Browse, this);
    book.setHelp([this] {
        if (help_ != nullptr) {
            help_->showTopic(kHelpContents);
        }
    });
    if (book.openBook(false)) {
        book.exec();
    }
}

void TMainScreen::openCoverDesigner() {
    notAvailableYet(*this, "The cover sheet template designer");
}

}  // namespace px
