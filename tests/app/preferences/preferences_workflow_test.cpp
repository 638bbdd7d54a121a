#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <iterator>

#include "preferences_fixture.h"
#include "support/accessibility.h"

namespace px::test {
namespace {

using PreferencesWorkflow = PreferencesFixture;

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(PreferencesWorkflow, CancelAfterChangingPagesLeavesPxIniByteForByte) {
    // Hand-edited spacing and a section of another part of the program.
    const std::string before =
        "; kept by hand\r\n[Modem]\r\nComPort = 1\r\nMaximumBPS=14400\r\n\r\n[Ports]\r\nCOM2=/dev/"
        "ttyUSB0\r\n[User]\r\nName=Ann\r\n";
    writeFile(iniPath(), before);
    host.record = host.file.load();
    const Settings record = host.record;
    auto prefs = workflow([](QDialog& d) {
        auto& wizard = dynamic_cast<TPreferences&>(d);
        wizard.controls().name->setText("Bob");
        wizard.controls().sendRate->setCurrentIndex(0);
        click(wizard.nextButton());
        click(wizard.nextButton());
        wizard.showPage(6);
        wizard.controls().atStartup->setChecked(true);
        click(wizard.cancelButton());
        return d.result();
    });
    EXPECT_FALSE(prefs->openPreferences());
    EXPECT_EQ(fileBytes(iniPath()), before);
    EXPECT_EQ(host.settingsSaved, 0);
    EXPECT_EQ(host.record.user.name, record.user.name);
    EXPECT_EQ(host.record.modem.maximumBps, record.modem.maximumBps);
}

TEST_F(PreferencesWorkflow, FinishWritesEverySettingOfThePages) {
    writeFile(iniPath(), "[Modem]\nComPort=0\n[User]\nVoice=555-0100\nCompany=Acme\n");
    host.record = host.file.load();
    printers = {"Office Laser"};
    host.scripted.answers = {true};
    auto prefs = workflow([this](QDialog& d) {
        auto& wizard = dynamic_cast<TPreferences&>(d);
        const TWizardControls& c = wizard.controls();
        c.port->setCurrentIndex(4);
        c.pulse->setChecked(true);
        c.resetBefore->setText("AT&F");
        c.resetAfter->setText("ATZ");
        c.sendClass->setCurrentIndex(3);
        c.sendRate->setCurrentIndex(5);
        c.sendInit->setText("ATS7=90");
        c.stationId->setText("+1 555 0199");
        c.name->setText("Ann Example");
        c.ecm->setChecked(true);
        c.dialPrefix->setText("9,");
        c.dialSuffix->setText("#7");
        c.dialAttempts->setText(" 5 ");
        c.retryWait->setText("120");
        c.blindDial->setChecked(true);
        c.ignoreBusy->setChecked(true);
        c.renegotiate->setChecked(true);
        c.receiveClass->setCurrentIndex(2);
        c.receiveRate->setCurrentIndex(1);
        c.receiveInit->setText("ATS7=65");
        c.answerOnRing->setCurrentIndex(7);
        c.atStartup->setChecked(true);
        c.ecmReceive->setChecked(false);
        c.wav->setText("/sounds/ring.wav");
        c.printOnReceipt->setChecked(true);
        c.printer->setCurrentIndex(1);
        click(wizard.finishButton());
        EXPECT_EQ(host.settingsSaved, 0) << "nothing is saved before the wizard closes";
        return d.result();
    });
    ASSERT_TRUE(prefs->openPreferences());
    EXPECT_EQ(host.settingsSaved, 1);

    const Settings s = host.file.load();
    EXPECT_EQ(s.modem.comPort, 4);
    EXPECT_EQ(s.dialing.toneOrPulse, 1);
    EXPECT_EQ(s.resetting.string, "AT&F");
    EXPECT_EQ(s.resetting.afterString, "ATZ");
    EXPECT_EQ(s.modem.faxClass, 3);
    EXPECT_EQ(s.modem.maximumBps, 14400);
    EXPECT_EQ(s.modem.initString, "ATS7=90");
    EXPECT_EQ(s.user.fax, "+1 555 0199");
    EXPECT_EQ(s.user.name, "Ann Example");
    EXPECT_TRUE(s.dialing.ecm);
    EXPECT_EQ(s.dialing.dialPrefix, "9,");
    EXPECT_EQ(s.dialing.dialSuffix, "#7");
    EXPECT_EQ(s.dialing.dialAttempts, 5);
    EXPECT_EQ(s.dialing.retryWait, 120);
    EXPECT_TRUE(s.dialing.blindDial);
    EXPECT_TRUE(s.dialing.ignoreBusy);
    EXPECT_TRUE(s.modem.renegotiateBetween);
    EXPECT_EQ(s.modem.faxClassReceive, 2);
    EXPECT_EQ(s.modem.maximumBpsReceive, 4800);
    EXPECT_EQ(s.modem.initStringReceive, "ATS7=65");
    EXPECT_EQ(s.receive.answerOnRing, 8);
    EXPECT_TRUE(s.receive.atStartup);
    EXPECT_FALSE(s.receive.ecmReceive);
    EXPECT_EQ(s.receive.wav, "/sounds/ring.wav");
    EXPECT_TRUE(s.receive.printOnReceipt);
    EXPECT_EQ(s.receive.printOnReceiptPrinter, "Office Laser");
    EXPECT_EQ(s.user.voice, "555-0100") << "settings off the pages are kept";
    EXPECT_EQ(s.user.company, "Acme");
}

TEST_F(PreferencesWorkflow, TheFirstRunReachesOneWizardOnly) {
    std::vector<bool> finishOnFirstPage;
    auto prefs = workflow([&](QDialog& d) {
        finishOnFirstPage.push_back(dynamic_cast<TPreferences&>(d).finishButton()->isEnabled());
        return int(QDialog::Rejected);
    });
    prefs->setFirstRun(true);
    prefs->openPreferences();
    EXPECT_FALSE(prefs->firstRun());
    prefs->openPreferences();
    EXPECT_EQ(finishOnFirstPage, (std::vector<bool>{false, true}));
}

// --- Quick setup

TEST_F(PreferencesWorkflow, QuickSetupOkTakesPortNameAndFaxAndSaves) {
    probing.foundPort = 2;
    host.scripted.answers = {true};
    auto prefs = workflow([](QDialog& d) {
        auto& form = dynamic_cast<TQuickSetupForm&>(d);
        EXPECT_EQ(form.portList()->currentText(), "Com1") << "no port yet: Com1";
        click(form.findModemButton());
        form.nameBox()->setText("Ann Example");
        form.faxBox()->setText("+1 555 0199");
        click(form.okButton());
        return d.result();
    });
    prefs->setFirstRun(true);
    prefs->openQuickSetup();
    EXPECT_FALSE(prefs->firstRun());
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].text, "Set Com Port to Com 2");
    const Settings s = host.file.load();
    EXPECT_EQ(s.modem.comPort, 1);
    EXPECT_EQ(s.user.name, "Ann Example");
    EXPECT_EQ(s.user.fax, "+1 555 0199");
    EXPECT_FALSE(s.isFirstRun());
}

TEST_F(PreferencesWorkflow, QuickSetupCancelChangesNothing) {
    auto prefs = workflow([](QDialog& d) {
        auto& form = dynamic_cast<TQuickSetupForm&>(d);
        form.nameBox()->setText("Ann Example");
        form.portList()->setCurrentIndex(3);
        click(form.cancelButton());
        return d.result();
    });
    prefs->setFirstRun(true);
    prefs->openQuickSetup();
    EXPECT_TRUE(prefs->firstRun());
    EXPECT_EQ(host.settingsSaved, 0);
    EXPECT_TRUE(host.record.user.name.empty());
    EXPECT_EQ(host.record.modem.comPort, -1);
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
}

TEST_F(PreferencesWorkflow, QuickSetupPreferencesSavesThenOpensTheWizard) {
    host.record.modem.comPort = 3;
    std::vector<std::string> shown;
    auto prefs = workflow([&](QDialog& d) {
        shown.push_back(d.objectName().toStdString());
        if (auto* form = dynamic_cast<TQuickSetupForm*>(&d)) {
            EXPECT_EQ(form->portList()->currentText(), "Com4") << "preset from the settings";
            form->nameBox()->setText("Ann Example");
            click(form->preferencesButton());
        } else {
            auto& wizard = dynamic_cast<TPreferences&>(d);
            EXPECT_EQ(host.settingsSaved, 1) << "saved before the wizard";
            EXPECT_EQ(wizard.controls().name->text(), "Ann Example");
            EXPECT_TRUE(wizard.finishButton()->isEnabled()) << "the first run is over";
            click(wizard.cancelButton());
        }
        return d.result();
    });
    prefs->setFirstRun(true);
    prefs->openQuickSetup();
    EXPECT_EQ(shown, (std::vector<std::string>{"TQuickSetupForm", "TPreferences"}));
    EXPECT_EQ(host.file.load().user.name, "Ann Example");
    EXPECT_EQ(host.file.load().modem.comPort, 3);
}

TEST_F(PreferencesWorkflow, QuickSetupLimitsAndNamesItsControls) {
    writeFile(iniPath(), "[Ports]\nCOM3=/dev/ttyUSB0\n");
    Settings s;
    s.modem.comPort = 2;
    TQuickSetupForm form(s, services);
    form.show();
    EXPECT_EQ(form.nameBox()->maxLength(), 35);
    EXPECT_EQ(form.faxBox()->maxLength(), 20);
    EXPECT_EQ(form.portList()->currentText(), "Com3  (/dev/ttyUSB0)");
    EXPECT_EQ(unnamedControls(&form), "");
}

}  // namespace
}  // namespace px::test
