// Parvex: the program. One instance runs per program folder and user; a
// second start brings the first one's window to the front and ends.
#include <unistd.h>

#include <QApplication>
#include <QProxyStyle>
#include <climits>
#include <exception>
#include <optional>
#include <string>

#include "app/main_window/just_one.h"
#include "app/main_window/main_screen.h"
#include "app/main_window/user_prompts.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace {

std::string executablePath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// Tool tips appear after 1.2 s, as the hints always have.
class THintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
            return px::kHintDelayMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Parvex");
    QApplication::setApplicationDisplayName("Parvex");
    QApplication::setStyle(new THintStyle);

    std::optional<px::ProgramFolder> folder;
    try {
        folder = px::ProgramFolder::locate(executablePath());
    } catch (const std::exception& e) {
        px::TDialogPrompts().information(nullptr, QString::fromUtf8(e.what()));
        return 1;
    }
    px::TPreviousInstance previous(QString::fromStdString(folder->path()));
    px::TJustOne justOne(previous);
    if (previous.anotherRuns()) {
        justOne.activatePrevious();
        return 0;
    }

    px::THelpCenter help;
    px::TDialogPrompts prompts([&help] { help.showProblemSolver(); });
    prompts.setHelp([&help] { help.showTopic(px::kHelpContents); });
    px::TMainScreen window(*folder, prompts, &help);
    help.setOwner(&window);
    justOne.listen();
    QObject::connect(&justOne, &px::TJustOne::activationRequested, &window,
                     &px::TMainScreen::bringToFront);
    window.show();
    return QApplication::exec();
}
