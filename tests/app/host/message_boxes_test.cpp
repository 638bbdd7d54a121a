#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/host/fax_error_dialog.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "support/accessibility.h"

namespace px {
namespace {

TEST(MessageText, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(messageText("a\rb\r\nc"), "a\nb\nc");
}

TEST(FaxErrorDialog, OnlyOneIsOpenAndASecondRequestIsDropped) {
    TFaxErrorResult inner = TFaxErrorResult::Ok;
    bool solverOpened = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(TFaxErrorDialog::isOpen());
        inner = TFaxErrorDialog::run(nullptr, "Second", "text", false, false, 0, {});
        // Choose the problem solver in the open one.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<TFaxErrorDialog*>(w); d != nullptr && d->isVisible()) {
                d->findChild<QPushButton*>("problemSolverButton")->click();
            }
        }
    });
    const TFaxErrorResult outer = TFaxErrorDialog::run(
        nullptr, "Fax error", "line 1\nline 2", false, false, 0, [&] { solverOpened = true; });
    EXPECT_EQ(inner, TFaxErrorResult::Dropped);
    EXPECT_EQ(outer, TFaxErrorResult::ProblemSolver);
    EXPECT_TRUE(solverOpened);
    EXPECT_FALSE(TFaxErrorDialog::isOpen());
}

TEST(FaxErrorDialog, UnattendedDialogClosesItselfWithOk) {
    QElapsedTimer clock;
    clock.start();
    const TFaxErrorResult result =
        TFaxErrorDialog::run(nullptr, "Receive failed", "No answer", true, true, 0, {}, 50);
    EXPECT_EQ(result, TFaxErrorResult::Ok);
}

TEST(FaxErrorDialog, TextAreaGrowsWithTheLinesAndContinueIsOptional) {
    TFaxErrorDialog one(nullptr, "c", "one line", false, false, 0);
    TFaxErrorDialog five(nullptr, "c", "1\n2\n3\n4\n5", true, false, 0);
    EXPECT_GT(five.textArea()->height(), one.textArea()->height());
    EXPECT_EQ(one.continueButton(), nullptr);
    ASSERT_NE(five.continueButton(), nullptr);
    EXPECT_EQ(five.textArea()->toPlainText(), "1\n2\n3\n4\n5");
    EXPECT_NE(five.findChild<QPushButton*>("problemSolverButton"), nullptr);
    EXPECT_EQ(five.findChild<QPushButton*>("problemSolverButton")->text(), " Fax Problem Solver");
}

TEST(FaxErrorDialog, TheErrorCodeIsShownOnlyWhenThereIsOne) {
    TFaxErrorDialog none(nullptr, "c", "text", false, false, 0);
    TFaxErrorDialog port(nullptr, "c", "text", false, false, -2015);
    none.show();
    port.show();
    EXPECT_FALSE(none.errorCodeLabel()->isVisible());
    ASSERT_TRUE(port.errorCodeLabel()->isVisible());
    EXPECT_EQ(port.errorCodeLabel()->text(), "Error code: -2015");
}

TEST(ChoiceDialog, HelpButtonOpensHelpAndTheChosenOptionIsReturned) {
    TDialogPrompts prompts;
    int helpOpened = 0;
    prompts.setHelp([&] { ++helpOpened; });
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Delete Fax");
        auto radios = dialog->findChildren<QRadioButton*>();
        ASSERT_EQ(radios.size(), 3);
        EXPECT_TRUE(radios[2]->isChecked()) << "the preselected option";
        auto* box = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(box->button(QDialogButtonBox::Help), nullptr);
        box->button(QDialogButtonBox::Help)->click();
        EXPECT_TRUE(dialog->isVisible()) << "Help leaves the choice open";
        radios[1]->setChecked(true);
        box->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(prompts.choice(nullptr, "Delete Fax", {"Cover", "Body", "Both"}, 2), 1);
    EXPECT_EQ(helpOpened, 1);
}

TEST(MessageKinds, EveryControlHasAnAccessibleName) {
    TFaxErrorDialog error(nullptr, "Fax Failure", "1\n2", true, false, -2015);
    error.show();
    EXPECT_EQ(test::unnamedControls(&error), "");
    error.close();

    TDialogPrompts prompts;
    prompts.setHelp([] {});
    std::string choice = "not shown";
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        choice = test::unnamedControls(dialog);
        dialog->reject();
    });
    prompts.choice(nullptr, "Delete Fax", {"Cover", "Body", "Both"}, 2);
    EXPECT_EQ(choice, "");
}

TEST(BusyScope, CursorAndPanelAreRestoredWhenAnOperationThrows) {
    TStatusPanel panel;
    try {
        TBusyScope busy(panel, "Working...");
        EXPECT_EQ(panel.text(), "Working...");
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(panel.isHidden());
}

}  // namespace
}  // namespace px
