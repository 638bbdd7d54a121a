// The report's lines from fixed facts: the settings section line by line,
// the environment and modem sections, and what is left out when unknown.
#include "app/report/configuration_lines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/report/sample_facts.h"
#include "settings/px_settings.h"

namespace px {
namespace {

using test::sampleFacts;

std::vector<std::string> between(const std::vector<std::string>& lines, const std::string& first,
                                 const std::string& last) {
    auto from = std::find(lines.begin(), lines.end(), first);
    auto to = std::find(from, lines.end(), last);
    EXPECT_NE(from, lines.end()) << first;
    EXPECT_NE(to, lines.end()) << last;
    return {from, to == lines.end() ? to : to + 1};
}

TEST(ConfigurationLines, SettingsSectionLineByLine) {
    Settings s;
    s.modem.comPort = 2;
    s.dialing.toneOrPulse = 1;
    s.resetting.string = "AT&F";
    s.resetting.afterString = "ATZ";
    s.modem.faxClass = 3;
    s.modem.maximumBps = 14400;
    s.modem.initString = "ATM0";
    s.dialing.ecm = true;
    s.dialing.dialPrefix = "9,";
    s.dialing.dialSuffix = "#";
    s.dialing.dialAttempts = 5;
    s.dialing.retryWait = 90;
    s.dialing.blindDial = true;
    s.dialing.ignoreBusy = false;
    s.modem.renegotiateBetween = true;
    s.modem.faxClassReceive = 0;
    s.modem.maximumBpsReceive = 4800;
    s.modem.initStringReceive = "ATS0=0";
    s.receive.answerOnRing = 4;
    s.receive.atStartup = true;
    s.receive.ecmReceive = false;
    s.receive.wav = "/usr/share/sounds/fax.wav";
    s.receive.printOnReceipt = true;
    s.receive.printOnReceiptPrinter = "Default Windows Printer";
    s.hintsOn = false;
    s.user.prefixDisable = true;
    TConfigurationFacts f = sampleFacts();
    f.pxpdOutPath = "/home/ada/.local/share/parvex/SEND/";
    f.pxpdExecutable = "/usr/bin/parvex";

    const std::vector<std::string> lines = configurationReportLines(f, s);
    const std::vector<std::string> expected = {
        "",
        "[/home/ada/.local/share/parvex/PX.INI]",
        "",
        "{general}",
        "COM Port:             \t3",
        "Tone/Pulse:           \tPulse",
        "Reset String          \tAT&F",
        "Post Reset String:    \tATZ",
        "{sending}",
        "Fax Class:            \tClass 2.0",
        "Max BPS:              \t14400",
        "Modem Init:           \tATM0",
        "ECM:                  \tYes",
        "Dial Prefix:          \t9,",
        "Dial Suffix:          \t#",
        "Dial Attempts:        \t5",
        "Retry Wait:           \t90",
        "Blind Dial:           \tYes",
        "Ignore Busy:          \tNo",
        "Renegotiate Between:  \tYes",
        "{receiving}",
        "Receive Fax Class:    \tAutoDetect",
        "Receive Max BPS:      \t4800",
        "Receive Init String:  \tATS0=0",
        "Answer On Ring:       \t4",
        "Receive Startup:      \tYes",
        "ECM Receive:          \tNo",
        "WAV File:             \t/usr/share/sounds/fax.wav",
        "Print On Receipt:     \tYes",
        "Printer (POR):        \tDefault Windows Printer",
        "{misc}",
        "ShowHint:             \tNo",
        "Disable Prefix:       \tYes",
        "{pxpd}",
        "PXPDOUT:              \t/home/ada/.local/share/parvex/SEND/",
        "PXPDEXE:              \t/usr/bin/parvex",
        "Program Path          \t/home/ada/.local/share/parvex/",
        "",
    };
    const auto settingsHeader = std::find(lines.begin(), lines.end(), expected[1]);
    ASSERT_NE(settingsHeader, lines.end());
    const std::vector<std::string> got(settingsHeader - 1,
                                       settingsHeader - 1 + static_cast<long>(expected.size()));
    EXPECT_EQ(got, expected);
}

TEST(ConfigurationLines, OutOfRangeCodesReadUnknownAndUnsetPortReadsZero) {
    Settings s;
    s.modem.faxClass = 7;
    s.modem.faxClassReceive = -1;
    s.dialing.toneOrPulse = 2;
    const std::vector<std::string> lines = configurationReportLines(sampleFacts(), s);
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Fax Class:            \tunknown"));
    EXPECT_TRUE(has("Receive Fax Class:    \tunknown"));
    EXPECT_TRUE(has("Tone/Pulse:           \tunknown"));
    EXPECT_TRUE(has("COM Port:             \t0"));
    // The print driver has not been set up yet.
    EXPECT_TRUE(has("PXPDOUT:              \tnot found"));
    EXPECT_TRUE(has("PXPDEXE:              \tnot found"));
}

TEST(ConfigurationLines, ProductEnvironmentAndModemSectionsInOrder) {
    const std::vector<std::string> lines = configurationReportLines(sampleFacts(), Settings());
    const std::vector<std::string> head(lines.begin(), lines.begin() + 26);
    const std::vector<std::string> expected = {
        "Tuesday, 8 December 2026",
        "",
        "[Product]",
        "Program:     \tParvex",
        "Version:     \t2.9q",
        "",
        "[Environment]",
        "System:      \tDebian GNU/Linux 12 (bookworm); Linux kernel 6.1.0-18-amd64 (x86_64)",
        "CPU:         \tProcessor:  Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz;    Count: 8",
        "Video:       \t1920 x 1080 x 16,777,216 colors",
        "Font:        \tSmall Fonts in use",
        "Memory Load: \t25%",
        "Phys Memory: \tTotal: 8,000,000,000;    Available: 6,000,000,000",
        "Swap:        \tTotal: 2,147,483,648;    Available: 1,073,741,824",
        "Language:    \tUser: German;    System: English",
        "Country:     \tUser: Germany;    System: United States",
        "Date Format: \tShort: dd.MM.yy;    Long: dddd, d. MMMM yyyy",
        "Time Format: \tShort: HH:mm;    Long: HH:mm:ss t",
        "Qt:          \t6.4.2",
        "",
        "[Modems and Serial Devices]",
        "",
        "Device:               \t/dev/ttyS0",
        "Driver:               \tserial8250",
        "",
        "Device:               \t/dev/ttyACM0",
    };
    EXPECT_EQ(head, expected);
    EXPECT_EQ(
        between(lines, "Device:               \t/dev/ttyACM0", "ATI:                  \tV.92"),
        (std::vector<std::string>{
            "Device:               \t/dev/ttyACM0",
            "Driver:               \tcdc_acm",
            "USB ID:               \t0572:1340",
            "Manufacturer:         \tConexant",
            "Model:                \tUSB Modem",
            "",
            "Modem Port:           \tCOM3 (/dev/ttyACM0)",
            "ATI:                  \tConexant CX93010",
            "ATI:                  \tV.92",
        }));
    // Other programs on serial ports, sorted, never this program itself.
    EXPECT_EQ(between(lines, "[Other Running Applications (Program, Serial Device)]",
                      "minicom  (/dev/ttyS1)"),
              (std::vector<std::string>{"[Other Running Applications (Program, Serial Device)]", "",
                                        "ModemManager  (may take serial ports)",
                                        "minicom  (/dev/ttyS1)"}));
    EXPECT_EQ(lines.back(), "minicom  (/dev/ttyS1)");
}

TEST(ConfigurationLines, UnknownFactsAreLeftOutNotInvented) {
    TConfigurationFacts f;
    f.date = "8 December 2026";
    f.settingsPath = "/p/PX.INI";
    f.programFolder = "/p/";
    f.screenWidth = 800;
    f.screenHeight = 600;
    f.screenDepth = 30;  // no colour count for it
    f.logicalDpi = 144;
    f.userLanguage = "English";
    f.modem.outcome = TModemIdentity::Outcome::InReceiveMode;
    f.modem.portNumber = 1;
    const std::vector<std::string> lines = configurationReportLines(f, Settings());
    const std::vector<std::string> expected = {
        "8 December 2026",
        "",
        "[Product]",
        "Program:     \tParvex",
        "Version:     \t2.9q",
        "",
        "[Environment]",
        "Video:       \t800 x 600",
        "Font:        \tCustom font size in use (144 dpi)",
        "Language:    \tUser: English",
        "",
        "[Modems and Serial Devices]",
        "",
        "Modem Port:           \tCOM1",
        "ATI:                  \tnot asked: the port is in use by receive mode",
        "",
        "[/p/PX.INI]",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 17), expected);
    EXPECT_EQ(lines.back(), "No other program holds a serial device.");
}

TEST(ConfigurationLines, ModemOutcomesEachSayWhyThereIsNoAnswer) {
    using Outcome = TModemIdentity::Outcome;
    const std::pair<Outcome, std::string> cases[] = {
        {Outcome::NotConfigured, "not asked: no port has been chosen yet"},
        {Outcome::PortInUse, "not asked: the port is in use by another program"},
        {Outcome::PortNotOpened, "not asked: Unable to open the port"},
        {Outcome::NoAnswer, "no answer"},
    };
    for (const auto& [outcome, text] : cases) {
        TConfigurationFacts f = sampleFacts();
        f.modem.outcome = outcome;
        f.modem.reason = "Unable to open the port";
        const std::vector<std::string> lines = configurationReportLines(f, Settings());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "ATI:                  \t" + text),
                  lines.end())
            << text;
    }
}

TEST(ConfigurationLines, ColourCountsAndThousands) {
    EXPECT_EQ(withThousands(0), "0");
    EXPECT_EQ(withThousands(999), "999");
    EXPECT_EQ(withThousands(1000), "1,000");
    EXPECT_EQ(withThousands(18446744073709551615ULL), "18,446,744,073,709,551,615");
    EXPECT_EQ(colourCount(1), "2");
    EXPECT_EQ(colourCount(8), "256");
    EXPECT_EQ(colourCount(15), "32,768");
    EXPECT_EQ(colourCount(16), "65,536");
    EXPECT_EQ(colourCount(32), "16,777,216");
    EXPECT_EQ(colourCount(0), "");
}

}  // namespace
}  // namespace px
