#include "app/modemprobe/check_fax_class_form.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/host/port_routines.h"
#include "app/host/user_prompts.h"
#include "comms/px_com_port.h"
#include "fax/components/px_send_fax.h"

namespace px {

namespace {

constexpr const char* kCheckingCaption = "Finding Fax Class...Please wait";
constexpr const char* kDoneCaption = "Check Fax Class";
constexpr const char* kNoResponseCaption = "NO MODEM RESPONSE";
constexpr const char* kTestingText = "Testing Fax Classes...please wait.";
constexpr const char* kOpeningText = "Opening Com Port...please wait";
constexpr const char* kQueryingText = "Querying modem Fax Class support...";
constexpr const char* kRecommended = " (recommended)";
constexpr const char* kInitialLabels[kFaxClassRows] = {"Class 1 :", "Class 2 :", "Class 2.0 :"};
// The factory reset every fax modem knows; what the saved profile holds
// could keep it from answering the class query.
constexpr const char* kFactoryReset = "AT&F";

}  // namespace

TCheckFaxClassForm::TCheckFaxClassForm(QWidget* parent, TPxComPort& port, TPxSendFax& sendFax,
                                       int portNumber, TUserPrompts& prompts)
    : TProbeDialog(parent),
      port_(port),
      sendFax_(sendFax),
      portNumber_(portNumber),
      prompts_(prompts) {
    setObjectName("CheckFaxClassForm");
    setWindowTitle(kCheckingCaption);
    auto* layout = new QVBoxLayout(this);
    // The class texts pad their names so that the colons line up in a
    // fixed-pitch font.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int row = 0; row < kFaxClassRows; ++row) {
        classLabels_[row] = new QLabel(kInitialLabels[row], this);
        classLabels_[row]->setFont(fixed);
        classLabels_[row]->setObjectName(QString("Class%1Label").arg(row + 1));
        classLabels_[row]->setIndent(16);
        layout->addWidget(classLabels_[row]);
    }
    layout->addSpacing(8);
    status_ = new QLabel(kTestingText, this);
    status_->setObjectName("Status");
    status_->setWordWrap(true);
    status_->setMinimumWidth(400);
    status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 5);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(status_);
    ok_ = new QPushButton("Ok", this);
    ok_->setObjectName("OkButton");
    ok_->setAccessibleName("Ok");
    ok_->setVisible(false);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addSpacing(8);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
}

void TCheckFaxClassForm::FormActivate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    askModem();
    QApplication::restoreOverrideCursor();
    prompts_.beep();
    try {
        sendFax_.ReleaseLine();
        port_.setOpen(false);
    } catch (const std::exception&) {
        // A port that never opened has nothing to close.
    }
    QCoreApplication::processEvents();
    ok_->setVisible(true);
    ok_->setDefault(true);
    ok_->setFocus();
    setWindowTitle(kDoneCaption);
    setFinished();
}

void TCheckFaxClassForm::askModem() {
    status_->setText(kOpeningText);
    QCoreApplication::processEvents();
    port_.setComNumber(portNumber_);
    if (sendFax_.ComPort() != &port_) {
        sendFax_.setComPort(&port_);
    }
    const TPortOpening opening = openPort(port_);
    if (!opening.opened) {
        status_->setText(messageText(QString::fromStdString(opening.text)));
        showUnknown();
        return;
    }
    // The modem check waits the settling time itself.
    if (!checkForModem(port_, "") &&
        !prompts_.question(this, kNoResponseCaption,
                           messageText(faxClassNoModemQuestion(portNumber_)), false)) {
        status_->setText(faxClassNoResponseText(portNumber_));
        showUnknown();
        return;
    }
    std::string reset = kFactoryReset;
    if (!sendResetCommand(port_, reset)) {
        prompts_.faxError(this, kDoneCaption, messageText(faxClassResetFailedText(portNumber_)),
                          false, false, 0);
        status_->setText(faxClassNoResponseText(portNumber_));
        showUnknown();
        return;
    }
    status_->setText(kQueryingText);
    QCoreApplication::processEvents();
    std::uint32_t classes = 0;
    try {
        classes = sendFax_.DetectFaxClasses();
    } catch (const std::exception&) {
        classes = 0;
    }
    if (classes == 0) {
        status_->setText(faxClassUndeterminedText(portNumber_));
        showUnknown();
        return;
    }
    support_ = TFaxClassSupport::fromDetected(classes);
    showSupport();
}

void TCheckFaxClassForm::showUnknown() {
    for (int row = 0; row < kFaxClassRows; ++row) {
        classLabels_[row]->setText(faxClassUnknownText(row));
    }
}

void TCheckFaxClassForm::showSupport() {
    for (int row = 0; row < kFaxClassRows; ++row) {
        classLabels_[row]->setText(faxClassSupportText(row, support_.supported[row]));
    }
    classIndex_ = support_.recommended();
    if (classIndex_ < 0) {
        status_->setText(faxClassNoneSupportedText(portNumber_));
        return;
    }
    QLabel* chosen = classLabels_[classIndex_];
    if (classIndex_ == static_cast<int>(TFaxClassRow::Class2_0)) {
        QFont bold = chosen->font();
        bold.setBold(true);
        chosen->setFont(bold);
    } else {
        chosen->setText(chosen->text() + kRecommended);
    }
    status_->setText(messageText(faxClassRecommendationText(className())));
}

}  // namespace px
