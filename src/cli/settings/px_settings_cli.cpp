#include "cli/settings/px_settings_cli.h"

#include <cstdio>
#include <iostream>
#include <string_view>

#include "settings/file_names.h"
#include "settings/instance_lock.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"

namespace px {

namespace {

void usage(std::ostream& out) {
    out << "usage: parvex-settings [command]\n"
           "  (none) | status        show the program folder and the main settings\n"
           "  settings               print PX.INI as the program reads it\n"
           "  get SECTION/KEY        print one setting\n"
           "  set SECTION/KEY VALUE  change one setting (PX.INI is rewritten safely); a value\n"
           "                         the setting cannot hold is refused\n"
           "  new-name PREFIX        print the next free send-file name (FAX, COV or FWD)\n"
           "The program folder is $PARVEX_HOME, else the executable's folder when PX.INI lies\n"
           "beside it, else ~/.local/share/parvex.\n";
}

bool splitKey(const std::string& arg, std::string& section, std::string& key) {
    auto slash = arg.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == arg.size())
        return false;
    section = arg.substr(0, slash);
    key = arg.substr(slash + 1);
    return true;
}

const char* faxClassName(int c) {
    switch (c) {
        case 0:
            return "auto detect";
        case 1:
            return "Class 1";
        case 2:
            return "Class 2";
        case 3:
            return "Class 2.0";
        default:
            return "unknown";
    }
}

// The running program writes the whole settings record, and the main window's
// placement, back when it closes, over whatever was written meanwhile.
constexpr std::string_view kMainWindowPlacement = "TMainScreen_Placement";

bool programWritesBackAtClose(std::string_view section) {
    return isMainSettingsSection(section) ||
           equalNoCase(section.substr(0, kMainWindowPlacement.size()), kMainWindowPlacement);
}

int set(const ProgramFolder& folder, const SettingsFile& file, const std::string& section,
        const std::string& key, const std::string& value, std::ostream& err) {
    if (const auto problem = settingValueProblem(section, key, value)) {
        err << "parvex-settings: " << *problem << "\n";
        return 1;
    }
    const auto setting = findSetting(section, key);
    file.update([&](IniFile& ini) { ini.writeString(setting->section, setting->key, value); });
    if (programRunsOn(folder.path()) && programWritesBackAtClose(setting->section))
        err << "parvex-settings: Parvex is running on " << folder.path()
            << "; it writes its settings back when it closes, which will undo this change. "
               "Close Parvex and set it again, or change it in the program.\n";
    return 0;
}

int status(const ProgramFolder& folder, const SettingsFile& file, std::ostream& out) {
    Settings s = file.load();
    IniFile ini = file.read();
    out << "Parvex " << kProgramVersion << "\n"
        << "Program folder: " << folder.path() << "\n"
        << "Settings:       " << file.path() << "\n"
        << "Send folder:    " << folder.sendFolder() << "\n"
        << "Receive folder: " << folder.receiveFolder() << "\n";
    if (s.isFirstRun())
        out << "Modem port:     not configured yet (set Modem/ComPort)\n";
    else
        out << "Modem port:     COM" << s.modem.comPort + 1 << " ("
            << comPortDevicePath(ini, s.modem.comPort + 1) << ")\n";
    out << "Fax class:      " << faxClassName(s.modem.faxClass) << " sending, "
        << faxClassName(s.modem.faxClassReceive) << " receiving\n"
        << "Highest rate:   " << s.modem.maximumBps << " bps sending, " << s.modem.maximumBpsReceive
        << " bps receiving\n"
        << "Station ID:     " << (s.user.fax.empty() ? "(none)" : s.user.fax) << "\n"
        << "Run on receipt: " << (s.receive.command.empty() ? "(none)" : s.receive.command) << "\n"
        << "On close:       "
        << (s.receive.keepReceivingInTray ? "keep receiving in the tray" : "end receive mode")
        << "\n";
    return 0;
}

}  // namespace

int runSettingsCli(const std::vector<std::string>& args, const ProgramFolder& folder,
                   std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help" || args[0] == "help")) {
        usage(out);
        return 0;
    }
    try {
        folder.createWorkingFolders();
        SettingsFile file(folder.settingsPath());

        if (args.empty() || args[0] == "status")
            return status(folder, file, out);
        if (args[0] == "settings" && args.size() == 1) {
            IniFile ini = file.read();
            Settings::load(ini).save(ini);  // show the defaults that apply too
            out << ini.text();
            return 0;
        }
        std::string section, key;
        if (args[0] == "get" && args.size() == 2 && splitKey(args[1], section, key)) {
            IniFile ini = file.read();
            Settings::load(ini).save(ini);
            auto v = ini.value(section, key);
            if (!v) {
                err << "parvex-settings: no setting " << args[1] << "\n";
                return 1;
            }
            out << *v << "\n";
            return 0;
        }
        if (args[0] == "set" && args.size() == 3 && splitKey(args[1], section, key))
            return set(folder, file, section, key, args[2], err);
        if (args[0] == "new-name" && args.size() == 2 && args[1].size() == 3) {
            out << uniqueSendFileName(folder.sendFolder(), args[1]) << "\n";
            return 0;
        }
        usage(err);
        return 2;
    } catch (const std::exception& e) {
        err << "parvex-settings: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace px
