// Fax log tables and their indexes as a crash or another program may leave
// them: a DBF file and a CDX file opened, walked in every order, or refused.
#include <cstdint>
#include <exception>

#include "fuzz_file.h"
#include "xbase/xb_table.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dbf = fuzz::scratchFile("T.DBF");
    static const std::string cdx = fuzz::scratchFile("T.CDX");
    if (size < 2) {
        return 0;
    }
    // The first two bytes split the rest into the table and its index.
    const size_t split = std::min<size_t>(size - 2, data[0] | (data[1] << 8));
    fuzz::writeInput(dbf, data + 2, split);
    fuzz::writeInput(cdx, data + 2 + split, size - 2 - split);
    try {
        TXbTable table;
        table.open(dbf);
        const int orders = table.tagCount();
        for (int order = 0; order <= orders; ++order) {
            table.setOrder(order);
            unsigned walked = 0;
            for (table.first(); !table.eof() && walked < 4096; table.next(), ++walked) {
                for (size_t f = 0; f < table.fields().size(); ++f) {
                    (void)table.value(static_cast<int>(f));
                }
                (void)table.deleted();
            }
        }
    } catch (const std::exception&) {
        // A clean refusal.
    }
    return 0;
}
