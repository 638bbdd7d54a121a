// PX.INI as another program or a damaged disk may leave it.
#include <cstdint>
#include <string_view>

#include "settings/ini_file.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        IniFile ini = IniFile::parse(text);
        for (const std::string& section : ini.sections()) {
            (void)ini.readString(section, "ComPort", "");
            (void)ini.readInteger(section, "BaudRate", 0);
            (void)ini.readBool(section, "AtStartup", false);
        }
        ini.writeString("Modem", "Init", "ATZ");
        (void)IniFile::parse(ini.text());
    } catch (const IniFileError&) {
    }
    return 0;
}
