#include "settings/settings_file.h"

namespace px {

void SettingsFile::update(const std::function<void(IniFile&)>& change) const {
    IniFile ini = read();
    change(ini);
    ini.save(path_);
}

}  // namespace px
