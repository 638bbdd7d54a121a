// px-fontgen: draws the built-in fax font from a TrueType font.
#include <QGuiApplication>
#include <cstdio>

#include "px_fontgen.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: px-fontgen FONT.ttf OUTPUT\n");
        return 2;
    }
    return runFontGenerator(argv[1], argv[2]);
}
