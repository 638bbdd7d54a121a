#include "comms/px_serial_ports.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "comms/px_posix_dispatcher.h"

namespace px {

namespace {

// Names in `dir` starting with `prefix`, in natural order (ttyS2 before ttyS10).
std::vector<std::string> entries(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != ".." && name.rfind(prefix, 0) == 0) {
                names.push_back(name);
            }
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const std::string ta = a.substr(prefix.size());
        const std::string tb = b.substr(prefix.size());
        const bool na = !ta.empty() && std::all_of(ta.begin(), ta.end(), ::isdigit);
        const bool nb = !tb.empty() && std::all_of(tb.begin(), tb.end(), ::isdigit);
        if (na && nb) {
            return std::atol(ta.c_str()) < std::atol(tb.c_str());
        }
        return a < b;
    });
    return names;
}

}  // namespace

std::vector<std::string> listSerialPorts(const std::string& devRoot) {
    std::vector<std::string> ports;
    for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
        for (const auto& name : entries(devRoot, prefix)) {
            const std::string path = devRoot + "/" + name;
            if (TPxPosixDispatcher::probeDevice(path)) {
                ports.push_back(path);
            }
        }
    }
    const std::string byId = devRoot + "/serial/by-id";
    for (const auto& name : entries(byId, "")) {
        const std::string path = byId + "/" + name;
        if (TPxPosixDispatcher::probeDevice(path)) {
            ports.push_back(path);
        }
    }
    return ports;
}

}  // namespace px
