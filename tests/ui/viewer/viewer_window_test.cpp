#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "scripted_viewer_prompts.h"
#include "settings/ini_file.h"
#include "support/accessibility.h"
#include "support/apf_samples.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "ui/help/help_window.h"
#include "ui/viewer/fax_viewer.h"
#include "ui/viewer/pre_print_form.h"

namespace px {
namespace {

using test::drawnPage;

class ViewerWindow : public ::testing::Test {
protected:
    std::string fax(const char* name, int pages, bool fine) {
        std::vector<QImage> images;
        for (int i = 0; i < pages; ++i) {
            images.push_back(
                drawnPage(600, {QRect(40 + 10 * i, 40, 30, 30), QRect(1700, 10, 20, 20)}));
        }
        const std::string path = dir / name;
        test::writeApfPages(path, images, fine);
        return path;
    }

    // Opens the window on `path` as the main window does.
    void open(const std::string& path, const QString& title = "Fax printout") {
        window = std::make_unique<TFaxViewer>(ini(), nullptr, &prompts);
        window->setFileName(QString::fromStdString(path));
        window->setTitle(title);
        window->setPrintHeader("From: ACME             Received: today");
        window->show();
        QApplication::processEvents();
    }

    std::string ini() const { return dir / "PX.INI"; }
    QAction* act(const char* name) const { return window->action(name); }

    test::TempDir dir;
    test::TScriptedViewerPrompts prompts;
    std::unique_ptr<TFaxViewer> window;
};

TEST_F(ViewerWindow, AFinePageOpensAtHalfSizeAndAStandardOneUnscaled) {
    open(fax("fine.apf", 1, true));
    EXPECT_EQ(window->zoom(), 50);
    EXPECT_TRUE(act("View100")->isChecked());
    EXPECT_TRUE(window->faxViewer()->scaling());
    EXPECT_EQ(window->faxViewer()->engine().factors(), (DisplayFactors{50, 100, 50, 100}));

    open(fax("standard.apf", 1, false));
    EXPECT_EQ(window->zoom(), 50);
    EXPECT_TRUE(act("View100")->isChecked());
    EXPECT_FALSE(window->faxViewer()->scaling());
    EXPECT_EQ(window->faxViewer()->engine().factors(), DisplayFactors{});
    // Halved in width by the viewer's aspect correction.
    EXPECT_EQ(window->faxViewer()->pageWidth(), 864);
}

TEST_F(ViewerWindow, ZoomStepsThroughItsLevelsAndBeepsAtTheEnds) {
    open(fax("fine.apf", 1, true));
    window->ZoomInClick();
    window->ZoomInClick();
    EXPECT_EQ(window->zoom(), 100);
    EXPECT_FALSE(window->faxViewer()->scaling());
    EXPECT_TRUE(act("View200")->isChecked());
    EXPECT_EQ(prompts.beeps, 0);
    window->ZoomInClick();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(window->zoom(), 100);
    for (int i = 0; i < 3; ++i) {
        window->ZoomOutClick();
    }
    EXPECT_EQ(window->zoom(), 25);
    EXPECT_EQ(window->faxViewer()->engine().factors(), (DisplayFactors{25, 100, 25, 100}));
    EXPECT_TRUE(act("View50")->isChecked());
    window->ZoomOutClick();
    EXPECT_EQ(prompts.beeps, 2);
    act("View150")->trigger();
    EXPECT_EQ(window->zoom(), 75);
    EXPECT_EQ(window->faxViewer()->engine().factors(), (DisplayFactors{75, 100, 75, 100}));
}

TEST_F(ViewerWindow, PageButtonsOnlyForSeveralPagesAndTheStatusLineFollows) {
    open(fax("one.apf", 1, true), "");
    for (const char* name : {"FirstPage", "PrevPage", "NextPage", "LastPage"}) {
        EXPECT_FALSE(act(name)->isVisible()) << name;
    }
    EXPECT_EQ(window->statusLine()->text(), "Page 1 of 1");

    open(fax("three.apf", 3, true));
    for (const char* name : {"FirstPage", "PrevPage", "NextPage", "LastPage"}) {
        EXPECT_TRUE(act(name)->isVisible()) << name;
    }
    EXPECT_EQ(window->statusLine()->text(), "Fax printout: Page 1 of 3");
    act("LastPage")->trigger();
    EXPECT_EQ(window->statusLine()->text(), "Fax printout: Page 3 of 3");
    act("PrevPage")->trigger();
    EXPECT_EQ(window->faxViewer()->currentPage(), 2U);
    act("Rotate90")->trigger();
    EXPECT_EQ(window->faxViewer()->rotation(), 1U);
    EXPECT_EQ(window->statusLine()->text(), "Fax printout: Page 2 of 3");
}

TEST_F(ViewerWindow, AFileThatCannotBeOpenedSaysSoAndLeavesTheWindowEmpty) {
    test::writeFile(dir / "junk.apf", "no fax here");
    open(dir / "junk.apf");
    EXPECT_EQ(prompts.informations, QStringList{"Error opening fax file"});
    EXPECT_EQ(window->statusLine()->text(), "No file loaded");
    // Exports and prints without a file do nothing.
    window->exportPage(TExportFormat::Bmp);
    window->PrintClick();
    EXPECT_TRUE(prompts.filters.isEmpty());
    EXPECT_EQ(prompts.informations.size(), 1);
}

TEST_F(ViewerWindow, AFileThatVanishesWhileShownLeavesTheWindowUsable) {
    const std::string path = fax("three.apf", 3, true);
    open(path);
    std::filesystem::remove(path);
    act("NextPage")->trigger();
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_EQ(prompts.informations[0], "Viewer error 2");
    EXPECT_EQ(window->statusLine()->text(), "No file loaded");
    window->ZoomOutClick();
    act("NextPage")->trigger();
    window->exportPage(TExportFormat::Png);
    EXPECT_EQ(prompts.informations.size(), 1);
}

TEST_F(ViewerWindow, ADroppedFaxOpensAndANonFaxIsRefused) {
    open(fax("one.apf", 1, true));
    // A standard-resolution fax dropped onto a fine one comes up unscaled.
    const std::string other = fax("three.apf", 3, false);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    QWidget* port = window->faxViewer()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &drop);
    EXPECT_EQ(window->fileName(), QString::fromStdString(other));
    EXPECT_EQ(window->statusLine()->text(), "Fax printout: Page 1 of 3");
    EXPECT_TRUE(act("NextPage")->isVisible());
    EXPECT_EQ(window->zoom(), 50);
    EXPECT_FALSE(window->faxViewer()->scaling());

    test::writeFile(dir / "letter.txt", "Dear Sir");
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir / "letter.txt"))});
    QDragEnterEvent again(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &again);
    QDropEvent refused(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &refused);
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_TRUE(prompts.informations[0].startsWith("letter.txt is not a fax file"));
    EXPECT_EQ(window->faxViewer()->numPages(), 3U);
}

TEST_F(ViewerWindow, CtrlCCopiesTheMarkedBlockAndBeepsWithoutOne) {
    open(fax("one.apf", 1, true));
    window->ZoomInClick();
    window->ZoomInClick();
    QApplication::clipboard()->clear();
    act("CopyMark")->trigger();
    EXPECT_EQ(prompts.beeps, 1);
    window->faxViewer()->selectImage(QRect(30, 30, 50, 50));
    act("CopyMark")->trigger();
    EXPECT_EQ(prompts.beeps, 1);
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(50, 50));
    EXPECT_LT(qGray(copied.pixel(20, 20)), 128);
    EXPECT_GT(qGray(copied.pixel(5, 5)), 128);
}

TEST_F(ViewerWindow, CancellingThePrintDialogStillSavesTheBoxes) {
    open(fax("three.apf", 3, true));
    bool headerWas = false;
    bool footerWas = false;
    int limit = 0;
    prompts.onPrePrint = [&](TPrePrintForm& form) {
        headerWas = form.printHeader()->isChecked();
        footerWas = form.printFooter()->isChecked();
        limit = form.toPage()->maximum();
        EXPECT_TRUE(form.fromPage()->isEnabled());
        EXPECT_EQ(form.toPage()->value(), 3);
        form.printHeader()->setChecked(false);
        form.multiPage()->setChecked(true);
        return false;
    };
    window->PrintClick();
    EXPECT_TRUE(headerWas);
    EXPECT_TRUE(footerWas);
    EXPECT_EQ(limit, 3);
    const IniFile saved = IniFile::load(ini());
    EXPECT_FALSE(saved.readBool("Printing", "Header", true));
    EXPECT_TRUE(saved.readBool("Printing", "Footer", false));
    EXPECT_TRUE(saved.readBool("Printing", "MultiPage", false));

    // The next dialog starts from the stored boxes.
    prompts.onPrePrint = [&](TPrePrintForm& form) {
        headerWas = form.printHeader()->isChecked();
        EXPECT_TRUE(form.multiPage()->isChecked());
        return false;
    };
    window->PrintClick();
    EXPECT_FALSE(headerWas);
}

TEST_F(ViewerWindow, PrintCurrentPagePrintsThatPageAndRestoresTheRange) {
    open(fax("three.apf", 3, true));
    act("NextPage")->trigger();
    const std::string pdf = dir / "out.pdf";
    window->faxPrinter().setOutputPdf(QString::fromStdString(pdf));
    prompts.fileNames = {QString::fromStdString(pdf)};
    prompts.onPrePrint = [&](TPrePrintForm& form) {
        EXPECT_FALSE(form.fromPage()->isEnabled());
        EXPECT_FALSE(form.toPage()->isEnabled());
        EXPECT_EQ(form.fromPage()->value(), 2);
        EXPECT_EQ(form.toPage()->value(), 2);
        EXPECT_FALSE(form.multiPage()->isEnabled());
        return true;
    };
    window->PrintCurrentPageClick();
    for (const QString& message : prompts.informations) {
        EXPECT_TRUE(message.startsWith("No printer is installed")) << message.toStdString();
    }
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    PX_REQUIRE(!pdfinfo.isEmpty(), "pdfinfo (poppler-utils)");
    QProcess info;
    info.start(pdfinfo, {QString::fromStdString(pdf)});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression("Pages: +1\\n")));
    EXPECT_EQ(window->faxPrinter().firstPageToPrint(), 1U);
    EXPECT_EQ(window->faxPrinter().lastPageToPrint(), 3U);
    EXPECT_FALSE(window->faxPrinter().multiPage());
    EXPECT_TRUE(window->faxPrinter().faxHeader().enabled());
    EXPECT_EQ(window->faxPrinter().faxHeader().caption(), "From: ACME             Received: today");
    EXPECT_EQ(window->faxPrinter().faxFooter().caption(), "Page: $P of $N");
}

TEST_F(ViewerWindow, PrinterSetupTakesItsRangeForTheNextPrint) {
    open(fax("three.apf", 3, true));
    prompts.setupAnswer = true;
    prompts.setupFirst = 2;
    prompts.setupLast = 3;
    window->PrinterSetupClick();
    EXPECT_EQ(prompts.printSetups, 1);
    int from = 0;
    prompts.onPrePrint = [&](TPrePrintForm& form) {
        from = form.fromPage()->value();
        return false;
    };
    window->PrintClick();
    EXPECT_EQ(from, 2);
}

TEST(PrePrintForm, OkRefusesARangeThatEndsBeforeItStarts) {
    TPrePrintForm form;
    int beeps = 0;
    form.setBeep([&] { ++beeps; });
    form.setPageLimit(5);
    form.fromPage()->setValue(4);
    form.toPage()->setValue(2);
    form.show();
    form.okButton()->click();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);
    form.toPage()->setEnabled(false);
    form.okButton()->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.toPage()->maximum(), 5);
    EXPECT_EQ(form.windowTitle(), "Print");
    EXPECT_EQ(test::unnamedControls(&form), "");
}

TEST_F(ViewerWindow, EveryControlHasAnAccessibleNameAndHelpOpensItsTopic) {
    open(fax("three.apf", 3, true));
    EXPECT_EQ(window->windowTitle(), "Fax Viewer ");
    EXPECT_EQ(test::unnamedControls(window.get()), "");
    EXPECT_EQ(act("ZoomIn")->toolTip(), "Zoom in");
    EXPECT_EQ(act("PrintCurrentPage")->toolTip(), "Print current page");
    EXPECT_EQ(window->closeButton()->text(), "C&lose");
    window->HelpClick();
    ASSERT_NE(window->helpCenter().helpWindow(), nullptr);
    EXPECT_TRUE(window->helpCenter().helpWindow()->isVisible());
    window->helpCenter().helpWindow()->close();
}

TEST_F(ViewerWindow, ThePlacementIsKeptBetweenOpenings) {
    open(fax("one.apf", 1, true));
    window->setGeometry(QRect(40, 50, 640, 480));
    window->close();
    EXPECT_FALSE(IniFile::load(ini()).sections().empty());
    open(fax("one.apf", 1, true));
    EXPECT_EQ(window->geometry().size(), QSize(640, 480));
}

// The window on a real received page (CCITT test document 1); with
// $PARVEX_SCREENSHOT_DIR set the picture goes there for the documentation.
TEST_F(ViewerWindow, Screenshot) {
    const std::string page = test::ccittApf(dir.path(), 1);
    ASSERT_FALSE(page.empty()) << "the CCITT test pages in tests/data";
    const std::string received = dir / "R0001234.APF";
    test::repeatPages({page, test::ccittApf(dir.path(), 2)}, received, 2);
    open(received);
    window->resize(900, 700);
    QApplication::processEvents();
    window->faxViewer()->verticalScrollBar()->setValue(60);
    QApplication::processEvents();
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString target = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    const QPixmap shot = window->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(target + "/viewer-window.png"));
}

}  // namespace
}  // namespace px
