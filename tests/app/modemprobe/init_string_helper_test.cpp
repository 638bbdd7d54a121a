// The init string helper window: its initial state from the text, the label
// that toggles the box, and the text each button gives back.
#include "app/modemprobe/init_string_helper_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/accessibility.h"

namespace px::test {
namespace {

TEST(InitStringHelper, OpensOnTheStringsModemAndRebuildsIt) {
    TModemInitStringHelperForm form(nullptr, "AT&H3&I2&R2S7=120S36=8", true);
    EXPECT_EQ(form.windowTitle(), "Modem Initialization String Helper");
    EXPECT_EQ(form.modemType()->currentIndex(), 3);
    EXPECT_TRUE(form.checkAT7()->isChecked());
    EXPECT_EQ(form.modemType()->itemText(5), "Cirrus Logic or AT&T modem");
    form.okButton()->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.resultText(), "AT&H3&I2&R2S7=120S36=8");
    EXPECT_EQ(unnamedControls(&form), "");
}

TEST(InitStringHelper, ClickingTheLabelTogglesTheBox) {
    TModemInitStringHelperForm form(nullptr, "", true);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_FALSE(form.checkAT7()->isChecked());
    QTest::mouseClick(form.checkAT7Label(), Qt::LeftButton);
    EXPECT_TRUE(form.checkAT7()->isChecked());
    QTest::mouseClick(form.checkAT7Label(), Qt::LeftButton);
    EXPECT_FALSE(form.checkAT7()->isChecked());
}

TEST(InitStringHelper, ForReceivingTheHangUpOptionIsHiddenAndTheWaitShort) {
    TModemInitStringHelperForm form(nullptr, "ATS7=120\\Q3", false);
    form.show();
    EXPECT_FALSE(form.checkAT7()->isVisible());
    EXPECT_FALSE(form.checkAT7Label()->isVisible());
    EXPECT_EQ(form.modemType()->currentIndex(), 5);
    form.okButton()->click();
    EXPECT_EQ(form.resultText(), "AT&F&C1&D2\\Q3S7=65");
}

TEST(InitStringHelper, CancelKeepsTheTextAndLeaveItBlankClearsIt) {
    TModemInitStringHelperForm cancelled(nullptr, "ATZ", true);
    cancelled.modemType()->setCurrentIndex(4);
    cancelled.cancelButton()->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.resultText(), "ATZ");

    TModemInitStringHelperForm blank(nullptr, "ATZ", true);
    blank.blankButton()->click();
    EXPECT_EQ(blank.result(), QDialog::Accepted);
    EXPECT_EQ(blank.resultText(), "");
}

}  // namespace
}  // namespace px::test
