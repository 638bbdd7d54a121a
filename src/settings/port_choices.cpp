#include "settings/port_choices.h"

#include <algorithm>

#include "settings/px_settings.h"

namespace px {

namespace {

std::string portKey(int number) {
    return "COM" + std::to_string(number);
}

bool listed(const std::vector<std::string>& devices, const std::string& path) {
    return std::find(devices.begin(), devices.end(), path) != devices.end();
}

}  // namespace

std::string PortChoice::text() const {
    return portKey(number) + "  (" + path + ")";
}

std::vector<PortChoice> portChoices(const IniFile& ini, const std::vector<std::string>& devices) {
    std::vector<PortChoice> choices;
    std::vector<bool> taken(kMaxPortNumber + 1, false);
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        bool bound = !ini.readString("Ports", portKey(n), "").empty();
        std::string path = comPortDevicePath(ini, n);
        if (bound || listed(devices, path)) {
            choices.push_back({n, path, false});
            taken[static_cast<std::size_t>(n)] = true;
        }
    }
    int next = 1;
    for (const std::string& device : devices) {
        bool reached = std::any_of(choices.begin(), choices.end(),
                                   [&](const PortChoice& c) { return c.path == device; });
        if (reached)
            continue;
        // A default /dev/ttyS name not in the list may still exist later; skip
        // numbers whose default device is listed as well as bound ones.
        while (next <= kMaxPortNumber && taken[static_cast<std::size_t>(next)])
            ++next;
        if (next > kMaxPortNumber)
            break;
        choices.push_back({next, device, true});
        taken[static_cast<std::size_t>(next)] = true;
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const PortChoice& a, const PortChoice& b) { return a.number < b.number; });
    return choices;
}

void bindPortChoice(IniFile& ini, const PortChoice& choice) {
    if (choice.needsBinding)
        ini.writeString("Ports", portKey(choice.number), choice.path);
}

int portNumberOfChoiceText(const std::string& text) {
    if (text.size() < 4 || text.compare(0, 3, "COM") != 0)
        return 0;
    int n = 0;
    for (std::size_t i = 3; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > kMaxPortNumber)
            return 0;
    }
    return n;
}

}  // namespace px
