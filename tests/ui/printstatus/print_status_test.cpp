#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "fax/print/px_fax_printer.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"
#include "ui/printstatus/px_fax_printer_status.h"
#include "ui/printstatus/px_print_dialogs.h"

namespace px {
namespace {

namespace fs = std::filesystem;

// This binary sees no printer at all: its print server does not exist. Set
// before the first printer query, which fixes the server for the process.
const bool kNoPrintServer = [] {
    ::setenv("CUPS_SERVER", "/nonexistent/parvex-test/cups.sock", 1);
    return true;
}();

struct PrintSetup {
    PrintSetup() {
        fax = dir / "FAX00001.APF";
        test::writeTestFax(fax, 3);
        printer.setFileName(QString::fromStdString(fax));
        printer.setOutputPdf(QString::fromStdString(dir / "out.pdf"));
        log.setLogFileName(QString::fromStdString(dir / "FAXPRINT.LOG"));
        printer.setFaxPrinterLog(&log);
        printer.setStatusDisplay(&status);
    }
    // Runs `during` when page `page` is about to be printed.
    void printWith(unsigned page, const std::function<void()>& during) {
        printer.setOnNextPage([=](TPxCustomFaxPrinter&, unsigned current, unsigned) {
            if (current == page) {
                QCoreApplication::processEvents();
                during();
            }
        });
        printer.print();
    }

    test::TempDir dir;
    std::string fax;
    TPxFaxPrinter printer;
    TPxFaxPrinterLog log;
    TPxFaxPrinterStatus status;
};

TEST(PrintStatusWindow, ShowsTheFaxAndTheProgressWhileAJobRuns) {
    PrintSetup s;
    bool checked = false;
    s.printWith(3, [&] {
        TStandardFaxPrinterStatusDisplay* window = s.status.display();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), "Print Status");
        EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        const struct {
            const char* field;
            const char* text;
        } rows[] = {{"fileName", "FAX00001.APF"},
                    {"totalPages", "3"},
                    {"resolution", "high"},
                    {"width", "1728"},
                    {"firstPage", "1"},
                    {"lastPage", "3"},
                    {"statusLine", "Submitting 2 of 3"}};
        for (const auto& row : rows) {
            ASSERT_NE(window->field(row.field), nullptr) << row.field;
            EXPECT_EQ(window->field(row.field)->text(), row.text) << row.field;
        }
        QStringList groups;
        for (const QGroupBox* box : window->findChildren<QGroupBox*>()) {
            groups << box->title();
        }
        EXPECT_EQ(groups, (QStringList{"Fax Information", "Status"}));
        EXPECT_EQ(window->abortButton()->text(), "Abort");
        checked = true;
    });
    EXPECT_TRUE(checked);
    ASSERT_NE(s.status.display(), nullptr);
    EXPECT_FALSE(s.status.display()->isVisible()) << "hidden when the job is done";
    EXPECT_FALSE(s.printer.aborted());
}

TEST(PrintStatusWindow, AbortAndEscapeStopTheJob) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Abort button");
        PrintSetup s;
        s.printWith(2, [&] {
            TStandardFaxPrinterStatusDisplay* window = s.status.display();
            ASSERT_NE(window, nullptr);
            if (escape) {
                QTest::keyClick(window, Qt::Key_Escape);
            } else {
                QTest::mouseClick(window->abortButton(), Qt::LeftButton);
            }
        });
        EXPECT_TRUE(s.printer.aborted());
        EXPECT_FALSE(s.status.display()->isVisible());
        EXPECT_FALSE(fs::exists(s.dir / "out.pdf"));
        const std::string log = test::readFile(s.dir / "FAXPRINT.LOG");
        EXPECT_NE(log.find(" aborted at "), std::string::npos) << log;
        EXPECT_EQ(log.find(" finished at "), std::string::npos) << log;
    }
}

TEST(PrintStatusWindow, PropertiesReachTheWindow) {
    PrintSetup s;
    s.status.setCaption("Printing the fax");
    s.status.setCtl3D(false);
    s.printWith(1, [&] {
        TStandardFaxPrinterStatusDisplay* window = s.status.display();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "Printing the fax");
        EXPECT_EQ(window->field("fileName")->frameStyle(), int{QFrame::NoFrame});
    });

    // An invisible display prints without showing anything.
    s.status.setVisible(false);
    bool shown = true;
    s.printWith(2, [&] { shown = s.status.display()->isVisible(); });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(fs::exists(s.dir / "out.pdf"));

    // Detached, the printer prints without a window.
    s.printer.setStatusDisplay(nullptr);
    EXPECT_EQ(s.status.faxPrinter(), nullptr);
    s.printer.print();
}

TEST(PrintStatusWindow, EveryControlHasAName) {
    PrintSetup s;
    std::string unnamed = "not checked";
    s.printWith(2, [&] { unnamed = test::unnamedControls(s.status.display()); });
    EXPECT_EQ(unnamed, "");
}

// Draws the window with a job in progress; with $PARVEX_SCREENSHOT_DIR set
// the picture goes there for the documentation, else into a scratch folder.
TEST(PrintStatusWindow, Screenshot) {
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString dir = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    PrintSetup s;
    bool saved = false;
    s.printer.setOnFaxPrintStatus([&](TPxCustomFaxPrinter& sender, TFaxPrintProgress code) {
        if (sender.currentPage() == 2 && code == fpRendering && !saved) {
            // The window shows the new progress after this event.
            QTimer::singleShot(0, [&] {
                QPixmap shot = s.status.display()->grab();
                saved = !shot.isNull() && shot.save(dir + "/print-status.png");
            });
        }
    });
    s.printer.print();
    EXPECT_TRUE(saved);
}

TEST(PdfChoice, WithoutAPrinterTheUserChoosesAFileAndIsTold) {
    ASSERT_FALSE(TPxCustomFaxPrinter::hasInstalledPrinter());
    TPxFaxPrinter printer;
    printer.setFileName({});
    QString suggested;
    QString told;
    TPdfChoiceHooks hooks;
    hooks.askPath = [&](QWidget*, const QString& offer) {
        suggested = offer;
        return QString("/tmp/parvex-fax");
    };
    hooks.inform = [&](QWidget*, const QString& text) { told = text; };
    EXPECT_TRUE(choosePdfOutputWhenNoPrinter(printer, nullptr, hooks));
    EXPECT_TRUE(suggested.endsWith("/fax.pdf")) << suggested.toStdString();
    EXPECT_EQ(printer.outputPdf(), "/tmp/parvex-fax.pdf");
    EXPECT_EQ(told, pdfOutputNotice("/tmp/parvex-fax.pdf"));
    EXPECT_TRUE(told.contains("No printer is installed")) << told.toStdString();

    // Cancelled: nothing changes and nobody is told.
    told.clear();
    hooks.askPath = [](QWidget*, const QString&) { return QString(); };
    EXPECT_FALSE(choosePdfOutputWhenNoPrinter(printer, nullptr, hooks));
    EXPECT_EQ(printer.outputPdf(), "/tmp/parvex-fax.pdf");
    EXPECT_TRUE(told.isEmpty());

    // No printer to select, no default printer.
    EXPECT_FALSE(printer.selectPrinter("faxq"));
    EXPECT_FALSE(printer.useDefaultPrinter());
    EXPECT_EQ(printer.outputPdf(), "/tmp/parvex-fax.pdf");
}

TEST(PrintSetup, TheDialogsPageRangeBecomesThePagesToPrint) {
    PrintSetup s;
    TPxPrintSetupDialog dialog;
    s.printer.setSetupPrompt(&dialog);
    s.printer.setPageRange(2, 3);
    for (const bool accept : {false, true}) {
        QTimer::singleShot(0, [accept] {
            auto* shown = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->fromPage(), 2);
            EXPECT_EQ(shown->toPage(), 3);
            accept ? shown->accept() : shown->reject();
        });
        EXPECT_EQ(s.printer.printSetup(), accept);
        EXPECT_EQ(s.printer.firstPageToPrint(), 2u);
        EXPECT_EQ(s.printer.lastPageToPrint(), 3u);
    }
    s.printer.setSetupPrompt(nullptr);
    EXPECT_FALSE(s.printer.printSetup());
}

}  // namespace
}  // namespace px
