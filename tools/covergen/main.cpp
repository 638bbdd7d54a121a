// px-covergen FOLDER: writes the shipped cover templates into FOLDER
// (resources/covers in the source tree).
#include <QGuiApplication>
#include <cstdio>

#include "px_covergen.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: px-covergen FOLDER\n");
        return 2;
    }
    try {
        for (const QString& name : px::generateShippedCovers(QString::fromLocal8Bit(argv[1]))) {
            std::printf("%s\n", qPrintable(name));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "px-covergen: %s\n", e.what());
        return 1;
    }
    return 0;
}
