// parvex-view: a fax file in the viewer window.
#include <QApplication>
#include <string>
#include <vector>

#include "cli/view/px_view_cli.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return px::runViewCli(std::vector<std::string>(argv + 1, argv + argc));
}
