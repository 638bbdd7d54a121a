// The facts of one well-equipped machine, for the report's tests and its
// screenshot.
#pragma once

#include "app/report/configuration_facts.h"

namespace px::test {

inline TConfigurationFacts sampleFacts() {
    TConfigurationFacts f;
    f.date = "Tuesday, 8 December 2026";
    f.distribution = "Debian GNU/Linux 12 (bookworm)";
    f.kernel = "6.1.0-18-amd64";
    f.machine = "x86_64";
    f.cpuModel = "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz";
    f.cpuCount = 8;
    f.memory = TMemoryFacts{8'000'000'000, 6'000'000'000, 2'147'483'648, 1'073'741'824};
    f.screenWidth = 1920;
    f.screenHeight = 1080;
    f.screenDepth = 24;
    f.logicalDpi = 96;
    f.userLanguage = "German";
    f.systemLanguage = "English";
    f.userCountry = "Germany";
    f.systemCountry = "United States";
    f.shortDateFormat = "dd.MM.yy";
    f.longDateFormat = "dddd, d. MMMM yyyy";
    f.shortTimeFormat = "HH:mm";
    f.longTimeFormat = "HH:mm:ss t";
    f.qtVersion = "6.4.2";
    f.serialDevices = {{"/dev/ttyS0", "serial8250", "", "", ""},
                       {"/dev/ttyACM0", "cdc_acm", "0572:1340", "Conexant", "USB Modem"}};
    f.modem.outcome = TModemIdentity::Outcome::Answered;
    f.modem.portNumber = 3;
    f.modem.device = "/dev/ttyACM0";
    f.modem.answer = {"Conexant CX93010", "V.92"};
    f.settingsPath = "/home/ada/.local/share/parvex/PX.INI";
    f.programFolder = "/home/ada/.local/share/parvex/";
    f.serialHolders = {{"parvex", "/dev/ttyS1"}, {"minicom", "/dev/ttyS1"}, {"ModemManager", ""}};
    return f;
}

}  // namespace px::test
