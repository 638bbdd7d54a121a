// Sending through the line simulator's modem to its far-end fax machine, from
// the send window and from New in the main window: the fax arrives pel for
// pel, the log records the result, and each failure gives its message.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/host/fake_host.h"
#include "app/host/fax_files.h"
#include "app/host/scripted_prompts.h"
#include "app/main_window/main_screen.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/quickfax/create_edit_quick_fax.h"
#include "app/sendfax/send_fax_form.h"
#include "app/sendfax/send_fax_texts.h"
#include "cli/fax/fax_pages.h"
#include "cover/io/cover_text_files.h"
#include "cover/render/cover_renderer.h"
#include "cover/render/cover_values.h"
#include "cover/sender/sender_info.h"
#include "fax/pdf/pdf_samples.h"
#include "fax/pdf/px_pdf_import.h"
#include "settings/file_names.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStationId = "+1 555 0100";
constexpr int kCallLimitMs = 170000;

std::string simulator() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return std::string(dir != nullptr ? dir : "bin") + "/parvex-modemsim";
}

std::string sourceDir() {
    const char* dir = std::getenv("PARVEX_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

// A field of the simulator's call report, as text.
std::string reportField(const std::string& json, const std::string& key) {
    auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return {};
    }
    at = json.find_first_not_of(' ', at + key.size() + 3);
    const auto end = json.find_first_of(",\n}", at);
    std::string value = json.substr(at, end - at);
    if (!value.empty() && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

class SendEndToEnd : public ::testing::Test {
protected:
    TFakeHost host;
    TOutgoingWorkflow workflow{host};
    QProcess sim;
    std::string link = host.home / "ttyFAX";
    std::string received = host.home / "received.tif";
    std::string report = host.home / "call.json";

    void SetUp() override {
        PX_REQUIRE(fs::exists(simulator()), "parvex-modemsim (build it)");
        host.record.modem.comPort = 0;
        host.record.modem.faxClass = 1;
        host.record.modem.maximumBps = 9600;
        host.record.dialing.dialAttempts = 1;
        host.record.user.fax = kStationId;
        host.comPort().setDevicePathResolver([this](int) { return link; });
    }
    void TearDown() override {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            if (!sim.waitForFinished(5000)) {
                sim.kill();
                sim.waitForFinished(5000);
            }
        }
    }

    void startSimulator(const QStringList& extra = {}) {
        QStringList args = {"remote-receive",
                            "--class",
                            "1",
                            "--link",
                            QString::fromStdString(link),
                            "--out",
                            QString::fromStdString(received),
                            "--report",
                            QString::fromStdString(report),
                            "--timeout",
                            "150"};
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.setStandardOutputFile(QString::fromStdString(host.home / "sim.log"));
        sim.start(QString::fromStdString(simulator()), args + extra);
        ASSERT_TRUE(sim.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(link); }, 10000))
            << readFile(host.home / "sim.log");
    }

    std::string renderCover() {
        TCoverValues values;
        values[TCoverFieldType::cfRecipient] = "Ada Lovelace";
        values[TCoverFieldType::cfRegarding] = "Quarterly figures";
        values[TCoverFieldType::cfRecipientFax] = "5551234";
        values[TCoverFieldType::cfSenderFax] = kStationId;
        const QString written = RenderCoverPage(
            "", QString::fromStdString(sourceDir() + "/resources/covers/px0001.FCT"), values,
            "Figures attached.", QString::fromStdString(host.programFolder.sendFolder()));
        return fs::path(written.toStdString()).filename().string();
    }

    void addFax(const std::string& doc, const std::string& cover) {
        host.addOutgoing("Quarterly figures", doc, cover);
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.setText("RECIPIENT", "Ada Lovelace");
        t.setText("PHONE", "5551234");
    }

    // Send → Send Fax Now → (the call) → Close.
    void sendFaxNow() {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TSendFaxForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            driven = true;
            form->sendButton()->click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !form->sendInProgress(); }, kCallLimitMs));
            form->closeButton()->click();
        });
        workflow.send();
        EXPECT_TRUE(driven);
    }

    std::string field(const char* name) { return host.log(TMainPage::Outgoing).table().text(name); }
    std::string sendPath(const std::string& name) { return host.programFolder.sendFolder() + name; }

    // The far end's page ends with the sent page's rows (the header line comes first).
    void expectPageEndsWith(const Rows& got, const Rows& sent, int page) {
        ASSERT_GT(got.size(), sent.size()) << "page " << page;
        const size_t top = got.size() - sent.size();
        for (size_t y = 0; y < sent.size(); ++y) {
            ASSERT_EQ(got[top + y], sent[y]) << "page " << page << " row " << y;
        }
    }
};

TEST_F(SendEndToEnd, CoverAndDocumentGoInOneCallCoverFirst) {
    const std::string cover = renderCover();
    writeTestFax(sendPath("FAX00001.APF"), 1, kApfFine | kApfLengthWords, 400);
    addFax("FAX00001.APF", cover);
    startSimulator();
    sendFaxNow();
    sim.waitForFinished(40000);
    EXPECT_EQ(field("LASTRESULT"), "Sent");
    const std::string json = readFile(report);
    EXPECT_EQ(reportField(json, "pages"), "2") << json;
    const auto got = tiffPages(received);
    ASSERT_EQ(got.size(), 2u);
    expectPageEndsWith(got[0], apfPages(sendPath(cover))[0], 1);
    expectPageEndsWith(got[1], apfPages(sendPath("FAX00001.APF"))[0], 2);
}

TEST_F(SendEndToEnd, BusyLineEndsInFaxFailureAndTheRecordKeepsItsFiles) {
    writeTestFax(sendPath("FAX00001.APF"), 1, kApfFine | kApfLengthWords, 100);
    addFax("FAX00001.APF", "");
    startSimulator({"--condition", "busy=1"});
    sendFaxNow();
    const std::string busy = "Called fax number was busy";
    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    EXPECT_EQ(host.scripted.faxErrors[0].caption, "Fax Failure");
    EXPECT_EQ(host.scripted.faxErrors[0].text,
              messageText(QString::fromStdString(faxFailureMessage(busy))));
    EXPECT_EQ(field("LASTRESULT"), busy);
    EXPECT_EQ(field("TIMESENT"), "");
    EXPECT_EQ(field("FAXDOC"), "FAX00001.APF");
    EXPECT_TRUE(fs::exists(sendPath("FAX00001.APF")));
}

TEST_F(SendEndToEnd, ResetStringTheModemRefusesEndsWithUnableToContinue) {
    writeTestFax(sendPath("FAX00001.APF"), 1, kApfFine | kApfLengthWords, 100);
    addFax("FAX00001.APF", "");
    host.record.resetting.string = "ATZ9&Q99";
    startSimulator();
    sendFaxNow();
    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    EXPECT_EQ(host.scripted.faxErrors[0].caption, "Unable to Continue");
    EXPECT_EQ(host.scripted.faxErrors[0].text,
              messageText(QString::fromStdString(resetRefusedMessage("ATZ9&Q99", 1))));
}

TEST_F(SendEndToEnd, APdfDocumentArrivesReadableByOcr) {
    PX_REQUIRE(haveProgram("tesseract"), "tesseract (tesseract-ocr)");
    const std::string pdf = host.home / "quarterly.pdf";
    writeSamplePdf(pdf);
    // Standard resolution at 14400 bps keeps the dithered photograph's call short.
    PdfImportOptions options;
    options.fine = false;
    options.stationId = kStationId;
    host.record.modem.maximumBps = 14400;
    std::string message;
    ASSERT_EQ(importPdfToApf(pdf, sendPath("FAX00001.APF"), options, &message), ecOK) << message;
    addFax("FAX00001.APF", "");
    startSimulator();
    sendFaxNow();
    sim.waitForFinished(40000);
    EXPECT_EQ(field("LASTRESULT"), "Sent");
    const auto got = tiffPages(received);
    ASSERT_EQ(got.size(), 1u);
    // Each standard line twice, for square pels.
    QImage page(1728, 2 * static_cast<int>(got[0].size()), QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < page.height(); ++y) {
        std::copy(got[0][y / 2].begin(), got[0][y / 2].end(), page.scanLine(y));
    }
    const std::string picture = host.home / "received.png";
    ASSERT_TRUE(page.save(QString::fromStdString(picture), "PNG"));
    int status = -1;
    const std::string text =
        runCommand("tesseract " + shellQuote(picture) + " - 2>/dev/null", &status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(text.find(kSampleHeadline), std::string::npos) << text;
    EXPECT_NE(text.find("sales rose in every region"), std::string::npos) << text;
}

// The whole road of a quick fax in the real main window: New, the cover sheet
// editor filled in through its fields, Save, the record selected, Send and
// "Send Fax Now" in the send window, with PX.INI's [Ports] naming the line.
class SendFromMainWindow : public ::testing::Test {
protected:
    TempDir home;
    TScriptedPrompts prompts;
    std::unique_ptr<TMainScreen> window;
    QProcess sim;
    std::string link = home / "ttyFAX";
    std::string received = home / "received.tif";
    std::string report = home / "call.json";

    void SetUp() override { PX_REQUIRE(fs::exists(simulator()), "parvex-modemsim (build it)"); }
    void TearDown() override {
        if (window) {
            window->close();
            window.reset();
        }
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            if (!sim.waitForFinished(5000)) {
                sim.kill();
                sim.waitForFinished(5000);
            }
        }
    }

    void openWindow(const std::string& port) {
        writeFile(home / "PX.INI",
                  "[Modem]\nComPort=0\nFaxClass=1\nMaximumBPS=9600\n"
                  "[Dialing]\nDialAttempts=1\n[User]\nFax=" +
                      std::string(kStationId) + "\n[Ports]\nCOM1=" + port + "\n");
        window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts);
    }

    void startSimulator(const QStringList& extra = {}) {
        const QStringList args = {"remote-receive", "--class",   "1",          "--link",
                                  qs(link),         "--out",     qs(received), "--report",
                                  qs(report),       "--timeout", "150"};
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.setStandardOutputFile(qs(home / "sim.log"));
        sim.start(qs(simulator()), args + extra);
        ASSERT_TRUE(sim.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(link); }, 10000))
            << readFile(home / "sim.log");
    }

    static QString qs(const std::string& text) { return QString::fromStdString(text); }

    // New → the editor's fields typed in → Save.
    void newQuickFax() {
        bool filled = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<TCreateEditQuickFax*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            QTest::keyClicks(editor->findChild<QLineEdit*>("Recipient"), "Ada Lovelace");
            QTest::keyClicks(editor->findChild<QLineEdit*>("RecipientFax"), "5551234");
            QTest::keyClicks(editor->findChild<QLineEdit*>("Regarding"), "Quarterly figures");
            filled = true;
            editor->findChild<QPushButton*>("SaveButton")->click();
        });
        window->newCoverSheetClick();
        ASSERT_TRUE(filled);
    }

    // Send → Send Fax Now → (the call) → Close.
    void sendFaxNow() {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TSendFaxForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            driven = true;
            form->sendButton()->click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !form->sendInProgress(); }, kCallLimitMs));
            form->closeButton()->click();
        });
        window->sendClick();
        EXPECT_TRUE(driven);
    }

    TXbTable& log() { return window->outgoingLog().table(); }

    // The cover rendered again from its data file and the record, at `at`.
    Rows rerenderedCover(const std::string& fcd, const QDateTime& at) {
        const TCoverData data = readCoverData(qs(fcd));
        const TSenderInfo sender = TSenderInfo::fromSettings(window->settings().user);
        TCoverValues v;
        v[TCoverFieldType::cfDate] = coverDateText(at.date());
        v[TCoverFieldType::cfTime] = coverTimeText(at.time());
        v[TCoverFieldType::cfRegarding] = qs(log().text("SUBJECT"));
        v[TCoverFieldType::cfRecipient] = qs(log().text("RECIPIENT"));
        v[TCoverFieldType::cfRecipientFax] = qs(log().text("PHONE"));
        v[TCoverFieldType::cfSender] = qs(sender.name);
        v[TCoverFieldType::cfSenderCompany] = qs(sender.company);
        v[TCoverFieldType::cfSenderFax] = qs(sender.fax);
        v[TCoverFieldType::cfSenderVoice] = qs(sender.voice);
        v.importance = data.importance;
        const std::string out = home / "again.apf";
        RenderCoverPage(
            qs(out),
            qs(resolveNoCase(window->folder().coversFolder(), data.templateName.toStdString())), v,
            data.message.join("\r\n"), qs(home.path()));
        return apfPages(out).at(0);
    }
};

TEST_F(SendFromMainWindow, AQuickFaxFromNewArrivesPelForPelAndTheLogSaysSent) {
    startSimulator();
    openWindow(link);
    const QDateTime before = QDateTime::currentDateTime();
    newQuickFax();
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(log().recCount(), 1u) << prompts.informations.size();
    window->selectRow(TMainPage::Outgoing, 0);
    const std::string cover = log().text("FAXCOVER");
    ASSERT_FALSE(cover.empty());
    EXPECT_EQ(log().text("RECIPIENT"), "Ada Lovelace");
    EXPECT_EQ(log().text("SUBJECT"), "Quarterly figures");

    sendFaxNow();
    sim.waitForFinished(40000);
    EXPECT_TRUE(prompts.faxErrors.empty());
    ASSERT_FALSE(prompts.informations.empty());
    EXPECT_EQ(prompts.informations.back(), "The fax was sent successfully");
    log().goTo(1);
    EXPECT_EQ(log().text("LASTRESULT"), "Sent");
    EXPECT_EQ(log().text("PHONE"), "5551234");
    const QDate day = QDate::currentDate();
    EXPECT_EQ(log().value("DATESENT").date, (TXbDate{day.year(), day.month(), day.day()}));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$").match(qs(log().text("TIMESENT"))).hasMatch())
        << log().text("TIMESENT");

    const std::string json = readFile(report);
    EXPECT_EQ(reportField(json, "success"), "true") << json;
    EXPECT_EQ(reportField(json, "remote_id"), kStationId) << json;
    EXPECT_EQ(reportField(json, "number"), "5551234") << json;

    // The far end's page ends with the cover as stored, and the stored cover
    // is what its data file and the record render to.
    const std::string send = window->folder().sendFolder();
    const auto got = tiffPages(received);
    const auto sent = apfPages(send + cover);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_GT(got[0].size(), sent[0].size());
    const std::size_t top = got[0].size() - sent[0].size();
    for (std::size_t y = 0; y < sent[0].size(); ++y) {
        ASSERT_EQ(got[0][top + y], sent[0][y]) << "row " << y;
    }
    const std::string fcd = send + coverCompanionName(cover);
    ASSERT_TRUE(fs::exists(fcd));
    const Rows again = rerenderedCover(fcd, before);
    EXPECT_TRUE(again == sent[0] || rerenderedCover(fcd, after) == sent[0])
        << "the stored cover differs from its data file's rendering";
}

// Nothing answers on the port from the first "AT": the send window says so,
// offers Continue, and Ok leaves the record as it was.
TEST_F(SendFromMainWindow, AModemThatNeverAnswersGivesNoResponseFromModem) {
    startSimulator({"--condition", "silent-modem"});
    openWindow(link);
    newQuickFax();
    window->selectRow(TMainPage::Outgoing, 0);
    sendFaxNow();
    ASSERT_EQ(prompts.faxErrors.size(), 1u);
    EXPECT_EQ(prompts.faxErrors[0].caption, "No Response From Modem");
    EXPECT_TRUE(prompts.faxErrors[0].withContinue);
    EXPECT_EQ(prompts.faxErrors[0].errorCode, 0);
    EXPECT_EQ(prompts.faxErrors[0].text, messageText(qs(noModemMessage(1))));
    log().goTo(1);
    EXPECT_EQ(log().text("LASTRESULT"), "");
    EXPECT_EQ(log().text("TIMESENT"), "");
}

// [Ports] names a device that is not there.
TEST_F(SendFromMainWindow, APortPathToNothingGivesErrorOpeningCommunicationsPort) {
    openWindow(home / "no-such-tty");
    newQuickFax();
    window->selectRow(TMainPage::Outgoing, 0);
    sendFaxNow();
    ASSERT_EQ(prompts.faxErrors.size(), 1u);
    const auto& shown = prompts.faxErrors[0];
    EXPECT_EQ(shown.caption, "Error Opening Communications Port");
    EXPECT_FALSE(shown.withContinue);
    EXPECT_TRUE(shown.text.startsWith(
        "Unable to open the specified communications port ( Com1 )\nError message: "))
        << shown.text.toStdString();
    EXPECT_TRUE(shown.text.endsWith(
        "\n\nIs the Communications Port (COM1) correct? Please\nclick on the Find Modem button on "
        "the Preferences screen to be sure."))
        << shown.text.toStdString();
    EXPECT_LT(shown.errorCode, -1);
}

}  // namespace
}  // namespace px::test
