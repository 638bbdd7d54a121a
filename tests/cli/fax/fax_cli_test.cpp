// Options of parvex-fax.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/fax/px_fax_cli.h"

namespace px {
namespace {

TEST(FaxCli, ParsesTheSendForm) {
    TPxFaxCliOptions o;
    std::string error;
    ASSERT_TRUE(parseFaxCli({"send", "--port", "COM2", "--to", "555", "a.apf", "b.txt", "--class",
                             "2.0", "--rate", "4800", "--attempts", "5", "--retry-wait", "7"},
                            o, error))
        << error;
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.apf", "b.txt"}));
    EXPECT_EQ(o.faxClass, "2.0");
    EXPECT_EQ(o.rate, 4800u);
    EXPECT_EQ(o.attempts, 5);
    EXPECT_EQ(o.retryWait, 7);
    // PARVEX_HOME names a folder whose PX.INI maps the port.
    std::string home = testing::TempDir() + "pxfaxcli";
    std::filesystem::create_directories(home);
    std::ofstream(home + "/PX.INI") << "[Ports]\nCOM3=/tmp/ttyFAX0\n";
    setenv("PARVEX_HOME", home.c_str(), 1);
    EXPECT_EQ(faxCliDevice(o.port), "/dev/ttyS1");
    EXPECT_EQ(faxCliDevice("COM3"), "/tmp/ttyFAX0");
    unsetenv("PARVEX_HOME");
    EXPECT_EQ(faxCliDevice("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(FaxCli, RejectsBadInputWithAMessage) {
    struct Row {
        std::vector<std::string> args;
        const char* message;
    };
    const Row rows[] = {
        {{}, "expected the command"},
        {{"fax"}, "expected the command"},
        {{"send", "--to", "1", "f"}, "--port is required"},
        {{"send", "--port", "p", "f"}, "send needs"},
        {{"send", "--port", "p", "--to", "1"}, "send needs"},
        {{"send", "--port", "p", "--to", "1", "f", "--class", "3"}, "--class must be"},
        {{"send", "--port", "p", "--to", "1", "f", "--rate", "fast"}, "not a number"},
        {{"send", "--port", "p", "--to", "1", "f", "--rate", "28800"}, "--rate must"},
        {{"send", "--port", "p", "--to", "1", "f", "--attempts"}, "needs a value"},
        {{"receive", "--port", "p", "extra"}, "unexpected argument"},
        {{"receive", "--port", "p", "--bogus"}, "unknown option"},
    };
    for (const Row& row : rows) {
        TPxFaxCliOptions o;
        std::string error;
        EXPECT_FALSE(parseFaxCli(row.args, o, error));
        EXPECT_NE(error.find(row.message), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace px
