#include "ui/comselect/com_select_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>

#include "support/accessibility.h"

namespace px {
namespace {

TEST(ComSelectForm, ListsTheChoicesWithTheFirstSelected) {
    TComSelectForm form({{1, "/dev/ttyS0", false}, {4, "/dev/ttyACM0", true}});
    EXPECT_EQ(form.windowTitle(), "Select Port");
    ASSERT_EQ(form.list()->count(), 2);
    EXPECT_EQ(form.list()->item(1)->text(), "COM4  (/dev/ttyACM0)");
    ASSERT_NE(form.chosen(), nullptr);
    EXPECT_EQ(form.chosen()->number, 1);
    form.list()->setCurrentRow(1);
    EXPECT_EQ(form.chosen()->number, 4);
    EXPECT_TRUE(form.chosen()->needsBinding);
}

TEST(ComSelectForm, NoPortsMeansNothingToChoose) {
    TComSelectForm form({});
    EXPECT_EQ(form.chosen(), nullptr);
    auto* box = form.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST(ComSelectForm, EveryControlHasAnAccessibleName) {
    TComSelectForm form({{1, "/dev/ttyS0", false}, {4, "/dev/ttyACM0", true}});
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(test::unnamedControls(&form), "");
}

}  // namespace
}  // namespace px
