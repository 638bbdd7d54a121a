// Parvex: the program.
#include "app/main_window/program.h"

int main(int argc, char** argv) {
    return px::runProgram(argc, argv);
}
