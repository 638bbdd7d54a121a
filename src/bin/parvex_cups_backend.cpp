// parvex-cups-backend: the CUPS backend of the print queue "Parvex Fax".
#include <QCoreApplication>
#include <string>
#include <vector>

#include "cli/printqueue/px_cups_backend.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return px::runCupsBackend(std::vector<std::string>(argv + 1, argv + argc));
}
