#include "settings/port_choices.h"

#include "settings/px_settings.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(PortChoices, DefaultsBoundPortsAndUnreachedDevices) {
    IniFile ini = IniFile::parse("[Ports]\nCOM3=/dev/serial/by-id/usb-Modem\n");
    std::vector<std::string> devices = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyACM0",
                                        "/dev/serial/by-id/usb-Modem"};
    auto choices = portChoices(ini, devices);
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0].text(), "COM1  (/dev/ttyS0)");
    EXPECT_EQ(choices[1].text(), "COM2  (/dev/ttyS1)");
    EXPECT_EQ(choices[2].text(), "COM3  (/dev/serial/by-id/usb-Modem)");
    EXPECT_FALSE(choices[2].needsBinding);
    // The USB modem no number reaches yet gets the first free number.
    EXPECT_EQ(choices[3].number, 4);
    EXPECT_EQ(choices[3].path, "/dev/ttyACM0");
    EXPECT_TRUE(choices[3].needsBinding);

    bindPortChoice(ini, choices[3]);
    EXPECT_EQ(comPortDevicePath(ini, 4), "/dev/ttyACM0");
    bindPortChoice(ini, choices[0]);
    EXPECT_FALSE(ini.value("Ports", "COM1").has_value()) << "defaults need no binding";
    // Bound now, the device is offered under its number without a new binding.
    auto again = portChoices(ini, devices);
    ASSERT_EQ(again.size(), 4u);
    EXPECT_FALSE(again[3].needsBinding);
}

TEST(PortChoices, FreeNumbersSkipBoundOnesAndEmptyListGivesNothing) {
    IniFile ini = IniFile::parse("[Ports]\nCOM1=/dev/ttyUSB7\n");
    auto choices = portChoices(ini, {"/dev/ttyUSB0"});
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].path, "/dev/ttyUSB7") << "a bound port is listed even when absent";
    EXPECT_EQ(choices[1].number, 2);
    EXPECT_TRUE(portChoices(IniFile{}, {}).empty());
}

TEST(PortChoices, NumberFromTheFourthCharacterOn) {
    EXPECT_EQ(portNumberOfChoiceText("COM1  (/dev/ttyS0)"), 1);
    EXPECT_EQ(portNumberOfChoiceText("COM12  (/dev/ttyUSB0)"), 12);
    EXPECT_EQ(portNumberOfChoiceText("COM"), 0);
    EXPECT_EQ(portNumberOfChoiceText("LPT1"), 0);
    EXPECT_EQ(portNumberOfChoiceText("COM999"), 0);
}

}  // namespace
}  // namespace px
