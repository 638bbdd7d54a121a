// First-run set-up end to end: the quick setup's Find Modem Port searches
// the ports with the real probing windows and selects the simulated modem's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/host/scripted_prompts.h"
#include "app/incoming/receive_sound.h"
#include "app/modemprobe/find_modem_form.h"
#include "app/modemprobe/modem_probing.h"
#include "app/preferences/preferences_services.h"
#include "app/preferences/quick_setup_form.h"
#include "settings/settings_file.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class TSilentSound : public TReceiveSound {
public:
    void play(const QString&) override {}
};

std::string simulator() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return std::string(dir != nullptr ? dir : "bin") + "/parvex-modemsim";
}

TEST(QuickSetup, FindModemPortFindsTheSimulatedModem) {
    PX_REQUIRE(fs::exists(simulator()), "parvex-modemsim (build it)");
    TempDir home;
    const std::string link = home / "modem";
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.setStandardOutputFile(QString::fromStdString(link + ".log"));
    sim.start(QString::fromStdString(simulator()),
              {"remote-receive", "--class", "1", "--link", QString::fromStdString(link), "--out",
               QString::fromStdString(link + ".tif"), "--timeout", "120"});
    ASSERT_TRUE(sim.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(link); }, 10000));

    // Every number the search tries is bound, so no device of this machine is
    // touched: the modem is on COM3, the other numbers lead nowhere.
    SettingsFile settingsFile(home / "PX.INI");
    settingsFile.update([&](IniFile& ini) {
        for (int n = 1; n <= 6; ++n) {
            ini.writeString("Ports", "COM" + std::to_string(n),
                            n == 3 ? link : home / ("none" + std::to_string(n)));
        }
    });
    std::unique_ptr<TModemProbing> probing = makeModemProbing(home / "dev");
    TScriptedPrompts prompts;
    prompts.answers = {true};
    TSilentSound sound;
    TPreferencesServices services{*probing, prompts, sound, settingsFile, {}, {}, {}, {}, {}};
    Settings settings;
    settings.modem.comPort = 0;
    TQuickSetupForm form(settings, services);
    form.show();

    int found = 0;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                auto* search = qobject_cast<TFindModemForm*>(QApplication::activeModalWidget());
                return search != nullptr && search->finished();
            },
            60000));
        auto* search = qobject_cast<TFindModemForm*>(QApplication::activeModalWidget());
        found = search->result();
        search->okButton()->click();
    });
    form.findModemButton()->click();
    EXPECT_EQ(found, 3);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].text, "Set Com Port to Com 3");
    EXPECT_EQ(form.settings().modem.comPort, 2);  // Com3

    sim.terminate();
    if (!sim.waitForFinished(5000)) {
        sim.kill();
        sim.waitForFinished(5000);
    }
}

}  // namespace
}  // namespace px::test
