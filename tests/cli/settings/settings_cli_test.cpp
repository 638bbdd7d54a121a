#include "cli/settings/px_settings_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace px {
namespace {

class SettingsCli : public ::testing::Test {
protected:
    int run(const std::vector<std::string>& args) {
        out.str({});
        err.str({});
        return runSettingsCli(args, ProgramFolder(home.path()), out, err);
    }
    std::string ini() const { return test::readFile(home / "PX.INI"); }

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

}  // namespace
}  // namespace px
