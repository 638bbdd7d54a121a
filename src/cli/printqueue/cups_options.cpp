#include "cli/printqueue/cups_options.h"

namespace px {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::map<std::string, std::string> parseCupsOptions(std::string_view text) {
    text = text.substr(0, kMaxCupsOptionsBytes);
    std::map<std::string, std::string> options;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isBlank(text[pos])) {
            ++pos;
        }
        const std::size_t nameStart = pos;
        while (pos < text.size() && !isBlank(text[pos]) && text[pos] != '=') {
            ++pos;
        }
        std::string name(text.substr(nameStart, pos - nameStart));
        if (pos >= text.size() || text[pos] != '=') {
            if (!name.empty()) {
                options[name] = "true";
            }
            continue;
        }
        ++pos;  // '='
        std::string value;
        char quote = 0;
        while (pos < text.size() && (quote != 0 || !isBlank(text[pos]))) {
            const char c = text[pos++];
            if (c == '\\' && pos < text.size()) {
                value += text[pos++];
            } else if (quote != 0 && c == quote) {
                quote = 0;
            } else if (quote == 0 && (c == '\'' || c == '"')) {
                quote = c;
            } else {
                value += c;
            }
        }
        if (!name.empty()) {
            options[name] = std::move(value);
        }
    }
    return options;
}

}  // namespace px
