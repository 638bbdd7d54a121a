#include "app/report/configuration_gatherer.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <filesystem>

#include "app/host/workflow_host.h"
#include "app/report/linux_facts.h"
#include "app/report/modem_identity.h"
#include "app/report/print_driver_location.h"
#include "comms/px_serial_ports.h"
#include "settings/ini_file.h"
#include "settings/print_handoff.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"

namespace px {

namespace {

namespace fs = std::filesystem;

constexpr const char* kStableNamesFolder = "/dev/serial/";

std::string text(const QString& s) {
    return s.toStdString();
}

void gatherSystem(TConfigurationFacts& f) {
    f.distribution = osPrettyName(readSystemFile("/etc/os-release"));
    if (f.distribution.empty()) {
        f.distribution = osPrettyName(readSystemFile("/usr/lib/os-release"));
    }
    utsname names{};
    if (::uname(&names) == 0) {
        f.kernel = names.release;
        f.machine = names.machine;
    }
    const TCpuFacts cpu = cpuFacts(readSystemFile("/proc/cpuinfo", 1 << 20));
    f.cpuModel = cpu.model;
    f.cpuCount = cpu.count;
    f.memory = memoryFacts(readSystemFile("/proc/meminfo"));
}

void gatherScreen(TConfigurationFacts& f) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    f.screenWidth = screen->size().width();
    f.screenHeight = screen->size().height();
    f.screenDepth = screen->depth();
    f.logicalDpi = qRound(screen->logicalDotsPerInch());
}

void gatherLocale(TConfigurationFacts& f) {
    const QLocale user;
    f.date = text(user.toString(QDate::currentDate(), QLocale::LongFormat));
    f.userLanguage = text(QLocale::languageToString(user.language()));
    // The C locale names no country: nothing to tell.
    if (user.territory() != QLocale::AnyTerritory) {
        f.userCountry = text(QLocale::territoryToString(user.territory()));
    }
    std::string machineLang = localeFileLanguage(readSystemFile("/etc/default/locale"));
    if (machineLang.empty()) {
        machineLang = localeFileLanguage(readSystemFile("/etc/locale.conf"));
    }
    if (!machineLang.empty()) {
        const QLocale machine(QString::fromStdString(machineLang.substr(0, machineLang.find('.'))));
        f.systemLanguage = text(QLocale::languageToString(machine.language()));
        if (machine.territory() != QLocale::AnyTerritory) {
            f.systemCountry = text(QLocale::territoryToString(machine.territory()));
        }
    }
    f.shortDateFormat = text(user.dateFormat(QLocale::ShortFormat));
    f.longDateFormat = text(user.dateFormat(QLocale::LongFormat));
    f.shortTimeFormat = text(user.timeFormat(QLocale::ShortFormat));
    f.longTimeFormat = text(user.timeFormat(QLocale::LongFormat));
    f.qtVersion = qVersion();
}

// Device nodes once each: a stable name under /dev/serial stands for a node
// that is listed under its own name as well.
std::vector<std::string> serialNodes() {
    std::vector<std::string> nodes;
    for (const std::string& device : listSerialPorts()) {
        if (device.rfind(kStableNamesFolder, 0) == 0) {
            std::error_code ec;
            const std::string target = fs::canonical(device, ec).string();
            if (!ec && std::find(nodes.begin(), nodes.end(), target) != nodes.end()) {
                continue;
            }
        }
        nodes.push_back(device);
    }
    return nodes;
}

TPortHolder portHolder(TWorkflowHost& host, const std::string& device,
                       const std::vector<TSerialHolder>& holders) {
    if (host.receiveMode()) {
        return TPortHolder::ReceiveMode;
    }
    std::error_code ec;
    const fs::path node = fs::canonical(device, ec);
    for (const TSerialHolder& h : holders) {
        if (!h.device.empty() && !ec && h.device == node.string()) {
            return TPortHolder::AnotherProgram;
        }
    }
    return TPortHolder::Nobody;
}

}  // namespace

TConfigurationFacts gatherConfigurationFacts(TWorkflowHost& host) {
    TConfigurationFacts f;
    gatherSystem(f);
    gatherScreen(f);
    gatherLocale(f);
    const std::vector<std::string> nodes = serialNodes();
    for (const std::string& node : nodes) {
        f.serialDevices.push_back(serialDeviceFacts("/sys", node));
    }
    const std::string settingsPath = host.folder().settingsPath();
    const auto devicePath = [settingsPath](int number) {
        try {
            return comPortDevicePath(IniFile::load(settingsPath), number);
        } catch (const IniFileError&) {
            return comPortDevicePath(IniFile(), number);
        }
    };
    std::vector<std::string> watched = nodes;
    const int comPort = host.settings().modem.comPort;
    const std::string modemDevice = comPort >= 0 ? devicePath(comPort + 1) : std::string();
    if (!modemDevice.empty()) {
        watched.push_back(modemDevice);
    }
    f.serialHolders = serialHolders("/proc", watched, static_cast<int>(::getpid()));
    f.modem = askModemIdentity(host.settings(), portHolder(host, modemDevice, f.serialHolders),
                               devicePath);
    f.settingsPath = settingsPath;
    f.programFolder = host.folder().path();
    const TPrintDriverLocation pxpd = readPrintDriverKeys(pxpdIniPath());
    f.pxpdOutPath = pxpd.outPath;
    f.pxpdExecutable = pxpd.executable;
    return f;
}

}  // namespace px
