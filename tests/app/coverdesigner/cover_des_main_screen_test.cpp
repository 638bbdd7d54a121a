#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <filesystem>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/coverdesigner/fake_designer_dialogs.h"
#include "app/host/scripted_prompts.h"
#include "cover/io/cover_text_files.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/objects/fax_cover_shapes.h"
#include "settings/ini_file.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"
#include "ui/coverdesign/g_handle.h"
#include "ui/coverdesign/mru_file_list.h"
#include "ui/help/help_center.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class CoverDesigner : public ::testing::Test {
protected:
    test::TempDir home;
    test::TScriptedPrompts prompts;
    test::TFakeDesignerDialogs dialogs;
    std::unique_ptr<TCoverDesMainScreen> window;

    std::string folder() const { return home.path() + "/"; }
    QString covers() const { return QString::fromStdString(folder() + "Covers"); }

    void SetUp() override { fs::create_directories(folder() + "Covers"); }

    void open() {
        window = std::make_unique<TCoverDesMainScreen>(ProgramFolder(folder()), prompts);
        window->setDialogs(&dialogs);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A template on disk with one rectangle, its description and recent-file entry.
    QString writeTemplate(const QString& name, const QString& description, QRect box) {
        TCoverPageModel model;
        model.AddObject(std::make_unique<TFaxCoverShapes>(), box);
        const QString path = QDir(covers()).filePath(name);
        TGLabelObjectFiler::SaveObjects(model, path);
        writeDescription(withExtension(path, QStringLiteral(".DES")), description);
        return path;
    }

    void recent(const QStringList& files) {
        IniFile ini;
        for (int i = 0; i < files.size(); ++i) {
            ini.writeString("CDMRU", "F" + std::to_string(i), files[i].toStdString());
        }
        ini.save(folder() + "PX.INI");
    }

    TGGraphicControl& draw(QRect box) {
        TFaxCoverPanel& page = window->page();
        page.setPanelState(TLPanelState::psRectangle);
        page.DropObject(box);
        page.DroppedObjectEvent(box);
        return *page.model().objects().back();
    }
};

TEST_F(CoverDesigner, StartsEmptyWithThePlainCaptionWhenNothingWasOpenedBefore) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cover Sheet Template Designer"));
    EXPECT_EQ(window->page().model().count(), 0u);
    EXPECT_TRUE(window->currentPath().isEmpty());
    EXPECT_FALSE(window->saveButton()->isVisible());
    EXPECT_FALSE(window->cancelButton()->isVisible());
    EXPECT_FALSE(window->saveAction()->isEnabled());
    EXPECT_EQ(window->zoomCaption()->text(), QStringLiteral("100%"));
    EXPECT_EQ(window->defaultFontAction()->text(), QStringLiteral("Default Font: Arial, 10 pt "));
    EXPECT_EQ(window->page().pos(), QPoint(21, 20));
    EXPECT_EQ(test::unnamedControls(window.get()), "");
}

TEST_F(CoverDesigner, OpensTheMostRecentTemplateAndShowsItsDescription) {
    const QString path = writeTemplate("BUSINESS.FCS", "Business cover", QRect(10, 10, 50, 50));
    recent({path});
    open();
    EXPECT_EQ(window->currentPath(), path);
    EXPECT_EQ(window->page().model().count(), 1u);
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Cover Sheet Template Designer - Business cover"));
    EXPECT_FALSE(window->changesMade());
    ASSERT_EQ(window->recentFiles().actions().size(), 1u);
    EXPECT_EQ(window->recentFiles().actions()[0]->text(), QStringLiteral("&1 ") + path);
}

TEST_F(CoverDesigner, ZoomStopsAtFiftyAndAHundredFiftyPercent) {
    open();
    for (int i = 0; i < 8; ++i) {
        window->ZoomOut();
    }
    EXPECT_EQ(window->zoomCaption()->text(), QStringLiteral("50%"));
    EXPECT_NEAR(window->page().Zoom(), 0.5, 1e-5);
    for (int i = 0; i < 15; ++i) {
        window->ZoomIn();
    }
    EXPECT_EQ(window->zoomCaption()->text(), QStringLiteral("150%"));
    // Each step rescales the page from its last size, so a pixel of drift is allowed.
    EXPECT_NEAR(window->page().width(), 1152, 1);
    EXPECT_NEAR(window->page().height(), 1440, 1);
    // Keypad minus on release zooms out.
    QTest::keyRelease(&window->page(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(window->zoomCaption()->text(), QStringLiteral("140%"));
}

TEST_F(CoverDesigner, DrawingMarksChangesAndSaveAsWritesTheWholeFileSet) {
    open();
    draw(QRect(100, 100, 60, 40));
    EXPECT_TRUE(window->changesMade());
    EXPECT_TRUE(window->saveButton()->isVisible());
    EXPECT_EQ(window->saveButton()->text(), QStringLiteral("&Save As"));
    EXPECT_TRUE(window->toolButton(TLPanelState::psPointing)->isChecked());
    EXPECT_EQ(window->page().PanelState(), TLPanelState::psPointing);

    dialogs.names.push_back(TTemplateName{QStringLiteral("COVER_01.FCS"), QStringLiteral("Mine")});
    window->SaveAsClick();
    ASSERT_EQ(dialogs.proposed.size(), 1u);
    EXPECT_EQ(dialogs.proposed[0].name, QStringLiteral("PX0001.FCS"));
    EXPECT_EQ(dialogs.proposed[0].description, QStringLiteral("[Description]"));
    for (const char* f : {"COVER_01.FCS", "COVER_01.FCT", "COVER_01.bmp", "COVER_01.DES"}) {
        EXPECT_TRUE(fs::exists(folder() + "Covers/" + f)) << f;
    }
    EXPECT_FALSE(window->changesMade());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cover Sheet Template Designer - Mine"));
    EXPECT_TRUE(window->saveAction()->isEnabled());
    const IniFile ini = IniFile::load(folder() + "PX.INI");
    EXPECT_EQ(ini.readString("CDMRU", "F0", ""), folder() + "Covers/COVER_01.FCS");
}

TEST_F(CoverDesigner, SavingDropsAnObjectDraggedPastTheBottom) {
    open();
    draw(QRect(100, 100, 60, 40));
    TGGraphicControl& lost = draw(QRect(200, 900, 60, 40));
    TFaxCoverPanel& page = window->page();
    page.handle().ClearSelection();
    page.handle().AddToSelection(lost);
    page.handle().setHandleBounds(page.handle().geometry().translated(0, 60));
    ASSERT_GT(lost.top(), 950);
    dialogs.names.push_back(TTemplateName{QStringLiteral("DROP.FCS"), QStringLiteral("Drop")});
    window->SaveAsClick();
    TCoverPageModel reread;
    TGLabelObjectFiler::LoadObjects(reread, QDir(covers()).filePath("DROP.FCS"));
    EXPECT_EQ(reread.count(), 1u);
    EXPECT_EQ(page.model().count(), 1u);
}

TEST_F(CoverDesigner, CancelGoesBackToTheSavedTemplate) {
    const QString path = writeTemplate("BUSINESS.FCS", "Business", QRect(10, 10, 50, 50));
    recent({path});
    open();
    draw(QRect(300, 300, 40, 40));
    ASSERT_EQ(window->page().model().count(), 2u);
    ASSERT_TRUE(window->cancelButton()->isVisible());
    prompts.answers.push_back(false);
    window->CancelClick();
    EXPECT_EQ(window->page().model().count(), 2u);
    prompts.answers.push_back(true);
    window->CancelClick();
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].caption, QStringLiteral("CANCEL"));
    EXPECT_EQ(prompts.questions[1].text, QStringLiteral("Cancel all changes?"));
    EXPECT_TRUE(prompts.questions[1].noDefault);
    EXPECT_EQ(window->page().model().count(), 1u);
    EXPECT_FALSE(window->changesMade());
    EXPECT_FALSE(window->cancelButton()->isVisible());
}

TEST_F(CoverDesigner, ARecentFileThatIsGoneSaysSoAndLeavesTheMenu) {
    const QString kept = writeTemplate("KEPT.FCS", "Kept", QRect(10, 10, 50, 50));
    const QString gone = QDir(covers()).filePath("GONE.FCS");
    recent({kept, gone});
    open();
    ASSERT_EQ(window->recentFiles().actions().size(), 2u);
    window->recentFiles().actions()[1]->trigger();
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(prompts.informations[0], gone + QStringLiteral(" no longer exists"));
    ASSERT_EQ(window->recentFiles().actions().size(), 1u);
    EXPECT_EQ(window->recentFiles().files(), QStringList{kept});
}

TEST_F(CoverDesigner, ExitAsksToSaveChangesAndSaveWithoutATemplateBeeps) {
    open();
    window->SaveClick();
    EXPECT_EQ(prompts.beeps, 1);
    draw(QRect(100, 100, 60, 40));
    prompts.answers.push_back(false);
    window->ExitClick();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, QStringLiteral("Save"));
    EXPECT_EQ(prompts.questions[0].text, QStringLiteral("Save changes?"));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CoverDesigner, DeleteRemovesTheFileSetOfATemplateOnly) {
    const QString path = writeTemplate("OLD.FCS", "Old", QRect(10, 10, 50, 50));
    open();
    dialogs.files.push_back(QDir(covers()).filePath("OLD.DES"));
    window->DeleteClick();
    EXPECT_EQ(prompts.informations.back(),
              QStringLiteral("Must be a FCS (Fax Cover Template) file"));
    EXPECT_TRUE(QFile::exists(path));
    dialogs.files.push_back(path);
    prompts.answers.push_back(true);
    window->DeleteClick();
    EXPECT_EQ(prompts.questions.back().caption, QStringLiteral("CONFIRM"));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(withExtension(path, QStringLiteral(".DES"))));
}

TEST_F(CoverDesigner, DefaultFontGoesToNewTextAndIntoTheSettings) {
    open();
    TCoverFont bold;
    bold.name = QStringLiteral("Times New Roman");
    bold.setSize(12);
    bold.style = fsBold;
    dialogs.fonts.push_back(bold);
    window->DefaultFontClick();
    EXPECT_EQ(window->defaultFontAction()->text(),
              QStringLiteral("Default Font: Times New Roman, 12 pt , bold"));
    const IniFile ini = IniFile::load(folder() + "PX.INI");
    EXPECT_EQ(ini.readString("CD Default Font", "Name", ""), "Times New Roman");
    EXPECT_EQ(ini.readInteger("CD Default Font", "Size", 0), 12);
    EXPECT_TRUE(ini.readBool("CD Default Font", "Bold", false));
    EXPECT_EQ(window->page().pageFont(), bold);
}

}  // namespace
}  // namespace px

namespace px {
namespace {

TEST(CoverDesignerHelp, HelpAndQuickTipsOpenTheDesignersPages) {
    test::TempDir home;
    test::TScriptedPrompts prompts;
    THelpCenter help;
    TCoverDesMainScreen window(ProgramFolder(home.path() + "/"), prompts, &help);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("HelpButton"))->click();
    ASSERT_NE(help.helpWindow(), nullptr);
    EXPECT_TRUE(help.helpWindow()->browser()->source().toString().endsWith("coverdesigner.html"));
    window.findChild<QPushButton*>(QStringLiteral("QuickTipsButton"))->click();
    EXPECT_TRUE(
        help.helpWindow()->browser()->source().toString().endsWith("coverdesigner-tips.html"));
}

}  // namespace
}  // namespace px

namespace px {
namespace {

TEST_F(CoverDesigner, FileMenuInOrderAndPageKeysScroll) {
    open();
    QMenu* file = window->findChild<QMenu*>(QStringLiteral("FileMenu"));
    ASSERT_NE(file, nullptr);
    QStringList captions;
    for (QAction* a : file->actions()) {
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(captions.join('|').toStdString(),
              "&New|&Open|&Delete|-|Save|Save &As...|Preview Saved Templates|-|"
              "Default Font: Arial, 10 pt |-|E&xit");
    EXPECT_EQ(window->saveAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    window->resize(600, 400);
    QApplication::processEvents();
    QScrollBar* bar = window->scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QTest::keyClick(&window->page(), Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
    QTest::keyClick(&window->page(), Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), bar->maximum() - bar->singleStep());
    QTest::keyClick(&window->page(), Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(CoverDesigner, OpenTakesTheTemplateChosenInThePreviewAndSaveKeepsItsDescription) {
    const QString path = writeTemplate("PLAIN.FCS", "Plain", QRect(10, 10, 50, 50));
    open();
    dialogs.templates.push_back(path);
    window->OpenClick();
    ASSERT_EQ(dialogs.previews.size(), 1u);
    EXPECT_EQ(dialogs.previews[0].caption, QStringLiteral("Select  Fax Cover Template"));
    EXPECT_FALSE(dialogs.previews[0].previewOnly);
    EXPECT_EQ(window->currentPath(), path);
    EXPECT_EQ(window->page().model().count(), 1u);

    draw(QRect(200, 200, 30, 30));
    EXPECT_EQ(window->saveButton()->text(), QStringLiteral("&Save"));
    window->saveButton()->click();
    EXPECT_FALSE(window->changesMade());
    EXPECT_EQ(readDescription(withExtension(path, QStringLiteral(".DES"))),
              QStringLiteral("Plain"));
    TCoverPageModel reread;
    TGLabelObjectFiler::LoadObjects(reread, path);
    EXPECT_EQ(reread.count(), 2u);

    window->PreviewClick();
    ASSERT_EQ(dialogs.previews.size(), 2u);
    EXPECT_EQ(dialogs.previews[1].caption, QStringLiteral("Preview Fax Cover Templates"));
    EXPECT_TRUE(dialogs.previews[1].previewOnly);
    EXPECT_EQ(dialogs.previews[1].remembered, QStringLiteral("PLAIN.FCS"));
}

TEST_F(CoverDesigner, SavingAtAnotherZoomWritesThePageAsAtFullSize) {
    open();
    window->ZoomOut();
    window->ZoomOut();
    draw(QRect(80, 80, 40, 40));
    dialogs.names.push_back(TTemplateName{QStringLiteral("ZOOMED.FCS"), QStringLiteral("Z")});
    window->SaveAsClick();
    EXPECT_EQ(window->zoomCaption()->text(), QStringLiteral("80%"));
    EXPECT_NEAR(window->page().Zoom(), 0.8, 1e-5);
    TCoverPageModel reread;
    TGLabelObjectFiler::LoadObjects(reread, QDir(covers()).filePath("ZOOMED.FCS"));
    ASSERT_EQ(reread.count(), 1u);
    EXPECT_EQ(reread.objects()[0]->boundsRect(), QRect(100, 100, 50, 50));
}

}  // namespace
}  // namespace px
