#include "demo_inbox.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace px {

namespace {

constexpr const char* kPrefix = "fax-";
constexpr int kHighestNumber = 999999;

}  // namespace

int inboxNumber(const std::string& fileName) {
    const std::string prefix = kPrefix;
    if (fileName.compare(0, prefix.size(), prefix) != 0) {
        return 0;
    }
    std::size_t i = prefix.size();
    int number = 0;
    std::size_t digits = 0;
    while (i < fileName.size() && fileName[i] >= '0' && fileName[i] <= '9' && digits < 6) {
        number = number * 10 + (fileName[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || i >= fileName.size() || fileName[i] != '.') {
        return 0;
    }
    return number;
}

DemoInbox::DemoInbox(std::string dir) : dir_(std::move(dir)) {
    std::error_code error;
    std::filesystem::create_directories(dir_, error);
    if (!std::filesystem::is_directory(dir_)) {
        throw std::runtime_error("cannot make the inbox folder " + dir_ +
                                 (error ? ": " + error.message() : ""));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir_, error)) {
        last_ = std::max(last_, inboxNumber(entry.path().filename().string()));
    }
}

std::string DemoInbox::nextBase() {
    last_ = std::min(last_ + 1, kHighestNumber);
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d", kPrefix, last_);
    return (std::filesystem::path(dir_) / name).string();
}

}  // namespace px
