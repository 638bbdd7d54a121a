#include <gtest/gtest.h>

#include "settings/px_settings.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace px {
namespace {

TEST(Settings, EmptyFileGivesEveryDefault) {
    Settings s = Settings::load(IniFile{});
    EXPECT_EQ(s.user.name, "");
    EXPECT_FALSE(s.user.prefixDisable);
    EXPECT_EQ(s.dialing.dialAttempts, 3);
    EXPECT_EQ(s.dialing.retryWait, 60);
    EXPECT_EQ(s.dialing.toneOrPulse, 0);
    EXPECT_EQ(s.dialing.timeout, 60);
    EXPECT_FALSE(s.dialing.ecm);
    EXPECT_EQ(s.modem.comPort, -1);
    EXPECT_TRUE(s.isFirstRun());
    EXPECT_EQ(s.modem.faxClass, 1);
    EXPECT_EQ(s.modem.maximumBps, 9600);
    EXPECT_EQ(s.modem.faxClassReceive, 1);
    EXPECT_EQ(s.modem.maximumBpsReceive, 9600);
    EXPECT_EQ(s.receive.answerOnRing, 1);
    EXPECT_EQ(s.receive.printOnReceiptPrinter, "Default Windows Printer");
    EXPECT_EQ(s.receive.command, "");
    EXPECT_FALSE(s.receive.keepReceivingInTray);
    EXPECT_TRUE(s.hintsOn);
}

TEST(Settings, ReceiveTwinsDefaultToTheSendingValues) {
    IniFile ini = IniFile::parse(
        "[Modem]\nInitString=AT&F1\nFaxClass=2\nMaximumBPS=14400\n[Dialing]\nECM=1\n");
    Settings s = Settings::load(ini);
    EXPECT_EQ(s.modem.initStringReceive, "AT&F1");
    EXPECT_EQ(s.modem.faxClassReceive, 2);
    EXPECT_EQ(s.modem.maximumBpsReceive, 14400);
    EXPECT_TRUE(s.receive.ecmReceive);

    ini.writeInteger("Modem", "FaxClassReceive", 3);
    ini.writeBool("Receive", "ECMReceive", false);
    s = Settings::load(ini);
    EXPECT_EQ(s.modem.faxClassReceive, 3);
    EXPECT_FALSE(s.receive.ecmReceive);
}

TEST(Settings, HexComPortAndUnparsableValues) {
    Settings s = Settings::load(IniFile::parse(
        "[Modem]\nComPort=0x2\nMaximumBPS=fast\n[Dialing]\nDialAttempts=\nRetryWait=0x1E\n"));
    EXPECT_EQ(s.modem.comPort, 2);
    EXPECT_FALSE(s.isFirstRun());
    EXPECT_EQ(s.modem.maximumBps, 9600);
    EXPECT_EQ(s.dialing.dialAttempts, 3);
    EXPECT_EQ(s.dialing.retryWait, 30);
}

TEST(Settings, SaveWritesEveryKeyAndReadsBackEqual) {
    Settings s;
    s.user.name = "Ann Smith";
    s.user.suffixDisable = true;
    s.dialing.dialPrefix = "9,";
    s.dialing.blindDial = true;
    s.modem.comPort = 1;
    s.modem.faxClass = 3;
    s.modem.initString = "AT&F";
    s.modem.initStringReceive = "ATZ";
    s.resetting.afterString = "ATZ";
    s.receive.wav = "/usr/share/sounds/fax.wav";
    s.receive.answerOnRing = 4;
    s.receive.command = "/home/ann/bin/mail fax";
    s.receive.keepReceivingInTray = true;
    s.hintsOn = false;

    IniFile ini;
    s.save(ini);
    for (const char* key : {"Name", "Fax", "Voice", "Company", "PrefixDisable", "SuffixDisable"})
        EXPECT_TRUE(ini.value("User", key).has_value()) << key;
    EXPECT_EQ(ini.keys("Dialing").size(), 9u);
    EXPECT_EQ(ini.keys("Modem").size(), 8u);
    EXPECT_EQ(ini.keys("Receive").size(), 8u);
    EXPECT_EQ(ini.readString("Version", "Version", ""), "2.9q");
    EXPECT_EQ(ini.readString("User", "SuffixDisable", ""), "1");

    Settings back = Settings::load(ini);
    EXPECT_EQ(back.user.name, "Ann Smith");
    EXPECT_TRUE(back.user.suffixDisable);
    EXPECT_EQ(back.dialing.dialPrefix, "9,");
    EXPECT_TRUE(back.dialing.blindDial);
    EXPECT_EQ(back.modem.comPort, 1);
    EXPECT_EQ(back.modem.faxClass, 3);
    EXPECT_EQ(back.modem.faxClassReceive, 1) << "the saved twin, not the sending value";
    EXPECT_EQ(back.modem.initStringReceive, "ATZ");
    EXPECT_EQ(back.resetting.afterString, "ATZ");
    EXPECT_EQ(back.receive.wav, "/usr/share/sounds/fax.wav");
    EXPECT_EQ(back.receive.answerOnRing, 4);
    EXPECT_EQ(back.receive.command, "/home/ann/bin/mail fax");
    EXPECT_TRUE(back.receive.keepReceivingInTray);
    EXPECT_FALSE(back.hintsOn);
}

TEST(SettingsFile, SaveKeepsSectionsOthersWroteMeanwhile) {
    test::TempDir dir;
    SettingsFile file(dir / "PX.INI");
    test::writeFile(file.path(), "[Ports]\nCOM1=/dev/ttyACM0\n[Modem]\nComPort=0\n");
    Settings s = file.load();
    EXPECT_EQ(s.modem.comPort, 0);
    // Another part of the program writes its own section after start-up.
    file.update([](IniFile& ini) { ini.writeString("Printing", "Header", "0"); });
    s.user.fax = "555 1234";
    file.save(s);
    IniFile ini = file.read();
    EXPECT_EQ(ini.readString("Ports", "COM1", ""), "/dev/ttyACM0");
    EXPECT_EQ(ini.readString("Printing", "Header", ""), "0");
    EXPECT_EQ(ini.readString("User", "Fax", ""), "555 1234");
}

TEST(OtherSections, PrintingFontAndRecentTemplates) {
    IniFile ini;
    PrintingOptions p = PrintingOptions::load(ini);
    EXPECT_FALSE(p.multiPage);
    EXPECT_TRUE(p.header);
    EXPECT_TRUE(p.footer);
    DesignerDefaultFont f = DesignerDefaultFont::load(ini);
    EXPECT_EQ(f.name, "Arial");
    EXPECT_EQ(f.size, 10);

    f.name = "Liberation Serif";
    f.bold = true;
    f.save(ini);
    EXPECT_EQ(DesignerDefaultFont::load(ini).name, "Liberation Serif");
    EXPECT_TRUE(DesignerDefaultFont::load(ini).bold);

    RecentTemplates mru;
    for (const char* t : {"a.fct", "b.fct", "c.fct", "d.fct", "e.fct", "f.fct", "B.FCT"})
        mru.use(t);
    EXPECT_EQ(mru.files, (std::vector<std::string>{"B.FCT", "f.fct", "e.fct", "d.fct", "c.fct"}));
    mru.save(ini);
    EXPECT_EQ(RecentTemplates::load(ini).files, mru.files);
    mru.files.resize(2);
    mru.save(ini);
    EXPECT_EQ(ini.keys("CDMRU"), (std::vector<std::string>{"F0", "F1"}));
}

TEST(TransferRates, IndexAndRateMapping) {
    const int rates[] = {2400, 4800, 7200, 9600, 12000, 14400};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(transferRateIndex(rates[i]), i);
        EXPECT_EQ(transferRateAt(i), rates[i]);
    }
    EXPECT_EQ(transferRateIndex(19200), 3);
    EXPECT_EQ(transferRateIndex(0), 3);
    EXPECT_EQ(transferRateAt(-1), 9600);
    EXPECT_EQ(transferRateAt(6), 9600);
}

TEST(ComPorts, ConfiguredPathOrStandardDevice) {
    IniFile ini = IniFile::parse("[Ports]\nCOM2=/dev/serial/by-id/usb-Modem\n");
    EXPECT_EQ(comPortDevicePath(ini, 1), "/dev/ttyS0");
    EXPECT_EQ(comPortDevicePath(ini, 2), "/dev/serial/by-id/usb-Modem");
    EXPECT_EQ(comPortDevicePath(ini, 6), "/dev/ttyS5");
}

}  // namespace
}  // namespace px
