// Lines a modem (or something on the serial line pretending to be one) sends.
#include <cstdint>
#include <string_view>

#include "fax/engine/px_modem_result.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (TFaxClass c : {TFaxClass::fcClass1, TFaxClass::fcClass2, TFaxClass::fcClass2_0}) {
        (void)modemResult(line, c);
    }
    (void)resultParameters(line);
    (void)resultStationId(line);
    (void)hangupCode(line);
    return 0;
}
