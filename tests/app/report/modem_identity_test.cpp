// Asking the configured modem "ATI" on a modem played on a pseudo-terminal:
// its answer, a silent modem within the time bound, a port in use.
#include "app/report/modem_identity.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "../../modemsim/child_process.h"
#include "app/host/played_modem.h"
#include "settings/px_settings.h"
#include "support/prerequisite.h"

namespace px {
namespace {

using Outcome = TModemIdentity::Outcome;

Settings onPort(int comPort) {
    Settings s;
    s.modem.comPort = comPort;
    return s;
}

TEST(ModemIdentity, AnswerLinesDropEchoBlankLinesAndOk) {
    EXPECT_EQ(identityAnswerLines("ATI\r\r\nParvex Modem\r\n\r\n  V.34 \r\n\r\nOK\r\n"),
              (std::vector<std::string>{"Parvex Modem", "V.34"}));
    EXPECT_EQ(identityAnswerLines("\r\nERROR\r\n"), std::vector<std::string>{"ERROR"});
    EXPECT_EQ(identityAnswerLines("\r\nhalf a li"), std::vector<std::string>{});
}

TEST(ModemIdentity, TheConfiguredModemTellsWhoItIs) {
    test::PlayedModem modem(test::Replies{{"ATI", "Parvex Modem 1.0\r\n\r\nOK"}});
    int askedFor = 0;
    const TModemIdentity id = askModemIdentity(onPort(2), TPortHolder::Nobody, [&](int number) {
        askedFor = number;
        return modem.path();
    });
    EXPECT_EQ(askedFor, 3);
    EXPECT_EQ(id.outcome, Outcome::Answered);
    EXPECT_EQ(id.portNumber, 3);
    EXPECT_EQ(id.device, modem.path());
    EXPECT_EQ(id.answer, std::vector<std::string>{"Parvex Modem 1.0"});
    EXPECT_EQ(modem.lines(), std::vector<std::string>{"ATI"});
}

TEST(ModemIdentity, ASilentModemIsNoAnswer) {
    test::PlayedModem modem(test::Replies{});
    const TModemIdentity id =
        askModemIdentity(onPort(0), TPortHolder::Nobody, [&](int) { return modem.path(); });
    EXPECT_EQ(id.outcome, Outcome::NoAnswer);
    EXPECT_TRUE(id.answer.empty());
}

TEST(ModemIdentity, APortInUseOrInReceiveModeIsNeverTaken) {
    test::PlayedModem modem(test::Replies{{"ATI", "Parvex Modem 1.0\r\n\r\nOK"}});
    // Receive mode holds the port: nothing is sent to it.
    const TModemIdentity receiving =
        askModemIdentity(onPort(0), TPortHolder::ReceiveMode, [&](int) { return modem.path(); });
    EXPECT_EQ(receiving.outcome, Outcome::InReceiveMode);
    // Another program holds it, locked as serial programs lock their ports.
    const int other = ::open(modem.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const TModemIdentity inUse =
        askModemIdentity(onPort(0), TPortHolder::Nobody, [&](int) { return modem.path(); });
    ::close(other);
    EXPECT_EQ(inUse.outcome, Outcome::PortInUse);
    // Seen open by a program that takes no lock: left alone as well.
    const TModemIdentity seenOpen =
        askModemIdentity(onPort(0), TPortHolder::AnotherProgram, [&](int) { return modem.path(); });
    EXPECT_EQ(seenOpen.outcome, Outcome::PortInUse);
    EXPECT_TRUE(modem.lines().empty());

    const TModemIdentity notSet = askModemIdentity(onPort(-1), TPortHolder::Nobody, [&](int) {
        ADD_FAILURE() << "no port to map";
        return std::string();
    });
    EXPECT_EQ(notSet.outcome, Outcome::NotConfigured);

    const TModemIdentity missing = askModemIdentity(
        onPort(4), TPortHolder::Nobody, [](int) { return std::string("/nonexistent/ttyX"); });
    EXPECT_EQ(missing.outcome, Outcome::PortNotOpened);
    EXPECT_NE(missing.reason.find("( Com5 )"), std::string::npos) << missing.reason;
    EXPECT_EQ(missing.reason.find('\n'), std::string::npos);
}

// The line simulator's Class 2.0 modem, on its pseudo-terminal.
TEST(ModemIdentity, TheSimulatedModemAnswersAti) {
    const std::string simulator = test::simulatorPath();
    PX_REQUIRE(std::filesystem::exists(simulator), "parvex-modemsim (build it first)");
    test::TempDir dir;
    const std::string link = dir / "ttyFAX";
    test::ChildProcess sim({simulator, "demo", "--link", link, "--inbox", dir.path(), "--class",
                            "2.0", "--timeout", "30"},
                           dir / "sim.log");
    ASSERT_TRUE(test::waitForPath(link, 10)) << test::readFile(dir / "sim.log");
    const TModemIdentity id =
        askModemIdentity(onPort(0), TPortHolder::Nobody, [&](int) { return link; });
    sim.terminate();
    EXPECT_EQ(id.outcome, Outcome::Answered);
    EXPECT_EQ(id.answer, std::vector<std::string>{"Parvex simulated Class 2.0 fax modem"});
}

}  // namespace
}  // namespace px
