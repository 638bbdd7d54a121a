// Index keys and filter conditions are xBase expressions stored in files:
// compiled and evaluated on a blank record, or refused.
#include <cstdint>
#include <exception>
#include <string_view>

#include "fuzz_file.h"
#include "xbase/xb_table.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TXbTable* table = [] {
        const std::string path = fuzz::scratchFile("E.DBF");
        TXbTable::create(path, {{"SUBJECT", 'C', 40, 0, 0},
                                {"DATESENT", 'D', 8, 0, 0},
                                {"ARCHIVED", 'L', 1, 0, 0},
                                {"PAGES", 'N', 5, 0, 0}});
        auto* t = new TXbTable();
        t->open(path);
        t->append();
        return t;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const TXbExpression expression = table->compile(text);
        (void)table->evaluate(expression);
    } catch (const std::exception&) {
        // A clean refusal.
    }
    return 0;
}
