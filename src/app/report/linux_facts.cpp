#include "app/report/linux_facts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

namespace px {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kBytesPerKilobyte = 1024;
// Levels of sysfs a tty may lie below its USB device (tty, interface, device).
constexpr int kUsbSearchDepth = 6;
// Programs that open serial ports on their own and keep them, the usual
// reasons a modem does not answer a fax program.
constexpr std::array<std::string_view, 6> kSerialTakers = {"ModemManager", "brltty", "gpsd",
                                                           "agetty",       "mgetty", "getty"};

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())) != 0) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

// Calls `f(key, value)` for each "key<sep>value" line.
template <typename F>
void forEachPair(std::string_view text, char separator, F f) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t at = line.find(separator);
        if (at != std::string_view::npos) {
            f(trim(line.substr(0, at)), trim(line.substr(at + 1)));
        }
    }
}

std::optional<std::uint64_t> kilobytes(std::string_view value) {
    std::uint64_t n = 0;
    bool any = false;
    for (char c : value) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            break;
        }
        if (n > (UINT64_MAX / 10 - 9) / kBytesPerKilobyte) {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        any = true;
    }
    return any ? std::optional(n * kBytesPerKilobyte) : std::nullopt;
}

std::string firstLine(const std::string& path) {
    const std::string text = readSystemFile(path, 4096);
    return std::string(trim(std::string_view(text).substr(0, text.find('\n'))));
}

bool isUsbDevice(const fs::path& dir) {
    std::error_code ec;
    return fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec);
}

}  // namespace

std::string readSystemFile(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "";
    }
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string osPrettyName(std::string_view osRelease) {
    std::string name;
    forEachPair(osRelease, '=', [&](std::string_view key, std::string_view value) {
        if (key == "PRETTY_NAME") {
            name = unquote(value);
        }
    });
    return name;
}

TCpuFacts cpuFacts(std::string_view cpuinfo) {
    TCpuFacts facts;
    std::string fallback;
    forEachPair(cpuinfo, ':', [&](std::string_view key, std::string_view value) {
        if (key == "processor") {
            ++facts.count;
        } else if (key == "model name" && facts.model.empty()) {
            facts.model = value;
        } else if ((key == "Model" || key == "Hardware" || key == "cpu model" || key == "cpu") &&
                   fallback.empty()) {
            fallback = value;
        }
    });
    if (facts.model.empty()) {
        facts.model = fallback;
    }
    return facts;
}

std::optional<TMemoryFacts> memoryFacts(std::string_view meminfo) {
    std::optional<std::uint64_t> total, available, free, swapTotal, swapFree;
    forEachPair(meminfo, ':', [&](std::string_view key, std::string_view value) {
        if (key == "MemTotal") {
            total = kilobytes(value);
        } else if (key == "MemAvailable") {
            available = kilobytes(value);
        } else if (key == "MemFree") {
            free = kilobytes(value);
        } else if (key == "SwapTotal") {
            swapTotal = kilobytes(value);
        } else if (key == "SwapFree") {
            swapFree = kilobytes(value);
        }
    });
    if (!total) {
        return std::nullopt;
    }
    TMemoryFacts m;
    m.totalBytes = *total;
    m.availableBytes = available.value_or(free.value_or(0));
    m.swapTotalBytes = swapTotal.value_or(0);
    m.swapFreeBytes = swapFree.value_or(0);
    return m;
}

std::string localeFileLanguage(std::string_view text) {
    std::string lang;
    forEachPair(text, '=', [&](std::string_view key, std::string_view value) {
        if (key == "LANG") {
            lang = unquote(value);
        }
    });
    return lang;
}

TSerialDeviceFacts serialDeviceFacts(const std::string& sysRoot, const std::string& device) {
    TSerialDeviceFacts facts;
    facts.device = device;
    std::error_code ec;
    fs::path node = fs::canonical(device, ec);
    const std::string name = (ec ? fs::path(device) : node).filename().string();
    const fs::path ttyDevice = fs::path(sysRoot) / "class" / "tty" / name / "device";
    fs::path dir = fs::canonical(ttyDevice, ec);
    if (ec) {
        return facts;
    }
    const fs::path driver = fs::read_symlink(ttyDevice / "driver", ec);
    if (!ec) {
        facts.driver = driver.filename().string();
    }
    const fs::path root = fs::canonical(sysRoot, ec);
    for (int level = 0; level < kUsbSearchDepth && !ec && dir.has_parent_path(); ++level) {
        if (isUsbDevice(dir)) {
            facts.usbId = firstLine(dir / "idVendor") + ":" + firstLine(dir / "idProduct");
            facts.manufacturer = firstLine(dir / "manufacturer");
            facts.product = firstLine(dir / "product");
            break;
        }
        if (dir == root || dir.parent_path() == dir) {
            break;
        }
        dir = dir.parent_path();
    }
    return facts;
}

std::vector<TSerialHolder> serialHolders(const std::string& procRoot,
                                         const std::vector<std::string>& devices, int selfPid) {
    std::set<std::string> nodes;
    for (const std::string& d : devices) {
        std::error_code ec;
        const fs::path node = fs::canonical(d, ec);
        nodes.insert(ec ? d : node.string());
    }
    std::vector<TSerialHolder> holders;
    std::error_code ec;
    // Processes come and go while the folder is read: a failed step ends the walk, not the report.
    for (fs::directory_iterator it(procRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::directory_entry& process = *it;
        const std::string pid = process.path().filename().string();
        if (pid.empty() ||
            !std::all_of(pid.begin(), pid.end(),
                         [](unsigned char c) { return std::isdigit(c) != 0; }) ||
            pid == std::to_string(selfPid)) {
            continue;
        }
        const std::string program = firstLine(process.path() / "comm");
        if (program.empty()) {
            continue;
        }
        bool holds = false;
        std::error_code fdError;
        for (fs::directory_iterator fd(process.path() / "fd", fdError), fdEnd;
             !fdError && fd != fdEnd; fd.increment(fdError)) {
            std::error_code linkError;
            const fs::path target = fs::read_symlink(fd->path(), linkError);
            if (!linkError && nodes.count(target.string()) != 0) {
                holders.push_back({program, target.string()});
                holds = true;
            }
        }
        if (!holds &&
            std::find(kSerialTakers.begin(), kSerialTakers.end(), program) != kSerialTakers.end()) {
            holders.push_back({program, ""});
        }
    }
    return holders;
}

}  // namespace px
