// PX.INI on disk: reading the settings record and writing it back.
#pragma once

#include <functional>
#include <string>

#include "settings/ini_file.h"
#include "settings/px_settings.h"

namespace px {

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The whole file as it is on disk now; a missing file is an empty one.
    IniFile read() const { return IniFile::load(path_); }

    // Reads the settings record; a missing file gives all defaults.
    Settings load() const { return Settings::load(read()); }

    // Applies `change` to the file as it is on disk now and writes it back
    // atomically, so sections written by others since are kept. Throws
    // IniFileError naming the file when the write fails; the old file is then intact.
    void update(const std::function<void(IniFile&)>& change) const;

    // Writes every key of the record (and Version/Version).
    void save(const Settings& settings) const {
        update([&](IniFile& ini) { settings.save(ini); });
    }

private:
    std::string path_;
};

}  // namespace px
