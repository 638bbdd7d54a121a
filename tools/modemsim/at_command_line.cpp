#include "at_command_line.h"

#include <cctype>

namespace px {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '%';
}

// Reads an extended command's argument up to ';' or the end; quoted strings
// keep their case and may hold ';'.
std::string readArgument(const std::string& s, std::size_t& i) {
    std::string out;
    bool quoted = false;
    while (i < s.size() && (quoted || s[i] != ';')) {
        char c = s[i++];
        if (c == '"') {
            quoted = !quoted;
        }
        out += quoted || c == '"' ? c : upper(c);
    }
    return out;
}

}  // namespace

std::optional<std::vector<AtCommand>> parseAtLine(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    if (line.size() - i < 2) {
        return std::nullopt;
    }
    if (upper(line[i]) != 'A' || upper(line[i + 1]) != 'T') {
        return std::nullopt;
    }
    i += 2;
    std::vector<AtCommand> commands;
    while (i < line.size()) {
        char c = upper(line[i]);
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        AtCommand cmd;
        if (c == '+') {
            std::size_t start = i++;
            while (i < line.size() && isNameChar(line[i])) {
                ++i;
            }
            for (std::size_t k = start; k < i; ++k) {
                cmd.name += upper(line[k]);
            }
            if (cmd.name.size() < 2) {
                return std::nullopt;
            }
            if (line.compare(i, 2, "=?") == 0) {
                cmd.op = AtCommand::Op::Test;
                i += 2;
            } else if (i < line.size() && line[i] == '=') {
                cmd.op = AtCommand::Op::Set;
                ++i;
                cmd.value = readArgument(line, i);
            } else if (i < line.size() && line[i] == '?') {
                cmd.op = AtCommand::Op::Query;
                ++i;
            }
        } else if (c == 'D') {
            // The dial string runs to the end of the line or to ';'.
            cmd.name = "D";
            ++i;
            while (i < line.size() && line[i] != ';') {
                if (line[i] != ' ') {
                    cmd.value += upper(line[i]);
                }
                ++i;
            }
        } else if (c == 'S') {
            cmd.name = "S";
            ++i;
            while (i < line.size() && isDigit(line[i])) {
                cmd.name += line[i++];
            }
            if (cmd.name.size() == 1) {
                return std::nullopt;
            }
            if (i < line.size() && line[i] == '=') {
                cmd.op = AtCommand::Op::Set;
                ++i;
                while (i < line.size() && isDigit(line[i])) {
                    cmd.value += line[i++];
                }
            } else if (i < line.size() && line[i] == '?') {
                cmd.op = AtCommand::Op::Query;
                ++i;
            }
        } else if (c == '&' || std::isalpha(static_cast<unsigned char>(c))) {
            cmd.name = c;
            ++i;
            if (c == '&') {
                if (i >= line.size() || !std::isalpha(static_cast<unsigned char>(line[i]))) {
                    return std::nullopt;
                }
                cmd.name += upper(line[i++]);
            }
            while (i < line.size() && isDigit(line[i])) {
                cmd.value += line[i++];
            }
            if (i < line.size() && line[i] == '?') {
                cmd.op = AtCommand::Op::Query;
                ++i;
            }
        } else {
            return std::nullopt;
        }
        commands.push_back(std::move(cmd));
    }
    return commands;
}

}  // namespace px
