// Opening the port with the user's texts, the modem check and reset commands
// against a modem played on a pseudo-terminal.
#include "app/host/port_routines.h"

#include <gtest/gtest.h>
#include <vector>

#include "app/host/played_modem.h"
#include "comms/px_com_port.h"

namespace px {
namespace {

TEST(PortRoutines, PortErrorTextsNameThePortAndTheRemedy) {
    const std::string inUse =
        "The communications port is in use ( Com 3 )\r\n\r\nPlease make sure that all "
        "communication programs (internet, AOL, etc) are closed, and then try again.";
    EXPECT_EQ(portErrorText(ecAlreadyOpen, 3), inUse);
    EXPECT_EQ(portErrorText(ecNoPortSelected, 3), inUse);
    EXPECT_EQ(portErrorText(kPortCannotOpen, 2),
              "Unable to open the specified communications port ( Com2 )");
    EXPECT_EQ(portErrorText(ecFileNotFound, 1),
              "Unable to open the specified communications port ( Com1 )\r\nError message: File "
              "not found");
    EXPECT_EQ(portErrorText(-9999, 1),
              "Unable to open the specified communications port ( Com1 )\r\nError message: "
              "Unknown error");
    EXPECT_EQ(portFailureText("out of memory", 4),
              "Unable to open the specified communications port( Com4 )\r\nError message: out of "
              "memory");
}

TEST(PortRoutines, ResetCommandsGetAtInFrontOnlyWhenTheyLackIt) {
    EXPECT_EQ(withAtPrefix("Z"), "ATZ");
    EXPECT_EQ(withAtPrefix("&F"), "AT&F");
    EXPECT_EQ(withAtPrefix("atz"), "atz");
    EXPECT_EQ(withAtPrefix("ATZ"), "ATZ");
    EXPECT_EQ(withAtPrefix(""), "AT");
}

TEST(PortRoutines, APortThatIsNotThereGivesTheSystemsReason) {
    TPxComPort port;
    port.setDevicePathResolver([](int) { return std::string("/nonexistent/ttyFAX"); });
    port.setComNumber(2);
    port.setAutoOpen(false);
    const TPortOpening opening = openPort(port);
    EXPECT_FALSE(opening.opened);
    EXPECT_EQ(opening.lastPortError, ecBadId);
    EXPECT_EQ(opening.text,
              "Unable to open the specified communications port ( Com2 )\r\nError message: "
              "ie_BadId - Specified comport doesn't exist");
    EXPECT_FALSE(port.Open());
}

// Plays the modem: answers each command line by a table; records the lines.
struct OpenPort {
    TPxComPort port;
    explicit OpenPort(const std::string& path) {
        port.setDevicePathResolver([path](int) { return path; });
        port.setComNumber(1);
        port.setAutoOpen(false);
        EXPECT_TRUE(openPort(port).opened);
    }
    ~OpenPort() { port.setOpen(false); }
};

TEST(PortRoutines, ModemCheckTriesTheResetStringWhenAtGetsNoOk) {
    {
        test::PlayedModem modem(test::Replies{{"AT", "OK"}});
        OpenPort open(modem.path());
        EXPECT_TRUE(checkForModem(open.port, "ATZ"));
        EXPECT_EQ(modem.lines(), std::vector<std::string>{"AT"});
    }
    {
        // Silent to "AT", awake after its reset string.
        test::PlayedModem modem(test::Replies{{"AT&F", "OK"}});
        OpenPort open(modem.path());
        EXPECT_TRUE(checkForModem(open.port, "  AT&F "));
        EXPECT_EQ(modem.lines(), (std::vector<std::string>{"AT", "AT&F"}));
    }
    {
        test::PlayedModem modem(test::Replies{});
        OpenPort open(modem.path());
        EXPECT_FALSE(checkForModem(open.port, "   "));
        EXPECT_EQ(modem.lines(), std::vector<std::string>{"AT"});
    }
}

TEST(PortRoutines, ResetCommandKeepsItsPrefixedFormAndNeedsOk) {
    test::PlayedModem modem(test::Replies{{"ATZ", "OK"}, {"AT&Q9", "ERROR"}});
    OpenPort open(modem.path());
    std::string reset = "Z";
    EXPECT_TRUE(sendResetCommand(open.port, reset));
    EXPECT_EQ(reset, "ATZ");
    std::string refused = "&Q9";
    EXPECT_FALSE(sendResetCommand(open.port, refused));
    EXPECT_EQ(refused, "AT&Q9");
    EXPECT_EQ(modem.lines(), (std::vector<std::string>{"ATZ", "AT&Q9"}));
}

TEST(PortRoutines, ModemCheckOnAClosedPortIsAFailureNotAnException) {
    TPxComPort port;
    port.setAutoOpen(false);
    port.setComNumber(1);
    port.setDevicePathResolver([](int) { return std::string("/nonexistent/ttyFAX"); });
    EXPECT_FALSE(checkForModem(port, "ATZ"));
}

}  // namespace
}  // namespace px
