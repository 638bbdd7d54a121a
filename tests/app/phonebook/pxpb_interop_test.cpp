// The phone book travels both ways with another xBase implementation (the
// python3-dbf package run by Debian's own interpreter).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QAbstractItemModel>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/host/scripted_prompts.h"
#include "app/phonebook/phone_book.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"

namespace px {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

struct TRun {
    int status = -1;
    std::string out;
};

TRun runScript(const std::string& mode, const std::string& path) {
    const char* source = std::getenv("PARVEX_SOURCE_DIR");
    const std::string script = source != nullptr
                                   ? std::string(source) + "/tests/app/phonebook/pxpb_interop.py"
                                   : std::string(PARVEX_PHONEBOOK_TEST_DIR) + "/pxpb_interop.py";
    const std::string command =
        std::string(kPython) + " '" + script + "' " + mode + " '" + path + "' 2>&1";
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

TEST(PhoneBookInterop, APhoneBookFromAnotherToolIsBrowsedAndReadBackThere) {
    PX_REQUIRE(std::filesystem::exists(kPython), kPython << " (python3)");
    test::TempDir home;
    const TRun written = runScript("write", home / "PXPB.DBF");
    PX_REQUIRE(written.status != 3, "the python3-dbf module (python3-dbf)");
    ASSERT_EQ(written.status, 0) << written.out;

    // Without an index of its own, the browser makes one and lists by NAME.
    test::TScriptedPrompts prompts;
    TPhoneBook book(home.path(), makeLogEnvironment(), prompts, TPhoneBookMode::Browse);
    ASSERT_TRUE(book.openBook());
    EXPECT_TRUE(std::filesystem::exists(home / "PXPB.CDX"));
    QStringList listed;
    for (int row = 0; row < book.entryCount(); ++row) {
        listed << book.grid()->model()->index(row, 0).data().toString();
    }
    EXPECT_EQ(listed, QStringList({"Ada Lovelace", "Zeta Works", "acme lower"}));

    // Our changes: one entry added, one deleted.
    book.setEditor([](QWidget*, TPhoneBookEntry& entry) {
        entry = {"Babbage", "020 7000"};
        return true;
    });
    book.newClick();
    book.selectRow(book.entryCount() - 1);
    prompts.answers = {true};
    book.deleteClick();
    book.book().close();

    const TRun read = runScript("read", home / "PXPB.DBF");
    ASSERT_EQ(read.status, 0) << read.out;
    EXPECT_EQ(read.out,
              "Zeta Works|555 0199|F\n"
              "Ada Lovelace|+44 20 7946 0000|F\n"
              "acme lower|0800 123|T\n"
              "Babbage|020 7000|F\n");
}

}  // namespace
}  // namespace px
