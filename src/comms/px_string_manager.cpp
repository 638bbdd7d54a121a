#include "comms/px_string_manager.h"

#include <cstdio>

namespace px {

namespace {

uint32_t read32(std::span<const uint8_t> data, size_t at) {
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::span<const uint8_t> text) {
    std::string out;
    size_t units = text.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        uint32_t u = text[2 * i] | text[2 * i + 1] << 8;
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            uint32_t low = text[2 * i + 2] | text[2 * i + 3] << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
    }
    return out;
}

constexpr size_t kRowSize = 12;
constexpr size_t kHeaderSize = 8;

}  // namespace

TPxStringManager::TPxStringManager(std::span<const uint8_t> resource) {
    if (resource.size() < kHeaderSize || resource[0] != 'S' || resource[1] != 'T' ||
        resource[2] != 'R' || resource[3] != '0') {
        raiseStringError(smInvalidResource);
    }
    const uint64_t count = read32(resource, 4);
    if (count > (resource.size() - kHeaderSize) / kRowSize) {
        raiseStringError(smInvalidResource);
    }
    for (size_t row = 0; row < count; ++row) {
        const size_t at = kHeaderSize + row * kRowSize;
        const int id = static_cast<int>(read32(resource, at));
        const uint64_t offset = read32(resource, at + 4);
        const uint64_t bytes = static_cast<uint64_t>(read32(resource, at + 8)) * 2;
        if (offset > resource.size() || bytes > resource.size() - offset) {
            raiseStringError(smInvalidResource);
        }
        rows_[id] = utf16ToUtf8(resource.subspan(offset, bytes));
    }
}

TPxStringManager TPxStringManager::fromResource(std::string_view name) {
    auto data = builtinStringResource(name);
    if (data.empty()) {
        raiseStringError(smResourceNotFound, std::string(name));
    }
    return TPxStringManager(data);
}

std::string TPxStringManager::find(int id) const {
    auto it = rows_.find(id);
    return it == rows_.end() ? std::string() : it->second;
}

std::string TPxStringManager::getString(int id) const {
    auto it = rows_.find(id);
    if (it == rows_.end()) {
        raiseStringError(smStringNotFound, std::to_string(id));
    }
    return it->second;
}

void raiseStringError(int row, const std::string& argument) {
    static const TPxStringManager own(builtinStringResource("PXSTRMGR_STRINGS"));
    std::string text = own.find(row);
    for (const char* marker : {"%d", "%s"}) {
        auto at = text.find(marker);
        if (at != std::string::npos) {
            text.replace(at, 2, argument);
        }
    }
    throw EPxStringError(row, text);
}

}  // namespace px
