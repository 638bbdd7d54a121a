// parvex-convert: documents to and from APF fax files. Text to APF and APF
// to TIFF run here without Qt; every other job goes to parvex-convert-qt.
#include <string>
#include <vector>

#include "cli/convert/px_convert_quick.h"

int main(int argc, char** argv) {
    if (const std::optional<int> status =
            px::runQuickConvert(std::vector<std::string>(argv + 1, argv + argc))) {
        return *status;
    }
    return px::execFullConverter("parvex-convert-qt", argv);
}
