#include "cli/settings/px_settings_cli.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "settings/instance_lock.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace px {
namespace {

class SettingsCli : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    int run(const std::vector<std::string>& args) {
        out.str({});
        err.str({});
        return runSettingsCli(args, ProgramFolder(home.path()), out, err);
    }
    std::string ini() const { return test::readFile(home / "PX.INI"); }

    test::TempDir runtime;
    test::TempDir home;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(SettingsCli, SetRefusesAValueTheSettingCannotHoldAndLeavesTheFileAlone) {
    ASSERT_EQ(run({"set", "Modem/ComPort", "1"}), 0) << err.str();
    const std::string before = ini();
    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"set", "Modem/ComPort", "junk"},
         "parvex-settings: Modem/ComPort is a whole number from -1 to 49, not \"junk\"\n"},
        {{"set", "Modem/MaximumBPS", "56000"}, "is one of 2400, 4800"},
        {{"set", "Receive/AnswerOnRing", "12"}, "from 1 to 8"},
        {{"set", "Dialing/ECM", "true"}, "0 (off) or 1 (on)"},
        {{"set", "Receive/KeepReceivingInTray", "yes"}, "0 (off) or 1 (on)"},
        {{"set", "User/Fax", "+1 555 0100 0100 0100 0100"}, "at most 20 characters"},
        {{"set", "Modem/Speed", "9600"}, "no setting Modem/Speed"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(run(args), 1) << args[1];
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
        EXPECT_EQ(ini(), before) << args[1];
    }
    EXPECT_EQ(run({"get", "Modem/ComPort"}), 0);
    EXPECT_EQ(out.str(), "1\n");
}

TEST_F(SettingsCli, SetWritesTheKeyAsTheProgramSpellsIt) {
    ASSERT_EQ(run({"set", "modem/comport", "0x2"}), 0) << err.str();
    ASSERT_EQ(run({"set", "ports/com3", "/tmp/ttyFAX0"}), 0) << err.str();
    EXPECT_EQ(ini(), "[Modem]\nComPort=0x2\n\n[Ports]\nCOM3=/tmp/ttyFAX0\n");
    EXPECT_EQ(run({"status"}), 0);
    EXPECT_NE(out.str().find("Modem port:     COM3 (/tmp/ttyFAX0)"), std::string::npos)
        << out.str();
    EXPECT_TRUE(err.str().empty()) << "nothing runs, nothing to say";
}

TEST_F(SettingsCli, TheReceiptCommandAndTheTraySettingAreShownAndSet) {
    EXPECT_EQ(run({"status"}), 0);
    EXPECT_NE(out.str().find("Run on receipt: (none)\nOn close:       end receive mode\n"),
              std::string::npos)
        << out.str();
    ASSERT_EQ(run({"set", "Receive/Command", "/home/ann/bin/mail-fax"}), 0) << err.str();
    ASSERT_EQ(run({"set", "Receive/KeepReceivingInTray", "1"}), 0) << err.str();
    EXPECT_EQ(run({"status"}), 0);
    EXPECT_NE(out.str().find("Run on receipt: /home/ann/bin/mail-fax\n"
                             "On close:       keep receiving in the tray\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(run({"get", "Receive/Command"}), 0);
    EXPECT_EQ(out.str(), "/home/ann/bin/mail-fax\n");
}

TEST_F(SettingsCli, SetWhileTheProgramRunsSaysItWillBeUndoneAtClose) {
    const int fd =
        ::open(instanceLockPath(home.path()).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(run({"set", "Modem/ComPort", "2"}), 0);
    EXPECT_NE(err.str().find("Parvex is running on " + home.path() +
                             "/; it writes its settings "
                             "back when it closes, which will undo this change"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(SettingsFile(home / "PX.INI").load().modem.comPort, 2) << "still written";

    EXPECT_EQ(run({"set", "TMainScreen_Placement120/Left", "10"}), 0);
    EXPECT_NE(err.str().find("Parvex is running"), std::string::npos);
    // What the program does not write back at close is not undone.
    EXPECT_EQ(run({"set", "Ports/COM1", "/dev/ttyUSB0"}), 0);
    EXPECT_TRUE(err.str().empty()) << err.str();
    ::close(fd);

    EXPECT_EQ(run({"set", "Modem/ComPort", "3"}), 0);
    EXPECT_TRUE(err.str().empty()) << "the program has ended: " << err.str();
}

}  // namespace
}  // namespace px
