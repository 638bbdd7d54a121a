// Sending from the send window through the line simulator's modem to its far
// -end fax machine: the fax arrives pel for pel, the log records the result,
// and each failure gives its message.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/host/fake_host.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/sendfax/send_fax_form.h"
#include "app/sendfax/send_fax_texts.h"
#include "cli/fax/fax_pages.h"
#include "cover/render/cover_renderer.h"
#include "fax/pdf/pdf_samples.h"
#include "fax/pdf/px_pdf_import.h"
#include "support/prerequisite.h"
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

TEST_F(SendEndToEnd, RenderedCoverArrivesPelForPelAndTheLogSaysSent) {
    const std::string cover = renderCover();
    addFax("", cover);
    startSimulator();
    sendFaxNow();
    sim.waitForFinished(40000);
    EXPECT_TRUE(host.scripted.faxErrors.empty());
    ASSERT_FALSE(host.scripted.informations.empty());
    EXPECT_EQ(host.scripted.informations.back(), "The fax was sent successfully");
    EXPECT_EQ(field("LASTRESULT"), "Sent");
    EXPECT_EQ(field("PHONE"), "5551234");
    const TXbDate today{QDate::currentDate().year(), QDate::currentDate().month(),
                        QDate::currentDate().day()};
    EXPECT_EQ(host.log(TMainPage::Outgoing).table().value("DATESENT").date, today);
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$")
                    .match(QString::fromStdString(field("TIMESENT")))
                    .hasMatch())
        << field("TIMESENT");
    const std::string json = readFile(report);
    EXPECT_EQ(reportField(json, "success"), "true") << json;
    EXPECT_EQ(reportField(json, "remote_id"), kStationId);
    const auto got = tiffPages(received);
    const auto sent = apfPages(sendPath(cover));
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    expectPageEndsWith(got[0], sent[0], 1);
}

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

}  // namespace
}  // namespace px::test
