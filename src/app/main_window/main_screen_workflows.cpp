// Windows of other parts of the program that the main window opens itself:
// the viewer, the phone book and the cover designer. One that is not built
// yet says so in the status panel.
#include <QDateTime>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/incoming/receive_mode_listener.h"
#include "app/main_window/main_screen.h"
#include "app/main_window/view_description.h"
#include "ui/viewer/fax_viewer.h"

#include "app/phonebook/phone_book.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

void TMainScreen::openViewer(const QString& path, const QString& description) {
    TFaxViewer viewer(folder_.settingsPath(), this);
    viewer.setFileName(path);
    viewer.setTitle(kViewPrintTitle);
    viewer.setPrintHeader(description);
    viewer.exec();
}

void TMainScreen::openReceivedFax(const TReceivedFaxInfo& fax, const QDateTime& at) {
    auto* viewer = new TFaxViewer(folder_.settingsPath(), this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setFileName(fax.path);
    viewer->setTitle(kViewPrintTitle);
    // The same line as View/Print of the fax's record: its DATEREC and TIMEREC
    // are the moment it arrived.
    const TXbDate date{at.date().year(), at.date().month(), at.date().day()};
    viewer->setPrintHeader(
        incomingViewDescription(fax.stationId.trimmed().toStdString(),
                                incomingDateText(date, at.time().toString("hh:mm").toStdString()),
                                fax.path.toLower().toStdString()));
    viewer->show();
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

TCoverDesMainScreen* TMainScreen::coverDesigner() const {
    return coverDesigner_;
}

void TMainScreen::openCoverDesigner() {
    if (coverDesigner_ == nullptr) {
        coverDesigner_ = new TCoverDesMainScreen(folder_, prompts_, help_, this);
        coverDesigner_->setWindowFlag(Qt::Window);
        coverDesigner_->setAttribute(Qt::WA_DeleteOnClose);
    }
    coverDesigner_->show();
    coverDesigner_->raise();
    coverDesigner_->activateWindow();
}

}  // namespace px
