// Deterministic mutation tests for every reader of outside input in the table
// store: the .DBF reader, the .CDX reader and the expression parser. Each
// mutant must give a result or a clean EXbError, never a crash, hang or a
// wild allocation (the sanitizer build checks the rest).
#include <gtest/gtest.h>

#include <random>

#include "xb_test_util.h"
#include "xbase/xb_error.h"
#include "xbase/xb_table.h"

namespace px {
namespace {

using test::TTempDir;

void mutate(std::vector<char>& bytes, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = rng() % bytes.size();
        switch (rng() % 6) {
            case 0:
                bytes[at] = static_cast<char>(rng());
                break;
            case 1:
                bytes[at] ^= static_cast<char>(1 << (rng() % 8));
                break;
            case 2:
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
                break;
            case 3:
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), 1 + rng() % 64,
                             static_cast<char>(rng()));
                break;
            case 4:  // interesting header values
                bytes[at] = "\x00\xFF\x7F\x80\x0D\x1A *"[rng() % 9];
                break;
            default:
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
                break;
        }
    }
}

// Reads everything a caller could ask of an opened table.
void exercise(TXbTable& table) {
    table.env().setDeletedHidden(false);
    for (int order = 0; order <= table.tagCount(); ++order) {
        table.setOrder(order);
        std::uint32_t seen = 0;
        for (table.first(); !table.eof() && seen <= table.recCount(); table.next()) {
            for (int f = 0; f < static_cast<int>(table.fields().size()); ++f) {
                (void)table.value(f);
            }
            ++seen;
        }
        ASSERT_LE(seen, table.recCount());
        ASSERT_EQ(seen, table.visibleCount());
    }
}

TEST(Mutation, DbfAndCdxReadersAnswerEveryMutantCleanly) {
    TTempDir dir;
    const std::string path = dir.file("M.DBF");
    const std::string cdx = dir.file("M.CDX");
    TXbTable::create(path, test::sampleFields());
    {
        TXbTable table;
        table.open(path);
        for (int i = 0; i < 12; ++i) {
            table.append();
            table.setText("NAME", "row " + std::to_string(i));
            table.setDate("BORN", {2000 + i, 1 + i % 12, 1 + i});
            table.setLogical("ACTIVE", i % 3 == 0);
            table.setNumber("PAGES", i * 7);
            table.setNumber("PRICE", i * 1.5);
            table.setDeleted(i % 4 == 1);
        }
        table.createTag("NAME", "UPPER(NAME)", ".not. deleted()", 0, false);
        table.createTag("BORN", "DTOS(BORN)+STR(PAGES,5)", "", 0, true);
        table.createTag("PRICE", "PRICE", "ACTIVE", 0, false);
    }
    const std::vector<char> dbfGood = test::readBytes(path);
    const std::vector<char> cdxGood = test::readBytes(cdx);
    std::mt19937 rng(20261208);
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<char> dbf = dbfGood;
        std::vector<char> index = cdxGood;
        if (round % 3 != 2) {
            mutate(dbf, rng);
        }
        if (round % 3 != 0) {
            mutate(index, rng);
        }
        test::writeBytes(path, dbf);
        test::writeBytes(cdx, index);
        TXbTable table;
        try {
            table.open(path);
        } catch (const EXbError&) {
            continue;
        }
        ++opened;
        ASSERT_NO_FATAL_FAILURE(exercise(table)) << "round " << round;
        // A table that opened can also be written to.
        try {
            table.append();
            table.setText("NAME", "after");
        } catch (const EXbError&) {
        }
    }
    EXPECT_GT(opened, 100) << "mutants should often stay readable";
}

TEST(Mutation, ExpressionParserAnswersEveryMutantCleanly) {
    std::vector<TXbField> fields = test::sampleFields();
    TXbDbfFile::validateFields(fields);
    std::vector<char> record(1 + 20 + 8 + 1 + 5 + 8, ' ');
    const TTableEnv env;
    const std::vector<std::string> corpus = {
        "DTOS(BORN)+NAME",
        ".not. deleted() .and. .not. ACTIVE",
        "ALLTRIM(UPPER(NAME))==\"SMITH\"",
        "\"SMITH\"$ALLTRIM(UPPER(NAME))",
        "(BORN<CTOD(\"12/08/26\")) .and. (.not. EMPTY(BORN))",
        "IIF(ACTIVE, STR(PAGES, 5, 1), SUBSTR(NAME, 2, 3)) >= 'x'",
        "PRICE * 2 - PAGES / 3 <> -1 .or. BORN + 3 > BORN",
    };
    const std::string pieces[] = {"(",     ")",   "\"",   "'",    "[",      "]",  ".",
                                  ",",     "+",   "-",    "$",    "==",     "<",  ".and.",
                                  ".not.", ".t.", "NAME", "BORN", "UPPER(", "9",  "CTOD(",
                                  "DTOS(", " ",   "\x01", "\xFF", "!",      ".or"};
    std::mt19937 rng(1208);
    int compiled = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string text = corpus[rng() % corpus.size()];
        const int edits = 1 + static_cast<int>(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
            switch (rng() % 4) {
                case 0:
                    text.insert(at, pieces[rng() % std::size(pieces)]);
                    break;
                case 1:
                    if (at < text.size()) {
                        text.erase(at, 1 + rng() % 4);
                    }
                    break;
                case 2:
                    if (at < text.size()) {
                        text[at] = static_cast<char>(rng());
                    }
                    break;
                default:
                    text = text.substr(0, at) + text.substr(at / 2);
                    break;
            }
        }
        try {
            const TXbExpression e = TXbExpression::compile(text, fields);
            const TXbValue v = e.evaluate(TXbEvalContext{record.data(), 1, &env});
            ASSERT_EQ(v.type, e.type()) << text;
            ++compiled;
        } catch (const EXbError& e) {
            ASSERT_EQ(e.kind(), TXbErrorKind::BadExpression) << text;
        }
    }
    EXPECT_GT(compiled, 300);
}

}  // namespace
}  // namespace px
