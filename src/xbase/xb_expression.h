// xBase expressions: compiled once against a table's fields into a typed
// evaluator tree, then evaluated against records.
//
// Supported: field names; string, number and logical literals; + - * /;
// = == <> != # < > <= >= $; .AND. .OR. .NOT. !; the functions DTOS DTOC CTOD
// UPPER LOWER ALLTRIM TRIM RTRIM LTRIM EMPTY DELETED RECNO STR VAL IIF SUBSTR.
// Types are checked when compiling, so a mismatch is an error up front rather
// than a wrong match later.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/xb_field.h"
#include "xbase/xb_table_env.h"
#include "xbase/xb_value.h"

namespace px {

struct TXbEvalContext {
    const char* record = nullptr;  // deletion flag byte first
    std::uint32_t recno = 0;
    const TTableEnv* env = nullptr;
};

class TXbNode;

class TXbExpression {
public:
    TXbExpression() = default;
    // Throws EXbError(BadExpression) with the reason and the column.
    static TXbExpression compile(std::string_view text, const std::vector<TXbField>& fields);

    bool empty() const { return root_ == nullptr; }
    const std::string& text() const { return text_; }
    TXbType type() const;
    // Width of a character result as xBase sizes index keys.
    int width() const;

    TXbValue evaluate(const TXbEvalContext& context) const;
    // For logical expressions.
    bool test(const TXbEvalContext& context) const;
    // For character expressions: appends the result to out without other
    // allocations (index keys are built this way).
    void appendText(const TXbEvalContext& context, std::string& out) const;

private:
    std::string text_;
    std::shared_ptr<const TXbNode> root_;
};

// xBase string comparison: with exact off the left side is compared only up
// to the length of the right side; the shorter side counts as blank-padded.
int xbCompareText(std::string_view left, std::string_view right, bool exact);

// CTOD: reads a date in the environment's format; bad text gives the empty date.
TXbDate xbTextToDate(std::string_view text, const TTableEnv& env);
// DTOC: the date in the environment's format ("  /  /    " style blanks when empty).
std::string xbDateToText(const TXbDate& date, const TTableEnv& env);

}  // namespace px
