#include "app/main_window/program.h"

#include <QApplication>
#include <QProxyStyle>
#include <exception>
#include <optional>
#include <string>

#include "app/host/user_prompts.h"
#include "app/main_window/just_one.h"
#include "app/main_window/main_screen.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

namespace {

// Tool tips appear after 1.2 s, as the hints always have.
class THintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
            return kHintDelayMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

std::optional<ProgramFolder> openProgramFolder(TUserPrompts& prompts) {
    try {
        ProgramFolder folder = ProgramFolder::locate(currentExecutablePath());
        folder.create();
        return folder;
    } catch (const std::exception& e) {
        prompts.information(nullptr, QString::fromUtf8(e.what()));
        return std::nullopt;
    }
}

int runProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Parvex");
    QApplication::setApplicationDisplayName("Parvex");
    QApplication::setStyle(new THintStyle);

    TDialogPrompts startPrompts;
    // Before the guard: its name comes from the folder's canonical path.
    const std::optional<ProgramFolder> folder = openProgramFolder(startPrompts);
    if (!folder) {
        return 1;
    }
    TPreviousInstance previous(QString::fromStdString(folder->path()));
    TJustOne justOne(previous);
    if (previous.anotherRuns()) {
        justOne.activatePrevious();
        return 0;
    }

    THelpCenter help;
    TDialogPrompts prompts([&help] { help.showProblemSolver(); });
    prompts.setHelp([&help] { help.showTopic(kHelpContents); });
    TMainScreen window(*folder, prompts, &help);
    help.setOwner(&window);
    justOne.listen();
    QObject::connect(&justOne, &TJustOne::activationRequested, &window, &TMainScreen::bringToFront);
    window.show();
    return QApplication::exec();
}

}  // namespace px
