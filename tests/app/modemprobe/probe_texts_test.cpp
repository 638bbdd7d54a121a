// What the find-modem and fax-class windows say for each outcome.
#include "app/modemprobe/probe_texts.h"

#include <gtest/gtest.h>

#include "fax/components/px_abstract_fax.h"

namespace px {
namespace {

TEST(ProbeTexts, PortErrorsNameTheCauseAndBusyPortsAreNoted) {
    struct Case {
        ErrorCode code;
        const char* text;
        bool busy;
    };
    const Case cases[] = {
        {ecAlreadyOpen, "Port is already open (could be modem)", true},
        {ecHardware, "Port is already open (could be modem)", true},
        {ecBadId, "Port does not exist", false},
        {-9999, "Unknown Error", false},
    };
    for (const Case& c : cases) {
        bool busy = false;
        EXPECT_EQ(findModemErrorText(c.code, busy), c.text) << c.code;
        EXPECT_EQ(busy, c.busy) << c.code;
    }
    bool busy = false;
    const QString tableText = findModemErrorText(ecNoPortSelected, busy);
    EXPECT_FALSE(tableText.isEmpty());
    EXPECT_NE(tableText, "Unknown Error");
    EXPECT_EQ(findModemPortPrefix(4) + findModemFailureText("boom"), "Com 4: ERROR: boom");
}

TEST(ProbeTexts, TheExplanationNamesTheFoundPortOrAsksToCloseOtherPrograms) {
    EXPECT_EQ(findModemExplanation(3, true),
              "A modem was found on Com Port 3. We suggest setting the Port as Com 3.");
    EXPECT_TRUE(findModemExplanation(-1, true).contains("are closed, and then try again."));
    EXPECT_EQ(findModemExplanation(-1, false),
              "No modem found. If you know which Com port your modem uses, you can also just set "
              "the Port to that setting");
}

TEST(ProbeTexts, ClassOneIsRecommendedFirstThenClassTwoThenTwoPointZero) {
    struct Case {
        std::uint32_t bits;
        int recommended;
    };
    const Case cases[] = {
        {kDetectedClass1 | kDetectedClass2, 0},
        {kDetectedClass1 | kDetectedClass2 | kDetectedClass2_0, 0},
        {kDetectedClass2 | kDetectedClass2_0, 1},
        {kDetectedClass2_0, 2},
        {0, -1},
    };
    for (const Case& c : cases) {
        const TFaxClassSupport support = TFaxClassSupport::fromDetected(c.bits);
        EXPECT_EQ(support.recommended(), c.recommended) << c.bits;
        EXPECT_EQ(support.any(), c.recommended >= 0);
    }
    EXPECT_EQ(faxClassName(2), "Class 2.0");
    EXPECT_EQ(faxClassName(-1), "");
}

TEST(ProbeTexts, ClassLabelsLineUpTheirColons) {
    EXPECT_EQ(faxClassSupportText(0, true), "Class 1   : Supported");
    EXPECT_EQ(faxClassSupportText(1, false), "Class 2   : Not Supported");
    EXPECT_EQ(faxClassUnknownText(2), "Class 2.0 : unknown");
}

}  // namespace
}  // namespace px
