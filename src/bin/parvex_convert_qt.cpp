// parvex-convert-qt: every job of parvex-convert, through Qt where a job
// needs it (pictures, PDF, PostScript, bitmap exports).
#include <QCoreApplication>
#include <string>
#include <vector>

#include "cli/convert/px_convert_cli.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return px::runConvertCli(std::vector<std::string>(argv + 1, argv + argc));
}
