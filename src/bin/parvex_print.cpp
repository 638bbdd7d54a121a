// parvex-print: APF fax files on a printer or into a PDF file.
#include <QGuiApplication>
#include <string>
#include <vector>

#include "cli/print/px_print_cli.h"

int main(int argc, char** argv) {
    // Printing needs no screen: without one, Qt's offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    return px::runPrintCli(std::vector<std::string>(argv + 1, argv + argc));
}
