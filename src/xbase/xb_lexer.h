// Splits an xBase expression into tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace px {

enum class TXbTokenKind {
    String,      // "..." '...' [...]
    Number,      // 12  3.5
    Identifier,  // field or function name, upper-cased
    Logical,     // .T. .F. .TRUE. .FALSE. .Y. .N.  (text is "T" or "F")
    And,         // .AND.
    Or,          // .OR.
    Not,         // .NOT.  !
    Operator,    // + - * / = == <> != # < > <= >= $
    LeftParen,
    RightParen,
    Comma,
    End,
};

struct TXbToken {
    TXbTokenKind kind = TXbTokenKind::End;
    std::string text;
    std::size_t position = 0;  // 0-based column, for error messages
};

// Throws EXbError(BadExpression) naming the column of the first bad character.
std::vector<TXbToken> xbTokenize(std::string_view text);

}  // namespace px
