// parvex-cover: cover templates from the command line.
#include <QGuiApplication>
#include <string>
#include <vector>

#include "cli/cover/px_cover_cli.h"

int main(int argc, char** argv) {
    // Drawing text needs the font system but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    return px::runCoverCli(std::vector<std::string>(argv + 1, argv + argc));
}
