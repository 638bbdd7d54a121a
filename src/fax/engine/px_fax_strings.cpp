#include "fax/engine/px_fax_strings.h"

#include <span>
#include <string_view>

#include "comms/px_string_manager.h"

namespace px {

std::span<const uint8_t> faxStringResource(std::string_view name);

std::string faxProgressText(int code) {
    static const TPxStringManager table(faxStringResource("PX_FAX_STRINGS_ENGLISH"));
    if (code < 1 || code > 43) {
        return {};
    }
    return table.find(code);
}

}  // namespace px
