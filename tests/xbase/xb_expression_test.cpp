#include "xbase/xb_expression.h"

#include <gtest/gtest.h>

#include "xb_test_util.h"
#include "xbase/xb_dbf_file.h"
#include "xbase/xb_error.h"
#include "xbase/xb_record.h"

namespace px {
namespace {

// One record of a log-like table to evaluate against.
class ExpressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fields_ = {{"SUBJECT", 'C', 20, 0, 0}, {"DATESENT", 'D', 8, 0, 0},
                   {"TIMESENT", 'C', 5, 0, 0}, {"FROM", 'C', 20, 0, 0},
                   {"ARCHIVED", 'L', 1, 0, 0}, {"PAGES", 'N', 3, 0, 0}};
        TXbDbfFile::validateFields(fields_);
        record_.assign(1 + 20 + 8 + 5 + 20 + 1 + 3, ' ');
        set("SUBJECT", TXbValue::character("Quarterly Report"));
        set("DATESENT", TXbValue::ofDate({2026, 12, 8}));
        set("TIMESENT", TXbValue::character("09:05"));
        set("FROM", TXbValue::character("  J. Smith"));
        set("ARCHIVED", TXbValue::ofLogical(false));
        set("PAGES", TXbValue::ofNumber(12));
        env_.setEpoch(1950);
    }
    void set(const std::string& name, const TXbValue& v) {
        for (const TXbField& f : fields_) {
            if (f.name == name) {
                xbWriteField(f, record_.data(), v);
            }
        }
    }
    TXbValue eval(const std::string& text) {
        const TXbExpression e = TXbExpression::compile(text, fields_);
        return e.evaluate(TXbEvalContext{record_.data(), 7, &env_});
    }
    bool test(const std::string& text) {
        const TXbValue v = eval(text);
        EXPECT_EQ(v.type, TXbType::Logical) << text;
        return v.logical;
    }

    std::vector<TXbField> fields_;
    std::vector<char> record_;
    TTableEnv env_;
};

TEST_F(ExpressionTest, LogicalExpressionsOfTheLogsAndTheDataManager) {
    struct TCase {
        const char* text;
        bool expected;
    };
    const TCase cases[] = {
        {".not. deleted()", true},
        {"deleted()", false},
        {".not. archived", true},
        {".not. ARCHIVED .and. .true.", true},
        {"ARCHIVED .or. PAGES = 12", true},
        {".T.", true},
        {".f.", false},
        {"!ARCHIVED", true},
        {"EMPTY(DATESENT)", false},
        {".not. EMPTY(DATESENT)", true},
        {"(DATESENT<CTOD(\"12/09/26\")) .and. (.not. EMPTY(DATESENT))", true},
        {"(DATESENT<CTOD(\"12/08/26\")) .and. (.not. EMPTY(DATESENT))", false},
        {"DATESENT >= CTOD('12/08/2026')", true},
        {"ALLTRIM(UPPER(FROM))==\"J. SMITH\"", true},
        {"ALLTRIM(UPPER(FROM))==\"J. SMIT\"", false},
        {"\"SMITH\"$ALLTRIM(UPPER(FROM))", true},
        {"\"SMYTH\"$ALLTRIM(UPPER(FROM))", false},
        {"SUBJECT = \"Quarterly\"", true},  // exact off: prefix of the right side
        {"SUBJECT == \"Quarterly\"", false},
        {"\"Quarterly\" = SUBJECT", false},  // the right side is longer
        {"SUBJECT <> \"Annual\"", true},
        {"SUBJECT != \"Quarterly Report\"", false},
        {"SUBJECT # \"Quarterly Report\"", false},
        {"UPPER(SUBJECT) > \"QUARTER\"", false},  // prefix-equal with exact off
        {"UPPER(SUBJECT) >= \"QUARTER\"", true},
        {"PAGES > 11 .and. PAGES <= 12", true},
        {"PAGES * 2 - 4 = 20", true},
        {"PAGES / 0 = 0", true},
        {"DTOS(DATESENT)+TIMESENT == \"2026120809:05\"", true},
        {"DATESENT + 1 = CTOD(\"12/09/26\")", true},
        {"DATESENT - CTOD(\"01/01/2026\") = 341", true},
        {"RECNO() = 7", true},
        {"IIF(ARCHIVED, \"A\", \"B\") = \"B\"", true},
        {"SUBSTR(SUBJECT, 11, 3) == \"Rep\"", true},
        {"STR(PAGES, 4) == \"  12\"", true},
        {"VAL(\"  42 \") = 42", true},
        {"LOWER(TIMESENT) = \"09\"", true},
        {"DTOC(DATESENT) == \"12/08/2026\"", true},
        {"CTOD(\"02/30/26\") = CTOD(\"\")", true},  // invalid date reads empty
        {"EMPTY(CTOD(\"garbage\"))", true},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(test(c.text), c.expected) << c.text;
    }
}

TEST_F(ExpressionTest, ExactOnComparesWholeTexts) {
    env_.setExact(true);
    EXPECT_FALSE(test("SUBJECT = \"Quarterly\""));
    EXPECT_TRUE(test("SUBJECT = \"Quarterly Report\""));  // trailing blanks ignored
    EXPECT_EQ(xbCompareText("AB", "AB  ", true), 0);
    EXPECT_LT(xbCompareText("AB", "ABC", true), 0);
    EXPECT_EQ(xbCompareText("ABC", "AB", false), 0);
    EXPECT_LT(xbCompareText("AB", "ABC", false), 0);
    EXPECT_EQ(xbCompareText("ABC", "", false), 0);
}

TEST_F(ExpressionTest, TwoDigitYearsFollowTheEpoch) {
    struct TCase {
        const char* text;
        TXbDateFormat format;
        TXbDate expected;
    };
    const TCase cases[] = {
        {"12/08/26", TXbDateFormat::American, {2026, 12, 8}},
        {"12/08/49", TXbDateFormat::American, {2049, 12, 8}},
        {"12/08/50", TXbDateFormat::American, {1950, 12, 8}},
        {"12/08/1926", TXbDateFormat::American, {1926, 12, 8}},
        {"08/12/26", TXbDateFormat::British, {2026, 12, 8}},
        {"08.12.2026", TXbDateFormat::German, {2026, 12, 8}},
        {"2026.12.08", TXbDateFormat::Ansi, {2026, 12, 8}},
        {"13/01/26", TXbDateFormat::American, {}},
        {"1/2", TXbDateFormat::American, {}},
        {"1/2/3/4", TXbDateFormat::American, {}},
        {"", TXbDateFormat::American, {}},
    };
    for (const TCase& c : cases) {
        env_.setDateFormat(c.format);
        EXPECT_EQ(xbTextToDate(c.text, env_), c.expected) << c.text;
    }
    env_.setDateFormat(TXbDateFormat::American);
    EXPECT_EQ(xbDateToText({2026, 1, 2}, env_), "01/02/2026");
    env_.setCentury(false);
    EXPECT_EQ(xbDateToText({2026, 1, 2}, env_), "01/02/26");
}

TEST_F(ExpressionTest, ResultTypesAndKeyWidths) {
    const TXbExpression key = TXbExpression::compile("DTOS(DATESENT)+TIMESENT", fields_);
    EXPECT_EQ(key.type(), TXbType::Character);
    EXPECT_EQ(key.width(), 13);
    EXPECT_EQ(TXbExpression::compile("UPPER(SUBJECT)", fields_).width(), 20);
    EXPECT_EQ(TXbExpression::compile("ARCHIVED", fields_).type(), TXbType::Logical);
    EXPECT_EQ(eval("UPPER(SUBJECT)").text, "QUARTERLY REPORT    ");
    EXPECT_EQ(eval("ALLTRIM(FROM)").text, "J. Smith");
    EXPECT_EQ(eval("DTOS(CTOD(\"\"))").text, "        ");
}

TEST_F(ExpressionTest, MalformedExpressionsAreClearErrors) {
    const char* bad[] = {
        "",
        "   ",
        "SUBJECT +",
        "UPPER(SUBJECT",
        "UPPER SUBJECT)",
        "NOSUCHFIELD = 1",
        "NOSUCHFN(SUBJECT)",
        "UPPER(PAGES)",
        "SUBJECT = 1",
        "DATESENT < \"12/08/26\"",
        ".not. SUBJECT",
        "ARCHIVED .and. PAGES",
        "\"unterminated",
        "[open",
        ".maybe.",
        "SUBJECT @ 1",
        "DTOS(DATESENT, 1)",
        "deleted(1)",
        "STR(PAGES, PAGES)",
        "IIF(ARCHIVED, 1, \"x\")",
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((ARCHIVED",
        "SUBJECT SUBJECT",
    };
    for (const char* text : bad) {
        try {
            TXbExpression::compile(text, fields_);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EXbError& e) {
            EXPECT_EQ(e.kind(), TXbErrorKind::BadExpression) << text;
            EXPECT_GT(std::string(e.what()).size(), 10u) << text;
        }
    }
}

TEST(XbDate, DayNumbersRoundTrip) {
    for (const TXbDate d : {TXbDate{1, 1, 1}, TXbDate{1900, 2, 28}, TXbDate{2000, 2, 29},
                            TXbDate{2026, 12, 8}, TXbDate{9999, 12, 31}}) {
        EXPECT_EQ(TXbDate::fromDayNumber(d.dayNumber()), d);
        EXPECT_EQ(TXbDate::fromDtos(d.toDtos()), d);
    }
    EXPECT_EQ((TXbDate{2026, 3, 1}.dayNumber() - TXbDate{2026, 2, 28}.dayNumber()), 1);
    EXPECT_EQ((TXbDate{2024, 3, 1}.dayNumber() - TXbDate{2024, 2, 28}.dayNumber()), 2);
    EXPECT_TRUE(TXbDate::fromDtos("20260230").empty());
    EXPECT_TRUE(TXbDate::fromDtos("2026120x").empty());
    EXPECT_LT(TXbDate().dayNumber(), (TXbDate{1, 1, 1}.dayNumber()));
}

}  // namespace
}  // namespace px
