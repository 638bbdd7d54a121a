// A .nqh hand-off file as any program may leave it in SEND.
#include <cstdint>
#include <string_view>

#include "settings/print_handoff.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const HandOff handOff = parseHandOff(text);
    const HandOff back = parseHandOff(formatHandOff(handOff));
    if (back.phone != handOff.phone || back.recipient != handOff.recipient ||
        back.subject != handOff.subject || handOff.lines > 3) {
        __builtin_trap();
    }
    (void)isPlainFileName(text);
    return 0;
}
