// The incoming workflow on a host of its own: the status line, the notice
// window, the notes, deleting received faxes with their files, and starting
// and leaving receive mode without a modem.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/host/fake_host.h"
#include "app/incoming/incoming_workflow.h"
#include "app/incoming/receive_sound.h"
#include "app/incoming/receive_sound_dialog.h"
#include "app/incoming/receive_status_text.h"
#include "app/incoming/received_notes_dialog.h"
#include "app/incoming/starting_fax_form.h"
#include "comms/px_error_text.h"
#include "support/accessibility.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

TEST(IncomingWorkflow, DeleteRemovesTheRecordAndTheReceivedFileInAnyLetterCase) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    const std::string file = host.programFolder.receiveFolder() + "r0000001.apf";
    writeFile(file, "x");
    host.addIncoming("STATION", "R0000001.APF");
    host.scripted.answers = {true};

    workflow.deleteFax();

    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "Delete");
    EXPECT_EQ(host.scripted.questions[0].text, "Delete the current fax?\n(from: \"STATION\")");
    EXPECT_TRUE(host.scripted.questions[0].noDefault);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(host.log(TMainPage::Incoming).table().deleted());
    EXPECT_EQ(host.refreshes, 1);
}

TEST(IncomingWorkflow, DeleteAndNotesOnlyBeepWhileAFaxComesIn) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    const std::string file = host.programFolder.receiveFolder() + "R0000001.APF";
    writeFile(file, "x");
    host.addIncoming("STATION", "R0000001.APF");
    host.receiving = true;
    workflow.deleteFax();
    workflow.editNotes();
    EXPECT_EQ(host.scripted.beeps, 2);
    EXPECT_TRUE(host.scripted.questions.empty());
    EXPECT_TRUE(fs::exists(file));
}

TEST(ReceiveStatusText, FollowsTheCallFromAnsweringToHangup) {
    struct Step {
        const char* progress;
        int page;
        std::uint32_t bytes;
        const char* id;
        const char* shown;
    };
    const Step steps[] = {
        {"Waiting for incoming call", 0, 0, "", "Waiting for incoming call"},
        {"Answering incoming call ", 0, 0, "", "Answering incoming call"},
        {"Got called-station ID", 0, 0, " FAR END ", "Got called-station ID from: FAR END"},
        {"Getting page data", 0, 0, "FAR END", "Receiving fax from: FAR END"},
        {"Getting page data", 2, 1500, "FAR END",
         "Receiving fax from: FAR END, page 2 (1500 bytes)"},
        // The page and byte parts stay until page data comes again.
        {"Getting end-of-page signal", 2, 0, "FAR END",
         "Getting end-of-page signal from: FAR END, page 2 (1500 bytes)"},
        {"Got Class 2 FHNG code", 2, 0, "", "Hangup successful"},
        {"got class 2 fhng code", 2, 0, "", "Hangup successful"},
        {"User abort", 0, 0, "FAR END", ""},
        {"Getting page data", 1, 0, "", "Receiving fax"},
    };
    TReceiveStatusText text;
    for (const Step& step : steps) {
        const QString line =
            text.next({QString(step.progress), step.page, step.bytes, QString(step.id)});
        EXPECT_EQ(line.toStdString(), step.shown) << step.progress;
    }
    text.reset();
    EXPECT_EQ(text.next({"Got called-station ID", 0, 0, "X"}), "Got called-station ID from: X");
    EXPECT_TRUE(tellsAnswering("Answering incoming call"));
    EXPECT_TRUE(tellsAnswering("ANSWERING"));
    EXPECT_FALSE(tellsAnswering("Waiting for incoming call"));
}

TEST(ReceiveStatusText, AFailureWithoutATextReadsUnknownError) {
    EXPECT_EQ(receiveErrorText(0), "Unknown error");
    EXPECT_EQ(receiveErrorText(-99999), "Unknown error");
    EXPECT_EQ(receiveErrorText(ecFaxDataCall).toStdString(), errorText(ecFaxDataCall));
    EXPECT_FALSE(errorText(ecFaxDataCall).empty());
}

TEST(StartingFaxForm, ShowsItsPanelsAndHidesOnOkAClickOrItsTimer) {
    QWidget owner;
    TStartingFaxForm form(&owner, 200);
    EXPECT_EQ(form.windowTitle(), "Starting Receive mode...");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.showStarting();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.readyPanelShown());
    EXPECT_EQ(form.startingText()->text(), "Please wait while fax receive mode is started.....");
    form.showReady();
    EXPECT_TRUE(form.readyPanelShown());
    EXPECT_EQ(form.readyText()->text(), "Parvex is in receive mode now");
    EXPECT_EQ(test::unnamedControls(&form), "");

    QTest::mouseClick(form.readyText(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    // It stays hidden until the next start shows it.
    QTest::qWait(300);
    EXPECT_FALSE(form.isVisible());

    form.showStarting();
    form.showReady();
    form.okButton()->click();
    EXPECT_FALSE(form.isVisible());

    form.showStarting();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 2000));
}

TEST(ReceivedNotes, AcceptWritesTheNotesOfTheRecordCancelKeepsThem) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    host.addIncoming("FAR END", "R0000001.APF");
    host.addIncoming("OTHER", "R0000002.APF");
    host.log(TMainPage::Incoming).table().goTo(1);
    QString shownFrom;
    workflow.setNotesEditor([&](const QString& from, QString& notes) {
        shownFrom = from;
        notes = "call back Monday";
        return true;
    });
    workflow.editNotes();
    TXbTable& table = host.log(TMainPage::Incoming).table();
    EXPECT_EQ(shownFrom, "FAR END");
    EXPECT_EQ(table.recNo(), 1u);
    EXPECT_EQ(table.text("NOTES"), "call back Monday");

    workflow.setNotesEditor([](const QString&, QString& notes) {
        notes = "lost";
        return false;
    });
    workflow.editNotes();
    EXPECT_EQ(table.text("NOTES"), "call back Monday");
}

TEST(ReceivedNotes, TheDialogShowsTheSenderAsTextAndKeepsNotesToTheFieldWidth) {
    TReceivedNotesDialog dialog("<b>%n</b>", "old", nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Received Fax Notes");
    EXPECT_EQ(dialog.fromLine()->text(), "From: <b>%n</b>");
    EXPECT_EQ(dialog.fromLine()->textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog.notesBox()->maxLength(), kReceivedNotesWidth);
    EXPECT_EQ(dialog.notes(), "old");
    dialog.show();
    EXPECT_EQ(test::unnamedControls(&dialog), "");
}

TEST(IncomingWorkflow, APortThatDoesNotOpenAbandonsTheStartWithItsMessage) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    host.record.modem.comPort = 2;
    host.comPort().setDevicePathResolver([&](int) { return host.home / "no-such-tty"; });
    workflow.startReceiveMode();

    ASSERT_EQ(host.scripted.faxErrors.size(), 1u);
    const auto& error = host.scripted.faxErrors[0];
    EXPECT_EQ(error.caption, "Error Opening Communications Port");
    EXPECT_TRUE(error.autoClose);
    EXPECT_LT(error.errorCode, -1);
    EXPECT_EQ(error.errorCode, workflow.lastPortError());
    EXPECT_TRUE(
        error.text.endsWith("\n\nIs the Communications Port (COM3) correct? Please\nclick "
                            "on the Find Modem button in Preferences to be sure."))
        << error.text.toStdString();
    EXPECT_EQ(host.page, TMainPage::Incoming);
    EXPECT_FALSE(host.inReceiveMode);
    EXPECT_TRUE(host.panel.isHidden());
    EXPECT_FALSE(workflow.notice().isVisible());
    EXPECT_FALSE(host.comPort().Open());
}

class TSoundRecorder : public TReceiveSound {
public:
    QStringList played;
    void play(const QString& path) override { played << path; }
};

TEST(ReceiveSound, PlaysTheChosenFileOnlyWhenItExists) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    TSoundRecorder sound;
    workflow.setSound(&sound);
    workflow.playReceiveSound();  // no sound chosen
    host.record.receive.wav = host.home / "missing.wav";
    workflow.playReceiveSound();
    EXPECT_TRUE(sound.played.isEmpty());
    host.record.receive.wav = host.home / "fax.wav";
    writeFile(host.record.receive.wav, "RIFF");
    workflow.postPlayReceiveSound();
    EXPECT_TRUE(sound.played.isEmpty());  // only once the current event is done
    QTest::qWait(20);
    EXPECT_EQ(sound.played, QStringList{QString::fromStdString(host.record.receive.wav)});
}

TEST(ReceiveSound, TheDialogTriesTheFileAndClearsIt) {
    TempDir dir;
    const std::string wav = dir / "ring.wav";
    writeFile(wav, "RIFF");
    TSoundRecorder sound;
    TReceiveSoundDialog dialog(QString::fromStdString(dir / "missing.wav"), sound);
    dialog.show();
    EXPECT_EQ(test::unnamedControls(&dialog), "");
    EXPECT_FALSE(dialog.tryButton()->isEnabled());
    dialog.pathBox()->setText(QString::fromStdString(wav));
    ASSERT_TRUE(dialog.tryButton()->isEnabled());
    dialog.tryButton()->click();
    EXPECT_EQ(sound.played, QStringList{QString::fromStdString(wav)});
    dialog.noSoundButton()->click();
    EXPECT_EQ(dialog.path(), "");
    EXPECT_FALSE(dialog.tryButton()->isEnabled());
}

TEST(IncomingWorkflow, ClosingInReceiveModeEndsTheModeAndRestoresThePanel) {
    TFakeHost host;
    TIncomingWorkflow workflow(host);
    host.inReceiveMode = true;
    host.record.resetting.afterString = "ATZ";
    workflow.endReceiveModeForClose();
    EXPECT_FALSE(host.inReceiveMode);
    EXPECT_FALSE(host.panel.isVisible());
}

}  // namespace
}  // namespace px::test
