// What the configuration report tells about the machine, gathered once when
// the window opens. A fact the system did not give stays empty (or zero) and
// its line is left out rather than guessed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace px {

struct TMemoryFacts {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
    std::uint64_t swapTotalBytes = 0;
    std::uint64_t swapFreeBytes = 0;
};

// A serial device node with what sysfs says of the hardware behind it.
struct TSerialDeviceFacts {
    std::string device;        // "/dev/ttyACM0"
    std::string driver;        // "cdc_acm"; empty when sysfs names none
    std::string usbId;         // "0572:1340" for a USB device, else empty
    std::string manufacturer;  // USB manufacturer string, when given
    std::string product;       // USB product string, when given
};

// What became of asking the configured modem "ATI".
struct TModemIdentity {
    enum class Outcome {
        NotConfigured,  // Modem/ComPort was never set
        InReceiveMode,  // the program's own receive mode holds the port
        PortInUse,      // another program holds it
        PortNotOpened,  // the device could not be opened; `reason` says why
        NoAnswer,       // opened, but nothing came back in time
        Answered,
    };
    Outcome outcome = Outcome::NotConfigured;
    int portNumber = 0;               // 1-based COM number
    std::string device;               // the device path it maps to
    std::string reason;               // for PortNotOpened
    std::vector<std::string> answer;  // the answer's lines, without echo and "OK"
};

// A running program that holds (or may take) a serial device.
struct TSerialHolder {
    std::string program;
    std::string device;  // empty when this user cannot see which
};

struct TConfigurationFacts {
    std::string date;  // today in the long date format

    std::string distribution;  // PRETTY_NAME of os-release
    std::string kernel;        // release, e.g. "6.1.0-18-amd64"
    std::string machine;       // e.g. "x86_64"

    std::string cpuModel;
    int cpuCount = 0;

    std::optional<TMemoryFacts> memory;

    int screenWidth = 0;
    int screenHeight = 0;
    int screenDepth = 0;  // bits per pixel
    int logicalDpi = 0;   // 0: no screen

    std::string userLanguage;
    std::string systemLanguage;  // empty when the machine sets none
    std::string userCountry;
    std::string systemCountry;
    std::string shortDateFormat;
    std::string longDateFormat;
    std::string shortTimeFormat;
    std::string longTimeFormat;

    std::string qtVersion;

    std::vector<TSerialDeviceFacts> serialDevices;
    TModemIdentity modem;

    std::string settingsPath;   // full path of PX.INI
    std::string programFolder;  // ends in "/"
    // The print driver's hand-off settings; nothing while not written yet.
    std::optional<std::string> pxpdOutPath;
    std::optional<std::string> pxpdExecutable;

    std::vector<TSerialHolder> serialHolders;
};

}  // namespace px
