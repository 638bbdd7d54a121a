// The fax status dialog driven through fax components whose sessions report
// like the engine does.
#include "ui/faxstatus/px_fax_status.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "support/accessibility.h"

#include "../../fax/components/fake_session_fax.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"
#include "fax/engine/px_fax_types.h"

namespace px {
namespace {

using test::FakeSession;
using test::FakeSessionFax;

QString text(const TPxFaxStatus& status, const char* name) {
    QLabel* label = status.Display()->field(name);
    return label != nullptr ? label->text() : QString("<no field %1>").arg(name);
}

// Centred up to the window frame, which the platform may add once shown.
bool centredOn(const QWidget& w, const QRect& area) {
    const QPoint offset = w.frameGeometry().center() - area.center();
    return std::abs(offset.x()) <= 4 && std::abs(offset.y()) <= 4;
}

void runDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct SendSetup {
    TPxManualClock clock{1000000};
    FakeSessionFax<TPxSendFax> fax;
    TPxFaxStatus status{nullptr, clock};
    FakeSession* session = nullptr;

    SendSetup() {
        fax.setStatusDisplay(&status);
        session = &fax.startSession();
    }
    void report(int progress) {
        session->progress = progress;
        session->report();
    }
};

TEST(FaxStatusDialog, FirstReportOpensACentredDialogAndTheLastDestroysIt) {
    SendSetup s;
    EXPECT_EQ(s.status.Display(), nullptr);
    s.session->progress = fpInitModem;
    s.session->report(true);
    QPointer<TStandardFaxDisplay> dialog = s.status.Display();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Fax Status");
    EXPECT_EQ(text(s.status, "statusText"), "Initializing modem for fax processing");
    EXPECT_TRUE(centredOn(*dialog, QGuiApplication::primaryScreen()->availableGeometry()));

    s.report(fpDialing);
    EXPECT_EQ(s.status.Display(), dialog);
    EXPECT_EQ(text(s.status, "statusText"), "Dialing");

    s.session->report(false, true);
    EXPECT_EQ(s.status.Display(), nullptr);
    EXPECT_FALSE(dialog.isNull());  // deleted once control is back in the loop
    EXPECT_FALSE(dialog->isVisible());
    runDeferredDeletes();
    EXPECT_TRUE(dialog.isNull());

    s.session->report(true);  // the next session gets a new dialog
    EXPECT_NE(s.status.Display(), nullptr);
}

TEST(FaxStatusDialog, ShowsEveryValueOfASendingSession) {
    SendSetup s;
    s.session->report(true);
    FakeSession& rec = *s.session;
    rec.phoneNumber = "5551234";
    rec.faxFile = "/var/fax/SEND/FAX00012.APF";
    rec.coverFile = "SEND\\COV00003.APF";
    rec.totalPages = 4;
    rec.dialAttempt = 1;
    rec.remoteId = "ACME SALES";
    rec.modem.speedIndex = 6;
    rec.modem.fine = true;
    rec.modem.wide = false;
    rec.modem.negotiatedEcm = true;
    rec.currentPage = 2;
    rec.pageLength = 12000;
    rec.pageBytesSent = 3000;
    s.report(fpSendPage);

    const std::pair<const char*, QString> expected[] = {
        {"phoneNumber", "5551234"},    {"faxFile", "FAX00012.APF"},
        {"coverFile", "COV00003.APF"}, {"totalPages", "4"},
        {"dialAttempt", "2"},          {"remoteId", "ACME SALES"},
        {"connectBps", "14400"},       {"resolution", "Fine"},
        {"width", "Normal"},           {"errorControl", "On"},
        {"currentPage", "2"},          {"pageLength", "12000"},
        {"bytesTransferred", "3000"},  {"statusText", "Sending page data"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(text(s.status, name), value) << name;
    }
    TStandardFaxDisplay* d = s.status.Display();
    EXPECT_EQ(d->pageProgressLabel()->text(), "Page progress:");
    EXPECT_FALSE(d->pageMeter()->isHidden());
    EXPECT_EQ(d->pageMeter()->value(), 25);

    rec.modem.wide = true;
    rec.modem.fine = false;
    rec.modem.negotiatedEcm = false;
    rec.currentPage = 0;
    rec.pageBytesSent = 500;
    rec.pageLength = 0;  // not known yet: no division, an empty meter
    s.report(fpSendPage);
    EXPECT_EQ(text(s.status, "currentPage"), "<cover page>");
    EXPECT_EQ(text(s.status, "resolution"), "Standard");
    EXPECT_EQ(text(s.status, "width"), "Wide");
    EXPECT_EQ(text(s.status, "errorControl"), "Off");
    EXPECT_EQ(d->pageMeter()->value(), 0);
}

TEST(FaxStatusDialog, ElapsedTimeRunsFromSessionParametersUntilTheCallEnds) {
    for (int stop : {fpGotHangup, fpCancel, fpFinished}) {
        SendSetup s;
        s.session->report(true);
        s.report(fpDialing);
        s.clock.advance(20000);
        s.report(fpConnecting);
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:00");

        s.report(fpSessionParams);
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:00");
        s.clock.advance(30500);
        s.report(fpGotRemoteID);  // already timing: does not restart
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:30");
        s.clock.advance(95000);
        s.report(fpSendPage);
        EXPECT_EQ(text(s.status, "elapsedTime"), "02:05");

        s.report(stop);
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:00") << stop;
        s.clock.advance(5000);
        s.report(fpInitModem);
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:00") << stop;

        // The next call of the session times from its own start.
        s.report(fpGotRemoteID);
        s.clock.advance(7000);
        s.report(fpSendPage);
        EXPECT_EQ(text(s.status, "elapsedTime"), "00:07") << stop;
    }
}

TEST(FaxStatusDialog, BusyWaitCountsDownToTheRedial) {
    SendSetup s;
    s.fax.DialRetryWait = 45;
    s.session->report(true);
    s.report(fpDialing);
    s.report(fpBusyWait);
    EXPECT_EQ(text(s.status, "statusText"), "Busy, waiting until redial... 45");
    s.clock.advance(10999);
    s.report(fpBusyWait);
    EXPECT_EQ(text(s.status, "statusText"), "Busy, waiting until redial... 35");
    s.clock.advance(60000);  // late redial: never below zero
    s.report(fpBusyWait);
    EXPECT_EQ(text(s.status, "statusText"), "Busy, waiting until redial... 0");

    s.report(fpDialing);
    EXPECT_EQ(text(s.status, "statusText"), "Dialing");
    s.session->dialAttempt = 1;
    s.clock.advance(3000);
    s.report(fpBusyWait);  // a new wait counts from its own start
    EXPECT_EQ(text(s.status, "statusText"), "Busy, waiting until redial... 45");
    EXPECT_EQ(text(s.status, "dialAttempt"), "2");
}

TEST(FaxStatusDialog, ReceiveShowsNoPageMeterAndDialAttemptOne) {
    TPxManualClock clock;
    FakeSessionFax<TPxReceiveFax> fax;
    TPxFaxStatus status(nullptr, clock);
    status.setFax(&fax);
    EXPECT_EQ(fax.StatusDisplay(), &status);
    FakeSession& rec = fax.startSession();
    rec.progress = fpWaiting;
    rec.report(true);
    rec.faxFile = "/srv/fax/Receive/PX000001.APF";
    rec.remoteId = "+1 555 0100";
    rec.currentPage = 1;
    rec.pageBytesSent = 4096;
    rec.pageLength = 8192;
    rec.progress = fpGetPage;
    rec.report();
    EXPECT_EQ(text(status, "dialAttempt"), "1");
    EXPECT_EQ(text(status, "phoneNumber"), "");
    EXPECT_EQ(text(status, "faxFile"), "PX000001.APF");
    EXPECT_EQ(text(status, "remoteId"), "+1 555 0100");
    EXPECT_EQ(text(status, "statusText"), "Getting page data");
    TStandardFaxDisplay* d = status.Display();
    EXPECT_EQ(d->pageProgressLabel()->text(), "Page progress: N/A");
    EXPECT_TRUE(d->pageMeter()->isHidden());
}

TEST(FaxStatusDialog, CancelAbortsTheFaxAndTheAbortsLastReportClosesTheDialog) {
    for (bool byEscape : {false, true}) {
        SendSetup s;
        int finishCode = 1;
        s.fax.OnFaxFinish = [&](TPxAbstractFax&, int code) { finishCode = code; };
        s.session->report(true);
        s.report(fpSendPage);
        QPointer<TStandardFaxDisplay> dialog = s.status.Display();
        ASSERT_NE(dialog, nullptr);
        if (byEscape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        }
        EXPECT_EQ(s.session->aborts, 1);
        EXPECT_EQ(s.fax.ProgressCode(), fpCancel);
        EXPECT_EQ(finishCode, ecCancelRequested);
        EXPECT_EQ(s.status.Display(), nullptr);
        runDeferredDeletes();
        EXPECT_TRUE(dialog.isNull());
        // Once the session has ended there is nothing left to cancel.
        s.fax.AbortFax();
        EXPECT_EQ(s.session->aborts, 1);
    }
}

TEST(FaxStatusDialog, CaptionVisibleAndCtl3DProperties) {
    SendSetup s;
    EXPECT_EQ(s.status.Caption, "Fax Status");
    EXPECT_TRUE(s.status.Ctl3D());
    EXPECT_TRUE(s.status.Visible());
    EXPECT_EQ(s.status.Position, TPosition::poScreenCenter);
    s.status.Caption = "Sending to ACME";
    s.status.setVisible(false);
    s.session->report(true);
    TStandardFaxDisplay* d = s.status.Display();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), "Sending to ACME");
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->field("remoteId")->frameShadow(), QFrame::Sunken);
    s.status.setCtl3D(false);
    EXPECT_EQ(d->field("remoteId")->frameShape(), QFrame::NoFrame);
    s.status.setVisible(true);
    EXPECT_TRUE(d->isVisible());
}

TEST(FaxStatusDialog, OwnerCentredDialogSitsOnItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    TPxManualClock clock;
    FakeSessionFax<TPxSendFax> fax;
    TPxFaxStatus status(&owner, clock);
    status.Position = TPosition::poOwnerFormCenter;
    status.setFax(&fax);
    fax.startSession().report(true);
    ASSERT_NE(status.Display(), nullptr);
    EXPECT_EQ(status.Display()->parentWidget(), &owner);
    EXPECT_TRUE(centredOn(*status.Display(), owner.frameGeometry()));
}

TEST(FaxStatusDialog, LinksFollowTheLifetimeOfEitherSide) {
    FakeSessionFax<TPxSendFax> fax;
    FakeSessionFax<TPxSendFax> other;
    {
        TPxFaxStatus status;
        status.setFax(&fax);
        EXPECT_EQ(fax.StatusDisplay(), &status);
        other.setStatusDisplay(&status);  // one fax at a time
        EXPECT_EQ(status.Fax(), &other);
        EXPECT_EQ(fax.StatusDisplay(), nullptr);
        EXPECT_EQ(other.StatusDisplay(), &status);
    }
    EXPECT_EQ(other.StatusDisplay(), nullptr);
    TPxFaxStatus status;
    {
        FakeSessionFax<TPxSendFax> shortLived;
        shortLived.setStatusDisplay(&status);
    }
    EXPECT_EQ(status.Fax(), nullptr);
}

TEST(FaxStatusDialog, EveryControlHasAnAccessibleName) {
    SendSetup s;
    s.session->report(true);
    s.session->totalPages = 2;
    s.report(fpSendPage);
    ASSERT_NE(s.status.Display(), nullptr);
    EXPECT_EQ(test::unnamedControls(s.status.Display()), "");
}

// Draws the dialog with a call in progress; with $PARVEX_SCREENSHOT_DIR set the
// picture goes there for the documentation, else into a scratch folder.
TEST(FaxStatusDialog, Screenshot) {
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString dir = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    SendSetup s;
    s.fax.DialRetryWait = 60;
    s.session->report(true);
    FakeSession& rec = *s.session;
    rec.phoneNumber = "0044 20 7946 0321";
    rec.faxFile = "SEND/FAX00012.APF";
    rec.coverFile = "SEND/COV00012.APF";
    rec.totalPages = 3;
    rec.remoteId = "ACME SALES LONDON";
    rec.modem.speedIndex = 6;
    rec.modem.fine = true;
    rec.modem.negotiatedEcm = false;
    rec.currentPage = 2;
    rec.pageLength = 48210;
    rec.pageBytesSent = 30720;
    s.report(fpGotRemoteID);
    s.clock.advance(83000);
    s.report(fpSendPage);
    QCoreApplication::processEvents();
    QPixmap shot = s.status.Display()->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(dir + "/fax-status.png"));
}

}  // namespace
}  // namespace px
