// The job options a scheduler hands the print queue's backend.
#include <cstdint>
#include <string_view>

#include "cli/printqueue/cups_options.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& [name, value] : parseCupsOptions(text)) {
        // A name without a value stands for "true".
        if (name.empty() || name.size() > size || (value.size() > size && value != "true")) {
            __builtin_trap();
        }
    }
    return 0;
}
