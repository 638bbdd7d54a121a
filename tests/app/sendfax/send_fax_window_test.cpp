// The send window run from the outgoing workflow on a host of its own: what it
// shows, what it writes back, the port and modem failures, the logging toggle
// and Close during a send, with the modem played on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/host/fake_host.h"
#include "app/host/played_modem.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/sendfax/send_fax_form.h"
#include "app/sendfax/send_fax_texts.h"
#include "support/accessibility.h"
#include "support/test_fax.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class SendWindowTest : public ::testing::Test {
protected:
    TFakeHost host;
    TOutgoingWorkflow workflow{host};

    void SetUp() override {
        host.record.modem.comPort = 1;  // COM2
        host.record.modem.initString = "ATS7=30";
        host.record.dialing.dialPrefix = "9,";
        host.record.dialing.dialSuffix = "#";
        host.record.user.suffixDisable = true;
        writeTestFax(host.programFolder.sendFolder() + "FAX00001.APF", 1,
                     kApfFine | kApfLengthWords, 40);
        host.addOutgoing("Quarterly figures", "FAX00001.APF", "");
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.setText("RECIPIENT", "Ada Lovelace");
        t.setText("PHONE", "5551234");
        t.setText("LASTRESULT", "before");
    }

    void pointPortAt(const std::string& path) {
        host.comPort().setDevicePathResolver([path](int) { return path; });
    }

    // Runs Send with `drive` acting on the send window once it is up; the
    // window is closed afterwards unless the driver did so.
    void sendWith(const std::function<void(TSendFaxForm&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TSendFaxForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            driven = true;
            drive(*form);
            if (form->isVisible()) {
                form->reject();
            }
        });
        workflow.send();
        EXPECT_TRUE(driven);
    }

    std::string field(const char* name) { return host.log(TMainPage::Outgoing).table().text(name); }
};

TEST_F(SendWindowTest, AFaxWithoutItsFilesIsNotSentAndNoRecordOnlyBeeps) {
    host.addOutgoing("Gone", "FAX00009.APF", "COV00009.APF");
    workflow.send();
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], "Error opening fax file");
    // A name with a folder in it is never one of ours, even when it exists.
    host.addOutgoing("Outside", "../SEND/FAX00001.APF", "");
    workflow.send();
    EXPECT_EQ(host.scripted.informations.size(), 2u);

    TFakeHost empty;
    TOutgoingWorkflow emptyWorkflow{empty};
    emptyWorkflow.send();
    EXPECT_EQ(empty.scripted.beeps, 1);
    EXPECT_TRUE(empty.scripted.informations.empty());
}

TEST_F(SendWindowTest, WindowShowsTheFaxAndTheSetupAndClosingWithoutSendingKeepsTheResult) {
    sendWith([&](TSendFaxForm& form) {
        EXPECT_EQ(form.windowTitle(), "Send Fax");
        const auto labels = form.findChildren<QLabel*>();
        auto shows = [&](const QString& text) {
            return std::any_of(labels.begin(), labels.end(),
                               [&](QLabel* l) { return l->text() == text; });
        };
        EXPECT_TRUE(shows("Ada Lovelace"));
        EXPECT_TRUE(shows("Quarterly figures"));
        EXPECT_EQ(form.number(), "5551234");
        EXPECT_EQ(form.dialPrefix(), "9,");
        EXPECT_EQ(form.dialSuffix(), "#");
        EXPECT_FALSE(form.prefixDisabled());
        EXPECT_TRUE(form.suffixDisabled());
        ASSERT_GE(form.configurationList()->count(), 10);
        EXPECT_EQ(form.configurationList()->item(0)->text(), "Communications Port: COM2");
        EXPECT_EQ(form.configurationList()->item(4)->text(), "Modem Init String: ATS7=30");
        EXPECT_EQ(unnamedControls(&form), "");

        // What the user changes here goes back to the record and the settings.
        auto boxes = form.findChildren<QLineEdit*>();
        for (QLineEdit* box : boxes) {
            if (box->accessibleName() == "Fax Number") {
                box->setText("5559876");
            } else if (box->accessibleName() == "Dial Prefix") {
                box->setText("8W");
            }
        }
        for (QCheckBox* check : form.findChildren<QCheckBox*>()) {
            if (check->accessibleName() == "Disable Suffix") {
                check->setChecked(false);
            }
        }
    });
    EXPECT_EQ(field("PHONE"), "5559876");
    EXPECT_EQ(field("LASTRESULT"), "before");
    EXPECT_EQ(field("TIMESENT"), "");
    EXPECT_EQ(host.record.dialing.dialPrefix, "8W");
    EXPECT_FALSE(host.record.user.suffixDisable);
    EXPECT_EQ(host.settingsSaved, 1);
}

TEST_F(SendWindowTest, APortThatIsNotThereIsReportedWithTheFindModemAdvice) {
    pointPortAt((host.home / "no-such-tty").c_str());
    sendWith([&](TSendFaxForm& form) {
        form.sendButton()->click();
        EXPECT_FALSE(form.sendInProgress());
    });
    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    const auto& shown = host.scripted.faxErrors[0];
    EXPECT_EQ(shown.caption, "Error Opening Communications Port");
    EXPECT_FALSE(shown.withContinue);
    // The port's own error code goes with the message.
    EXPECT_LT(shown.errorCode, -1);
    EXPECT_TRUE(shown.text.startsWith(
        "Unable to open the specified communications port ( Com2 )\nError message: "));
    EXPECT_TRUE(shown.text.endsWith(
        "\n\nIs the Communications Port (COM2) correct? Please\nclick on the Find Modem button on "
        "the Preferences screen to be sure."));
    EXPECT_EQ(field("LASTRESULT"), "before");
}

TEST_F(SendWindowTest, SilentModemOffersContinueAndOkEndsWithTheDispatchLogWritten) {
    PlayedModem modem(Replies{});
    pointPortAt(modem.path());
    std::vector<std::string> statusTexts;
    sendWith([&](TSendFaxForm& form) {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        ASSERT_TRUE(form.logging());
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        // Close, from the button and from the window frame, is refused during the send.
        QTimer::singleShot(300, &form, [&] {
            statusTexts.push_back(form.statusLine()->text().toStdString());
            EXPECT_TRUE(form.sendInProgress());
            form.closeButton()->click();
            form.close();
            EXPECT_TRUE(form.isVisible());
        });
        form.sendButton()->click();
        EXPECT_FALSE(form.sendInProgress());
    });
    EXPECT_EQ(
        host.scripted.informations,
        (std::vector<QString>{"Logging is now ON", "Logging is now OFF", "Logging is now ON"}));
    EXPECT_EQ(statusTexts, std::vector<std::string>{"Checking for modem..."});
    EXPECT_EQ(host.scripted.beeps, 2);
    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    EXPECT_EQ(host.scripted.faxErrors[0].caption, "No Response From Modem");
    EXPECT_TRUE(host.scripted.faxErrors[0].withContinue);
    EXPECT_EQ(host.scripted.faxErrors[0].text,
              messageText(QString::fromStdString(noModemMessage(2))));
    EXPECT_TRUE(fs::exists(host.programFolder.path() + kDispatchLogFile));
    EXPECT_EQ(modem.lines(), std::vector<std::string>{"AT"});
}

TEST_F(SendWindowTest, ResetStringIsSentWithAtInFrontAndARefusalEndsTheSend) {
    PlayedModem modem(Replies{{"AT", "OK"}, {"AT&Q9", "ERROR"}});
    pointPortAt(modem.path());
    host.record.resetting.string = "&Q9";
    sendWith([&](TSendFaxForm& form) { form.sendButton()->click(); });
    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    EXPECT_EQ(host.scripted.faxErrors[0].caption, "Unable to Continue");
    EXPECT_EQ(host.scripted.faxErrors[0].text,
              messageText(QString::fromStdString(resetRefusedMessage("AT&Q9", 2))));
    EXPECT_EQ(host.record.resetting.string, "AT&Q9");
    EXPECT_EQ(modem.lines(), (std::vector<std::string>{"AT", "AT&Q9"}));
}

}  // namespace
}  // namespace px::test
