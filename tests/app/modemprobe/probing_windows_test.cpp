// The probing windows against the line simulator's modems on pseudo
// terminals: which port holds a modem, binding a USB modem to a free number,
// the classes a modem offers, and the answers for ports without one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <memory>

#include "app/host/scripted_prompts.h"
#include "app/modemprobe/check_fax_class_form.h"
#include "app/modemprobe/find_modem_form.h"
#include "app/modemprobe/modem_probing.h"
#include "comms/px_com_port.h"
#include "comms/qt/px_qt_event_loop.h"
#include "fax/components/px_send_fax.h"
#include "settings/px_settings.h"
#include "settings/settings_file.h"
#include "support/accessibility.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWindowLimitMs = 60000;
constexpr int kPortBufferSize = 8192;

std::string simulator() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return std::string(dir != nullptr ? dir : "bin") + "/parvex-modemsim";
}

QString screenshotDir(const QTemporaryDir& scratch) {
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    return chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
}

class ProbeLine : public ::testing::Test {
protected:
    TempDir home;
    SettingsFile settingsFile{home / "PX.INI"};
    TPxQtEventLoop loop;
    std::unique_ptr<TPxComPort> port;
    TPxSendFax sendFax;
    TScriptedPrompts prompts;
    std::deque<QProcess> simulators;

    void SetUp() override {
        PX_REQUIRE(fs::exists(simulator()), "parvex-modemsim (build it)");
        // Set up as the program sets up its own port; numbers not bound in
        // [Ports] reach devices that do not exist, never this machine's UARTs.
        port = std::make_unique<TPxComPort>(&loop);
        port->setInSize(kPortBufferSize);
        port->setOutSize(kPortBufferSize);
        port->setHWFlowOptions({hwfUseRTS, hwfRequireCTS});
        port->setAutoOpen(false);
        port->setTapiMode(tmNone);
        port->setDevicePathResolver([this](int number) {
            const std::string bound =
                settingsFile.read().readString("Ports", "COM" + std::to_string(number), "");
            return bound.empty() ? home / ("ttyS" + std::to_string(number - 1)) : bound;
        });
        sendFax.setComPort(port.get());
    }
    void TearDown() override {
        sendFax.ReleaseLine();
        port.reset();
        for (QProcess& sim : simulators) {
            sim.terminate();
            if (!sim.waitForFinished(5000)) {
                sim.kill();
                sim.waitForFinished(5000);
            }
        }
    }

    // A simulated modem of `modemClass` whose port appears at `link`.
    void startModem(const std::string& link, const QString& modemClass,
                    const QStringList& extra = {}) {
        QProcess& sim = simulators.emplace_back();
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.setStandardOutputFile(QString::fromStdString(link + ".log"));
        sim.start(QString::fromStdString(simulator()),
                  QStringList{"remote-receive", "--class", modemClass, "--link",
                              QString::fromStdString(link), "--out",
                              QString::fromStdString(link + ".tif"), "--timeout", "120"} +
                      extra);
        ASSERT_TRUE(sim.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(link); }, 10000))
            << readFile(link + ".log");
    }
    void bind(int number, const std::string& path) {
        settingsFile.update(
            [&](IniFile& ini) { ini.writeString("Ports", "COM" + std::to_string(number), path); });
    }
    template <typename Form>
    void runToTheEnd(Form& form) {
        form.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.finished(); }, kWindowLimitMs));
        EXPECT_TRUE(form.okButton()->isVisible());
        EXPECT_EQ(prompts.beeps, 1);
        EXPECT_FALSE(port->Open());
    }
};

TEST_F(ProbeLine, AModemOnCom3IsFoundBehindTwoSilentPorts) {
    for (int n = 1; n <= 2; ++n) {
        startModem(home / ("silent" + std::to_string(n)), "1", {"--condition", "silent-modem"});
        bind(n, home / ("silent" + std::to_string(n)));
    }
    startModem(home / "modem", "1");
    bind(3, home / "modem");
    port->setComNumber(5);
    TFindModemForm form(nullptr, *port, settingsFile, prompts, home / "dev");
    EXPECT_EQ(form.windowTitle(), "Finding Modem...Please wait");
    runToTheEnd(form);
    EXPECT_EQ(form.result(), 3);
    EXPECT_EQ(form.portLabel(1)->text(), "Com 1: Unknown");
    EXPECT_EQ(form.portLabel(2)->text(), "Com 2: Unknown");
    EXPECT_EQ(form.portLabel(3)->text(), "Com 3: MODEM");
    for (int n = 4; n <= 6; ++n) {
        EXPECT_EQ(form.portLabel(n)->text(), QString("Com %1: Port does not exist").arg(n));
    }
    EXPECT_TRUE(form.deviceLabels().empty());
    EXPECT_EQ(form.explanationLabel()->text(),
              "A modem was found on Com Port 3. We suggest setting the Port as Com 3.");
    EXPECT_EQ(form.windowTitle(), "Find Modem");
    EXPECT_EQ(port->ComNumber(), 5);
    EXPECT_EQ(unnamedControls(&form), "");

    QTemporaryDir scratch;
    EXPECT_TRUE(form.grab().save(screenshotDir(scratch) + "/find-modem.png"));
}

TEST_F(ProbeLine, AUsbModemNoNumberReachesIsBoundToTheFirstFreeNumber) {
    bind(2, home / "elsewhere");
    startModem(home / "modem", "1");
    // The device under its kernel name and its stable name: one modem.
    fs::create_directories(home / "dev/serial/by-id");
    fs::create_symlink(home / "modem", home / "dev/ttyUSB0");
    fs::create_symlink(home / "dev/ttyUSB0", home / "dev/serial/by-id/usb-Simulated_Modem-if00");
    std::unique_ptr<TModemProbing> probing = makeModemProbing(home / "dev");
    bool closed = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                auto* form = qobject_cast<TFindModemForm*>(QApplication::activeModalWidget());
                return form != nullptr && form->finished();
            },
            kWindowLimitMs));
        auto* form = qobject_cast<TFindModemForm*>(QApplication::activeModalWidget());
        ASSERT_EQ(form->deviceLabels().size(), 1u);
        EXPECT_EQ(form->deviceLabels()[0]->text(),
                  QString::fromStdString("Com 1 (" + home / "dev/ttyUSB0" + "): MODEM"));
        EXPECT_EQ(form->portLabel(1)->text(), "Com 1: Port does not exist");
        form->okButton()->click();
        closed = true;
    });
    EXPECT_EQ(probing->findModem(nullptr, *port, settingsFile), 1);
    EXPECT_TRUE(closed);
    const IniFile ini = settingsFile.read();
    EXPECT_EQ(ini.readString("Ports", "COM1", ""), home / "dev/ttyUSB0");
    EXPECT_EQ(ini.readString("Ports", "COM2", ""), home / "elsewhere");
    // The number now reaches the modem the way every port opens.
    EXPECT_EQ(comPortDevicePath(ini, 1), home / "dev/ttyUSB0");
}

TEST_F(ProbeLine, WithoutAnyModemTheExplanationSaysSo) {
    TFindModemForm form(nullptr, *port, settingsFile, prompts, home / "dev");
    runToTheEnd(form);
    EXPECT_EQ(form.result(), -1);
    EXPECT_EQ(form.explanationLabel()->text(),
              "No modem found. If you know which Com port your modem uses, you can also just set "
              "the Port to that setting");
    EXPECT_TRUE(settingsFile.read().readString("Ports", "COM1", "").empty());
}

TEST_F(ProbeLine, AClassOneModemGetsClassOneRecommended) {
    startModem(home / "modem", "1");
    bind(1, home / "modem");
    TCheckFaxClassForm form(nullptr, *port, sendFax, 1, prompts);
    EXPECT_EQ(form.windowTitle(), "Finding Fax Class...Please wait");
    runToTheEnd(form);
    EXPECT_EQ(form.classIndex(), 0);
    EXPECT_EQ(form.className(), "Class 1");
    EXPECT_EQ(form.classLabel(0)->text(), "Class 1   : Supported (recommended)");
    EXPECT_EQ(form.classLabel(1)->text(), "Class 2   : Not Supported");
    EXPECT_EQ(form.classLabel(2)->text(), "Class 2.0 : Not Supported");
    EXPECT_EQ(form.statusLabel()->text(),
              "Try using the recommended Fax Class (Class 1). \n\nIf you experience problems, "
              "try other supported classes or auto detect.");
    EXPECT_EQ(form.windowTitle(), "Check Fax Class");
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(unnamedControls(&form), "");

    QTemporaryDir scratch;
    EXPECT_TRUE(form.grab().save(screenshotDir(scratch) + "/check-fax-class.png"));
}

TEST_F(ProbeLine, AModemOfferingOnlyClassTwoPointZeroHasItShownInBold) {
    startModem(home / "modem", "2.0");
    bind(1, home / "modem");
    TCheckFaxClassForm form(nullptr, *port, sendFax, 1, prompts);
    runToTheEnd(form);
    EXPECT_EQ(form.classIndex(), 2);
    EXPECT_EQ(form.className(), "Class 2.0");
    EXPECT_EQ(form.classLabel(0)->text(), "Class 1   : Not Supported");
    EXPECT_EQ(form.classLabel(1)->text(), "Class 2   : Not Supported");
    EXPECT_EQ(form.classLabel(2)->text(), "Class 2.0 : Supported");
    EXPECT_TRUE(form.classLabel(2)->font().bold());
    EXPECT_FALSE(form.classLabel(0)->font().bold());
    EXPECT_TRUE(
        form.statusLabel()->text().startsWith("Try using the recommended Fax Class (Class 2.0)."));
    // What was found stays with the send component for its sessions.
    EXPECT_EQ(sendFax.DetectedClasses(), kDetectedClass2_0);
}

TEST_F(ProbeLine, APortThatNeverAnswersAsksWhetherToGoOn) {
    startModem(home / "silent", "1", {"--condition", "silent-modem"});
    bind(1, home / "silent");
    TCheckFaxClassForm form(nullptr, *port, sendFax, 1, prompts);
    runToTheEnd(form);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, "NO MODEM RESPONSE");
    EXPECT_EQ(prompts.questions[0].text,
              "The device on COM1 is not responding and may\nnot be a modem. Continue with Fax "
              "Class Analysis?");
    EXPECT_EQ(form.statusLabel()->text(), "No response from device on COM1. May not be a modem.");
    EXPECT_EQ(form.classLabel(0)->text(), "Class 1   : unknown");
    EXPECT_EQ(form.classLabel(2)->text(), "Class 2.0 : unknown");
    EXPECT_EQ(form.classIndex(), -1);
    EXPECT_EQ(form.className(), "");
}

TEST_F(ProbeLine, GoingOnWithASilentPortStopsAtTheResetString) {
    startModem(home / "silent", "1", {"--condition", "silent-modem"});
    bind(1, home / "silent");
    prompts.answers = {true};
    TCheckFaxClassForm form(nullptr, *port, sendFax, 1, prompts);
    runToTheEnd(form);
    ASSERT_EQ(prompts.faxErrors.size(), 1u);
    EXPECT_TRUE(prompts.faxErrors[0].text.contains("(AT&F)"));
    EXPECT_TRUE(prompts.faxErrors[0].text.contains("(COM1) correct?"));
    EXPECT_EQ(form.statusLabel()->text(), "No response from device on COM1. May not be a modem.");
    EXPECT_EQ(form.classLabel(1)->text(), "Class 2   : unknown");
}

TEST_F(ProbeLine, APortThatCannotOpenGivesTheOpeningText) {
    TCheckFaxClassForm form(nullptr, *port, sendFax, 4, prompts);
    runToTheEnd(form);
    EXPECT_TRUE(form.statusLabel()->text().startsWith(
        "Unable to open the specified communications port ( Com4 )"))
        << form.statusLabel()->text().toStdString();
    for (int row = 0; row < kFaxClassRows; ++row) {
        EXPECT_TRUE(form.classLabel(row)->text().endsWith(": unknown"));
    }
    EXPECT_TRUE(prompts.questions.empty());
}

}  // namespace
}  // namespace px::test
