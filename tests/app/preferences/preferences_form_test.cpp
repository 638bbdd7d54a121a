#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "preferences_fixture.h"
#include "support/accessibility.h"

namespace px::test {
namespace {

using Wizard = PreferencesFixture;

TEST_F(Wizard, FirstRunEnablesFinishOnTheLastPageOnlyLaterRunsOnEveryPage) {
    TPreferences first(Settings{}, true, services);
    EXPECT_TRUE(first.controls().firstRunNotice->isVisibleTo(&first));
    for (int page = 0; page < kWizardPageCount; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(first.currentPage(), page);
        EXPECT_EQ(first.finishButton()->isEnabled(), page == kWizardPageCount - 1);
        EXPECT_EQ(first.backButton()->isEnabled(), page > 0);
        EXPECT_EQ(first.nextButton()->isEnabled(), page < kWizardPageCount - 1);
        if (page < kWizardPageCount - 1) {
            click(first.nextButton());
        }
    }
    click(first.backButton());
    EXPECT_FALSE(first.finishButton()->isEnabled()) << "only the last page finishes a first run";

    TPreferences later(Settings{}, false, services);
    EXPECT_FALSE(later.controls().firstRunNotice->isVisibleTo(&later));
    EXPECT_EQ(later.currentPage(), 0);
    EXPECT_TRUE(later.finishButton()->isEnabled());
}

TEST_F(Wizard, PageListJumpsAndHeadingAndHelpFollowThePage) {
    TPreferences wizard(Settings{}, false, services);
    wizard.pageList()->setCurrentRow(5);
    EXPECT_EQ(wizard.currentPage(), 5);
    EXPECT_EQ(wizard.heading()->text(), "Receiving Faxes - Part 1");
    click(wizard.backButton());
    EXPECT_EQ(wizard.pageList()->currentRow(), 4);
    EXPECT_EQ(wizard.heading()->text(), "Sending Faxes - Part 3");

    for (int page = 0; page < kWizardPageCount; ++page) {
        wizard.showPage(page);
        click(wizard.helpButton());
    }
    EXPECT_EQ(helpTopics, (std::vector<int>{1022, 3501, 3502, 3502, 3502, 3503, 3503, 3503}));
    click(wizard.problemSolverButton());
    EXPECT_EQ(problemSolverOpened, 1);
}

TEST_F(Wizard, ControlsShowTheSettingsThroughTheirListIndexes) {
    Settings s;
    s.modem.comPort = 2;
    s.modem.maximumBps = 14400;
    s.modem.maximumBpsReceive = 5000;  // not a rate of the list
    s.modem.faxClass = 3;
    s.modem.faxClassReceive = 0;
    s.receive.answerOnRing = 4;
    s.dialing.toneOrPulse = 1;
    s.receive.printOnReceiptPrinter = "label writer";
    TPreferences wizard(s, false, services);
    const TWizardControls& c = wizard.controls();
    EXPECT_EQ(c.port->currentText(), "Com3");
    EXPECT_EQ(c.sendRate->currentText(), "14400");
    EXPECT_EQ(c.receiveRate->currentText(), "9600");
    EXPECT_EQ(c.sendClass->currentText(), "class 2.0");
    EXPECT_EQ(c.receiveClass->currentText(), "auto detect");
    EXPECT_EQ(c.answerOnRing->currentIndex(), 3);
    EXPECT_TRUE(c.pulse->isChecked());
    EXPECT_EQ(c.printer->currentText(), "Label Writer") << "printer names ignore case";
    ASSERT_EQ(c.printer->count(), 3);
    EXPECT_EQ(c.printer->itemText(0), "Default Windows Printer");

    s.receive.printOnReceiptPrinter = "Printer Since Removed";
    TPreferences gone(s, false, services);
    EXPECT_EQ(gone.controls().printer->currentIndex(), 0);
    EXPECT_EQ(gone.controls().printer->currentText(), "Default Windows Printer");
}

TEST_F(Wizard, PortListFollowsThePortBindings) {
    writeFile(iniPath(), "[Ports]\nCOM3=/dev/ttyUSB0\n");
    Settings s;
    s.modem.comPort = 2;
    TPreferences wizard(s, false, services);
    QComboBox* port = wizard.controls().port;
    ASSERT_EQ(port->count(), 6);
    EXPECT_EQ(port->itemText(0), "Com1");
    EXPECT_EQ(port->itemText(2), "Com3  (/dev/ttyUSB0)");
    EXPECT_EQ(port->currentIndex(), 2);

    s.modem.comPort = 8;  // COM9, bound by hand beyond the six
    TPreferences beyond(s, false, services);
    EXPECT_EQ(beyond.controls().port->count(), 7);
    EXPECT_EQ(beyond.controls().port->currentText(), "Com9");
    EXPECT_EQ(beyond.settings().modem.comPort, 8);
}

TEST_F(Wizard, FinishAsksToSaveAndNoKeepsTheWizardOpen) {
    TPreferences wizard(Settings{}, false, services);
    wizard.show();
    click(wizard.finishButton());
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Save Preferences");
    EXPECT_EQ(host.scripted.questions[0].text, "Save changes?");
    EXPECT_TRUE(wizard.isVisible());
    host.scripted.answers = {true};
    click(wizard.finishButton());
    EXPECT_FALSE(wizard.isVisible());
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST_F(Wizard, DialNumbersThatAreNotWholeNumbersAreReportedAndNothingCloses) {
    for (const auto& [attempts, wait] : {std::pair{"three", "60"}, std::pair{"3", ""},
                                         std::pair{"0", "60"}, std::pair{"3", "-5"}}) {
        SCOPED_TRACE(std::string(attempts) + "/" + wait);
        host.scripted.informations.clear();
        host.scripted.questions.clear();
        host.scripted.answers = {true};
        TPreferences wizard(Settings{}, false, services);
        wizard.show();
        wizard.controls().dialAttempts->setText(attempts);
        wizard.controls().retryWait->setText(wait);
        click(wizard.finishButton());
        ASSERT_EQ(host.scripted.informations.size(), 1u);
        EXPECT_TRUE(host.scripted.questions.empty()) << "not offered for saving";
        EXPECT_EQ(wizard.currentPage(), static_cast<int>(TWizardPage::SendingPart3));
        EXPECT_TRUE(wizard.isVisible());
    }
}

TEST_F(Wizard, SoundChooseTakesOnlyWaveNamesPlayNeedsAFileNoneClears) {
    const std::string wave = host.home / "ring.wav";
    writeFile(wave, "RIFF");
    Settings s;
    s.receive.wav = wave;
    TPreferences wizard(s, false, services);
    const TWizardControls& c = wizard.controls();

    chooserAnswer = "/music/ring.mp3";
    click(c.chooseSound);
    EXPECT_EQ(c.wav->text().toStdString(), wave);
    EXPECT_EQ(chooserFolder.toStdString(), host.programFolder.path());
    EXPECT_EQ(chooserCurrent.toStdString(), wave) << "an existing file is preselected";

    click(c.playSound);
    EXPECT_EQ(sound.played, QStringList{QString::fromStdString(wave)});

    chooserAnswer = "/sounds/CHIME.WAV";
    click(c.chooseSound);
    EXPECT_EQ(c.wav->text(), "/sounds/CHIME.WAV");
    click(c.chooseSound);
    EXPECT_TRUE(chooserCurrent.isEmpty()) << "a missing file is not preselected";
    click(c.playSound);
    EXPECT_EQ(sound.played.size(), 1) << "a missing file is not played";

    chooserAnswer.clear();
    click(c.chooseSound);
    EXPECT_EQ(c.wav->text(), "/sounds/CHIME.WAV") << "nothing chosen keeps the field";
    click(c.noSound);
    EXPECT_TRUE(c.wav->text().isEmpty());
}

TEST_F(Wizard, FindModemOffersAPortOtherThanTheSelectedOne) {
    TPreferences wizard(Settings{}, false, services);
    QComboBox* port = wizard.controls().port;

    probing.foundPort = 1;  // the one selected
    click(wizard.controls().findModem);
    EXPECT_TRUE(host.scripted.questions.empty());
    EXPECT_NE(probing.searchedWith, nullptr);

    probing.foundPort = -1;
    click(wizard.controls().findModem);
    EXPECT_TRUE(host.scripted.questions.empty());

    probing.foundPort = 4;
    click(wizard.controls().findModem);  // answered No
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Com Port");
    EXPECT_EQ(host.scripted.questions[0].text, "Set Com Port to Com 4");
    EXPECT_EQ(port->currentIndex(), 0);

    probing.foundPort = 3;
    probing.boundDevice = "/dev/ttyACM0";
    host.scripted.answers = {true};
    click(wizard.controls().findModem);
    EXPECT_EQ(port->currentIndex(), 2);
    EXPECT_EQ(port->currentText(), "Com3  (/dev/ttyACM0)") << "the new binding is shown";
    EXPECT_EQ(wizard.settings().modem.comPort, 2);
    EXPECT_EQ(probing.searches, 4);
}

TEST_F(Wizard, CheckFaxClassOffersTheRecommendedClassForItsPage) {
    Settings s;
    s.modem.comPort = 1;
    s.modem.faxClass = 1;
    s.modem.faxClassReceive = 1;
    TPreferences wizard(s, false, services);
    const TWizardControls& c = wizard.controls();

    probing.finding = {0, "Class 1"};  // already selected
    click(c.checkClassReceive);
    EXPECT_TRUE(host.scripted.questions.empty());
    EXPECT_EQ(probing.checkedPort, 2);
    EXPECT_NE(probing.checkedWith, nullptr);

    probing.finding = {-1, ""};
    click(c.checkClassReceive);
    EXPECT_TRUE(host.scripted.questions.empty());

    probing.finding = {2, "Class 2.0"};
    host.scripted.answers = {true};
    click(c.checkClassReceive);
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Fax Class");
    EXPECT_EQ(host.scripted.questions[0].text, "Set fax class as Class 2.0 ?");
    EXPECT_EQ(c.receiveClass->currentText(), "class 2.0");
    EXPECT_EQ(c.sendClass->currentText(), "class 1");

    probing.finding = {1, "Class 2"};
    host.scripted.answers = {true};
    click(c.checkClassSend);
    EXPECT_EQ(c.sendClass->currentText(), "class 2") << "the sending page sets the sending class";
    EXPECT_EQ(c.receiveClass->currentText(), "class 2.0");
}

TEST_F(Wizard, InitStringHelpAndSameAsSendEditTheirOwnFields) {
    Settings s;
    s.modem.initString = "AT&F";
    s.modem.initStringReceive = "ATS7=65";
    s.modem.maximumBps = 4800;
    s.modem.faxClass = 2;
    TPreferences wizard(s, false, services);
    const TWizardControls& c = wizard.controls();

    probing.helperResult = "AT&F&C1&D2&K3S7=90";
    click(c.initHelpSend);
    EXPECT_EQ(probing.helperGot, "AT&F");
    EXPECT_EQ(probing.helperSending, true);
    EXPECT_EQ(c.sendInit->text(), "AT&F&C1&D2&K3S7=90");
    probing.helperResult = "AT&H3&I2&R2S7=65";
    click(c.initHelpReceive);
    EXPECT_EQ(probing.helperGot, "ATS7=65");
    EXPECT_EQ(probing.helperSending, false);
    EXPECT_EQ(c.receiveInit->text(), "AT&H3&I2&R2S7=65");

    click(c.sameClass);
    click(c.sameRate);
    click(c.sameInit);
    const Settings out = wizard.settings();
    EXPECT_EQ(out.modem.faxClassReceive, 2);
    EXPECT_EQ(out.modem.maximumBpsReceive, 4800);
    EXPECT_EQ(out.modem.initStringReceive, "AT&F&C1&D2&K3S7=90");
}

TEST_F(Wizard, EveryPageNamesEveryControl) {
    writeFile(iniPath(), "[Ports]\nCOM2=/dev/ttyUSB1\n");
    TPreferences wizard(Settings{}, true, services);
    wizard.show();
    for (int page = 0; page < kWizardPageCount; ++page) {
        wizard.showPage(page);
        QApplication::processEvents();
        EXPECT_EQ(unnamedControls(&wizard), "") << kWizardPageNames[page];
    }
}

// Draws the wizard on its port page and the quick setup; with
// $PARVEX_SCREENSHOT_DIR set the pictures go there for the documentation.
TEST_F(Wizard, Screenshots) {
    writeFile(iniPath(), "[Ports]\nCOM3=/dev/ttyUSB0\n");
    Settings s;
    s.modem.comPort = 2;
    s.resetting.string = "AT&F";
    s.resetting.afterString = "ATZ";
    s.user.name = "Ada Lovelace";
    s.user.fax = "+44 20 7946 0000";
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const std::string dir = chosen != nullptr ? std::string(chosen) : host.home.path();

    TPreferences wizard(s, false, services);
    wizard.showPage(static_cast<int>(TWizardPage::ModemAndPort));
    wizard.show();
    QApplication::processEvents();
    EXPECT_TRUE(wizard.grab().save(QString::fromStdString(dir + "/preferences-wizard.png")));

    TQuickSetupForm quick(s, services);
    quick.show();
    QApplication::processEvents();
    EXPECT_TRUE(quick.grab().save(QString::fromStdString(dir + "/quick-setup.png")));
}

}  // namespace
}  // namespace px::test
