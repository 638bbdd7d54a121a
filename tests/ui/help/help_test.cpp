#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTextBrowser>
#include <QTreeWidget>

#include "support/accessibility.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {
namespace {

TEST(HelpTopics, EveryNumberedTopicHasABundledPage) {
    THelpCenter center;  // makes the pages available
    for (int topic :
         {kHelpContents, kHelpFaq, kHelpTechnicalSupport, kHelpSendWindow, kHelpFaxLogCleanup,
          kHelpCoverDesigner, kHelpCoverDesignerTips, kHelpPreferences, kHelpPreferencesModem,
          kHelpPreferencesSending, kHelpPreferencesReceiving}) {
        EXPECT_TRUE(isKnownHelpTopic(topic)) << topic;
        const QString page = helpTopicPage(topic);
        EXPECT_TRUE(QFile::exists(page.mid(3))) << page.toStdString();
    }
    EXPECT_FALSE(isKnownHelpTopic(4242));
    EXPECT_EQ(helpTopicPage(4242), helpTopicPage(kHelpContents));
}

TEST(HelpCenter, TopicOpensTheBrowserAtItsPageAndReusesTheWindow) {
    THelpCenter center;
    center.showTopic(kHelpFaq);
    ASSERT_NE(center.helpWindow(), nullptr);
    EXPECT_EQ(center.helpWindow()->browser()->documentTitle(), "Frequently Asked Questions");
    THelpWindow* first = center.helpWindow();
    center.showTopic(kHelpContents);
    EXPECT_EQ(center.helpWindow(), first);
    EXPECT_EQ(first->browser()->documentTitle(), "Parvex Help");
    first->close();
}

TEST(HelpCenter, AboutShowsNameAndVersion) {
    THelpCenter center;
    center.showAbout();
    ASSERT_NE(center.aboutDialog(), nullptr);
    EXPECT_TRUE(center.aboutDialog()->text().contains("Parvex"));
    EXPECT_TRUE(center.aboutDialog()->text().contains("Version 2.9q"));
    center.aboutDialog()->close();
}

TEST(HelpCenter, ProblemSolverShowsTheSolutionOfTheChosenProblem) {
    THelpCenter center;
    center.showProblemSolver();
    TProblemSolverForm* form = center.problemSolver();
    ASSERT_NE(form, nullptr);
    QTreeWidget* tree = form->tree();
    ASSERT_GT(tree->topLevelItemCount(), 2);
    int problems = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        problems += tree->topLevelItem(i)->childCount();
    }
    EXPECT_EQ(problems, static_cast<int>(commonProblems().size()));
    QTreeWidgetItem* busy = tree->topLevelItem(0)->child(1);
    tree->setCurrentItem(busy);
    EXPECT_TRUE(form->solution()->toPlainText().contains("Another program holds the port"));
    form->close();
}

TEST(HelpCenter, QuickStartShowsTheFirstSteps) {
    THelpCenter center;
    center.showQuickStart();
    ASSERT_NE(center.quickStart(), nullptr);
    EXPECT_EQ(center.quickStart()->browser()->documentTitle(), "Quick Start");
    center.quickStart()->close();
}

TEST(HelpCenter, EveryControlOfTheHelpWindowsHasAnAccessibleName) {
    THelpCenter center;
    center.showTopic(kHelpContents);
    center.showAbout();
    center.showProblemSolver();
    center.showQuickStart();
    QApplication::processEvents();
    for (QWidget* window :
         std::initializer_list<QWidget*>{center.helpWindow(), center.aboutDialog(),
                                         center.problemSolver(), center.quickStart()}) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(test::unnamedControls(window), "") << window->metaObject()->className();
        window->close();
    }
}

}  // namespace
}  // namespace px
