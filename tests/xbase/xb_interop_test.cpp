// Tables must travel both ways between this engine and an independent xBase
// implementation (the python3-dbf package run by Debian's own interpreter).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/prerequisite.h"
#include "xb_test_util.h"
#include "xbase/xb_table.h"

namespace px {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

struct TRun {
    int status = -1;
    std::string out;
};

TRun runScript(const std::string& mode, const std::string& path, const std::string& kind = "") {
    const char* source = std::getenv("PARVEX_SOURCE_DIR");
    const std::string script = source != nullptr
                                   ? std::string(source) + "/tests/xbase/dbf_interop.py"
                                   : std::string(PARVEX_XBASE_TEST_DIR) + "/dbf_interop.py";
    const std::string command =
        std::string(kPython) + " '" + script + "' " + mode + " '" + path + "' " + kind + " 2>&1";
    TRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buf[4096];
    while (std::fgets(buf, sizeof buf, pipe) != nullptr) {
        run.out += buf;
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

void requirePython() {
    PX_REQUIRE(std::filesystem::exists(kPython), kPython << " (python3)");
}

class DbfInteropFormats : public ::testing::TestWithParam<const char*> {};

// dBase III (version 0x03) and Visual FoxPro (0x30, with the 263-byte
// backlink after the field descriptors).
TEST_P(DbfInteropFormats, TableWrittenByPythonDbfOpensHereAndTakesOurWrites) {
    requirePython();
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    test::TTempDir dir;
    const std::string path = dir.file("FROMPY.DBF");
    const TRun run = runScript("write", path, GetParam());
    PX_REQUIRE(run.status != 3, "the python3-dbf module (python3-dbf)");
    ASSERT_EQ(run.status, 0) << run.out;

    TXbTable table;
    table.open(path);
    table.env().setDeletedHidden(false);
    ASSERT_EQ(table.recCount(), 4u);
    struct TRow {
        const char* name;
        TXbDate born;
        bool active;
        double pages;
        double price;
        bool deleted;
    };
    const TRow rows[] = {
        {"Smith", {1970, 1, 31}, true, 3, 1.25, false},
        {"O'Brien & Co", {}, false, 0, 0.0, false},
        {"deleted one", {2026, 12, 8}, true, 99999, -12.5, true},
        {"", {2000, 2, 29}, false, 42, 123.45, false},
    };
    for (std::uint32_t r = 1; r <= 4; ++r) {
        const TRow& row = rows[r - 1];
        table.goTo(r);
        EXPECT_EQ(table.text("NAME"), row.name) << r;
        EXPECT_EQ(table.value("BORN").date, row.born) << r;
        EXPECT_EQ(table.value("ACTIVE").logical, row.active) << r;
        EXPECT_DOUBLE_EQ(table.value("PAGES").number, row.pages) << r;
        EXPECT_DOUBLE_EQ(table.value("PRICE").number, row.price) << r;
        EXPECT_EQ(table.deleted(), row.deleted) << r;
    }
    // And the python-made file takes our writes.
    table.append();
    table.setText("NAME", "added here");
    table.close();
    table.open(path);
    table.env().setDeletedHidden(true);
    EXPECT_EQ(table.recCount(), 5u);
    EXPECT_EQ(table.visibleCount(), 4u);  // the deleted record stays hidden
    table.goTo(2);
    table.setDeleted(true);
    table.pack();
    table.close();
    // The file we appended to and packed still reads in python3-dbf.
    const TRun back = runScript("read", path);
    ASSERT_EQ(back.status, 0) << back.out;
    EXPECT_EQ(back.out,
              "Smith|19700131|T|3|1.25|F\n"
              "|20000229|F|42|123.45|F\n"
              "added here|-|F|-|-|F\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, DbfInteropFormats, ::testing::Values("db3", "vfp"));

TEST(DbfInterop, TableWrittenHereReadsBackInPythonDbf) {
    requirePython();
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    test::TTempDir dir;
    const std::string path = dir.file("FROMPX.DBF");
    TXbTable::create(path, test::sampleFields());
    {
        TXbTable table;
        table.open(path);
        auto add = [&](const std::string& name, TXbDate born, bool active, double pages,
                       double price) {
            table.append();
            table.setText("NAME", name);
            table.setDate("BORN", born);
            table.setLogical("ACTIVE", active);
            table.setNumber("PAGES", pages);
            table.setNumber("PRICE", price);
        };
        add("Fax Recipient", {2026, 12, 8}, true, 12, 3.5);
        add("blank date", {}, false, 0, -0.25);
        add("gone", {1999, 12, 31}, true, 1, 1);
        table.setDeleted(true);
        add("exactly twenty chars", {2024, 2, 29}, false, 99999, 99999.99);
    }
    const TRun run = runScript("read", path);
    PX_REQUIRE(run.status != 3, "the python3-dbf module (python3-dbf)");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "Fax Recipient|20261208|T|12|3.50|F\n"
              "blank date|-|F|0|-0.25|F\n"
              "gone|19991231|T|1|1.00|T\n"
              "exactly twenty chars|20240229|F|99999|99999.99|F\n");
}

}  // namespace
}  // namespace px
