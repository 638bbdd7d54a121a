#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "cover/io/cover_text_files.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"
#include "ui/coverdesign/get_label_text.h"
#include "ui/coverdesign/get_symbol.h"
#include "ui/coverdesign/mru_file_list.h"
#include "ui/coverdesign/preview_covers.h"
#include "ui/coverdesign/save_template_as.h"

namespace px {
namespace {

QString folderOf(const test::TempDir& dir) {
    return QString::fromStdString(dir.path());
}

TEST(CoverDialogs, TextDialogStartsWithTheCaptionAndReturnsTheEdit) {
    TGetLabelText dialog(QStringLiteral("Hello"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Text"));
    EXPECT_EQ(dialog.text(), QStringLiteral("Hello"));
    dialog.edit()->setText(QStringLiteral("World"));
    EXPECT_EQ(dialog.text(), QStringLiteral("World"));
    EXPECT_EQ(test::unnamedControls(&dialog), "");
}

TEST(CoverDialogs, SymbolSelectorListsTheCharactersInColumnsByFontSize) {
    TCoverFont wingdings;
    wingdings.name = QStringLiteral("WingDings");
    wingdings.setSize(24);
    TGetSymbol dialog(wingdings, '[');
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Symbol Selector"));
    EXPECT_EQ(dialog.list()->count(), 224);
    EXPECT_EQ(dialog.list()->currentRow(), '[' - 32);
    EXPECT_EQ(dialog.code(), '[');
    EXPECT_EQ(dialog.columns(), 8);
    EXPECT_EQ(dialog.fontButton()->text(), QStringLiteral("WingDings 24pt "));
    TCoverFont styled = wingdings;
    styled.setSize(10);
    styled.style = fsBold;
    dialog.setPreviewFont(styled);
    EXPECT_EQ(dialog.columns(), 14);
    EXPECT_EQ(dialog.fontButton()->text(), QStringLiteral("WingDings 10pt Bold "));
    styled.style = fsBold | fsItalic;
    styled.setSize(72);
    dialog.setPreviewFont(styled);
    EXPECT_EQ(dialog.columns(), 2);
    EXPECT_EQ(dialog.fontButton()->text(), QStringLiteral("WingDings 72pt Italic "));
    dialog.list()->setCurrentRow(255 - 32);
    EXPECT_EQ(dialog.code(), 255);
    EXPECT_EQ(test::unnamedControls(&dialog), "");
}

TEST(CoverDialogs, SaveAsOkFollowsTheNameRuleAndNeedsADescription) {
    test::TempDir dir;
    TSaveTemplateAs dialog(folderOf(dir), QStringLiteral("cover1.fcs"), QString());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save fax cover template as"));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("Ok "));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.descriptionEdit()->setText(QStringLiteral("Plain"));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    const struct {
        const char* name;
        bool ok;
    } names[] = {{"1COVER.FCS", false},    {"COVER.TXT", false}, {"COVER_01.FCS", true},
                 {"COVER_012.FCS", false}, {"_x.fcs", true},     {".FCS", false}};
    for (const auto& n : names) {
        dialog.nameEdit()->setText(QString::fromLatin1(n.name));
        EXPECT_EQ(dialog.okButton()->isEnabled(), n.ok) << n.name;
    }
    EXPECT_EQ(test::unnamedControls(&dialog), "");
}

TEST(CoverDialogs, SaveAsPickingATemplateFillsNameAndDescription) {
    test::TempDir dir;
    test::writeFile(dir / "BUSINESS.FCT", "x");
    ASSERT_TRUE(writeDescription(QString::fromStdString(dir / "BUSINESS.DES"), "Business"));
    TSaveTemplateAs dialog(folderOf(dir), QStringLiteral("PX0001.FCS"),
                           QStringLiteral("[Description]"));
    ASSERT_EQ(dialog.list()->count(), 1);
    dialog.list()->setCurrentRow(0);
    EXPECT_EQ(dialog.name(), QStringLiteral("BUSINESS.FCS"));
    EXPECT_EQ(dialog.description(), QStringLiteral("Business"));
}

TEST(CoverDialogs, PreviewShowsPictureAndDescriptionOrSaysTheImageIsMissing) {
    test::TempDir dir;
    test::writeFile(dir / "A.FCS", "x");
    test::writeFile(dir / "B.FCS", "x");
    QImage picture(816, 1056, QImage::Format_Mono);
    picture.fill(1);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir / "B.bmp"), "BMP"));
    ASSERT_TRUE(writeDescription(QString::fromStdString(dir / "B.DES"), "Second"));
    TPreviewCovers dialog(folderOf(dir), QString::fromLatin1(TPreviewCovers::kSelectCaption),
                          false);
    QStringList told;
    dialog.setInform([&](const QString& text) { told << text; });
    dialog.setRemembered(QStringLiteral("b.fcs"));
    dialog.selectRemembered();
    EXPECT_EQ(dialog.list()->currentRow(), 1);
    EXPECT_FALSE(dialog.picture()->pixmap().isNull());
    EXPECT_EQ(dialog.description()->text(), QStringLiteral("Second"));
    EXPECT_TRUE(told.isEmpty());
    dialog.list()->setCurrentRow(0);
    EXPECT_EQ(told, QStringList{QStringLiteral("Image not available")});
    // A template without a description file leaves the line as it was.
    EXPECT_EQ(dialog.description()->text(), QStringLiteral("Second"));
    EXPECT_EQ(dialog.remembered(), QStringLiteral("A.FCS"));
    EXPECT_EQ(dialog.chosenPath(), QDir(folderOf(dir)).filePath("A.FCS"));
    EXPECT_EQ(test::unnamedControls(&dialog), "");

    TPreviewCovers previewOnly(folderOf(dir), QString::fromLatin1(TPreviewCovers::kPreviewCaption),
                               true);
    previewOnly.setInform([](const QString&) {});
    EXPECT_TRUE(previewOnly.okButton()->isHidden());
    EXPECT_FALSE(previewOnly.cancelButton()->isHidden());
}

TEST(CoverDialogs, RecentFilesKeepFiveMostRecentFirstAndLeaveOnClick) {
    QMenu menu;
    menu.addAction(QStringLiteral("E&xit"));
    TMRUFileList mru;
    mru.setFileMenu(&menu);
    for (int i = 1; i <= 6; ++i) {
        mru.add(QStringLiteral("/c/T%1.FCS").arg(i));
    }
    ASSERT_EQ(mru.files().size(), 5);
    EXPECT_EQ(mru.files().front(), QStringLiteral("/c/T6.FCS"));
    mru.add(QStringLiteral("/C/t3.fcs"));
    EXPECT_EQ(mru.files().size(), 5);
    EXPECT_EQ(mru.files().front(), QStringLiteral("/C/t3.fcs"));
    ASSERT_EQ(mru.actions().size(), 5u);
    EXPECT_EQ(mru.actions()[0]->text(), QStringLiteral("&1 /C/t3.fcs"));
    EXPECT_EQ(mru.actions()[1]->text(), QStringLiteral("&2 /c/T6.FCS"));
    // A separator, then the five items.
    EXPECT_EQ(menu.actions().size(), 7);

    QString clicked;
    QObject::connect(&mru, &TMRUFileList::mruItemClick, [&](const QString& p) { clicked = p; });
    mru.actions()[1]->trigger();
    EXPECT_EQ(clicked, QStringLiteral("/c/T6.FCS"));
    EXPECT_EQ(mru.files().size(), 4);
    EXPECT_FALSE(mru.files().contains(QStringLiteral("/c/T6.FCS")));
}

}  // namespace
}  // namespace px
