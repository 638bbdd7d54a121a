#include "xbase/xb_lexer.h"

#include "xbase/xb_error.h"

namespace px {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
char toUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

[[noreturn]] void fail(std::size_t pos, const std::string& why) {
    throw EXbError(TXbErrorKind::BadExpression,
                   "Syntax error at column " + std::to_string(pos + 1) + ": " + why);
}

}  // namespace

std::vector<TXbToken> xbTokenize(std::string_view text) {
    std::vector<TXbToken> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t start = i;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const std::size_t end = text.find(close, i + 1);
            if (end == std::string_view::npos) {
                fail(start, "unterminated string");
            }
            out.push_back(
                {TXbTokenKind::String, std::string(text.substr(i + 1, end - i - 1)), start});
            i = end + 1;
            continue;
        }
        if (isDigit(c) || (c == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
            while (i < text.size() && isDigit(text[i])) {
                ++i;
            }
            if (i < text.size() && text[i] == '.' && i + 1 < text.size() && isDigit(text[i + 1])) {
                ++i;
                while (i < text.size() && isDigit(text[i])) {
                    ++i;
                }
            }
            out.push_back(
                {TXbTokenKind::Number, std::string(text.substr(start, i - start)), start});
            continue;
        }
        if (c == '.') {
            std::size_t end = i + 1;
            std::string word;
            while (end < text.size() && isAlpha(text[end])) {
                word += toUpper(text[end]);
                ++end;
            }
            if (end >= text.size() || text[end] != '.' || word.empty()) {
                fail(start, "expected .AND., .OR., .NOT., .T. or .F.");
            }
            i = end + 1;
            if (word == "AND") {
                out.push_back({TXbTokenKind::And, word, start});
            } else if (word == "OR") {
                out.push_back({TXbTokenKind::Or, word, start});
            } else if (word == "NOT") {
                out.push_back({TXbTokenKind::Not, word, start});
            } else if (word == "T" || word == "TRUE" || word == "Y") {
                out.push_back({TXbTokenKind::Logical, "T", start});
            } else if (word == "F" || word == "FALSE" || word == "N") {
                out.push_back({TXbTokenKind::Logical, "F", start});
            } else {
                fail(start, "unknown word ." + word + ".");
            }
            continue;
        }
        if (isAlpha(c)) {
            std::string word;
            while (i < text.size() && (isAlpha(text[i]) || isDigit(text[i]))) {
                word += toUpper(text[i]);
                ++i;
            }
            out.push_back({TXbTokenKind::Identifier, word, start});
            continue;
        }
        if (c == '(') {
            out.push_back({TXbTokenKind::LeftParen, "(", start});
            ++i;
            continue;
        }
        if (c == ')') {
            out.push_back({TXbTokenKind::RightParen, ")", start});
            ++i;
            continue;
        }
        if (c == ',') {
            out.push_back({TXbTokenKind::Comma, ",", start});
            ++i;
            continue;
        }
        const std::string_view two = text.substr(i, 2);
        if (two == "==" || two == "<>" || two == "!=" || two == "<=" || two == ">=") {
            out.push_back({TXbTokenKind::Operator, std::string(two), start});
            i += 2;
            continue;
        }
        if (c == '!') {
            out.push_back({TXbTokenKind::Not, "NOT", start});
            ++i;
            continue;
        }
        if (c == '+' || c == '-' || c == '*' || c == '/' || c == '=' || c == '#' || c == '<' ||
            c == '>' || c == '$') {
            out.push_back({TXbTokenKind::Operator, std::string(1, c), start});
            ++i;
            continue;
        }
        fail(start, std::string("unexpected character '") + c + "'");
    }
    out.push_back({TXbTokenKind::End, "", text.size()});
    return out;
}

}  // namespace px
