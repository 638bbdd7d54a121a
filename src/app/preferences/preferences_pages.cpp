// The controls of the wizard's eight pages and how they are laid out.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/preferences/preferences_form.h"
#include "app/preferences/preferences_limits.h"

namespace px {

namespace {

const QStringList kFaxClassEntries = {"auto detect", "class 1", "class 2", "class 2.0"};

QLabel* text(QWidget* page, const QString& words) {
    auto* label = new QLabel(words, page);
    label->setWordWrap(true);
    return label;
}

// A labelled field: the label is the field's buddy and accessible name.
template <typename Field>
Field* field(QWidget* page, QFormLayout* form, const QString& caption, const char* objectName,
             QWidget* beside = nullptr) {
    auto* control = new Field(page);
    control->setObjectName(objectName);
    auto* label = new QLabel(caption, page);
    label->setBuddy(control);
    control->setAccessibleName(QString(caption).remove('&'));
    if (beside == nullptr) {
        form->addRow(label, control);
    } else {
        auto* row = new QHBoxLayout;
        row->addWidget(control, 1);
        row->addWidget(beside);
        form->addRow(label, row);
    }
    return control;
}

QPushButton* button(QWidget* page, const QString& caption, const char* objectName) {
    auto* b = new QPushButton(caption, page);
    b->setObjectName(objectName);
    return b;
}

QCheckBox* check(QWidget* page, QVBoxLayout* layout, const QString& caption,
                 const char* objectName) {
    auto* box = new QCheckBox(caption, page);
    box->setObjectName(objectName);
    layout->addWidget(box);
    return box;
}

QComboBox* rateList(QWidget* page, QFormLayout* form, const QString& caption,
                    const char* objectName) {
    auto* box = field<QComboBox>(page, form, caption, objectName);
    for (const int rate : kTransferRates) {
        box->addItem(QString::number(rate));
    }
    return box;
}

QComboBox* classList(QWidget* page, QFormLayout* form, const QString& caption,
                     const char* objectName, QWidget* beside = nullptr) {
    auto* box = field<QComboBox>(page, form, caption, objectName, beside);
    box->addItems(kFaxClassEntries);
    return box;
}

struct TPage {
    QWidget* widget;
    QVBoxLayout* layout;
    QFormLayout* form;
};

TPage newPage(QStackedWidget* pages, const QString& intro) {
    auto* widget = new QWidget(pages);
    auto* layout = new QVBoxLayout(widget);
    if (!intro.isEmpty()) {
        layout->addWidget(text(widget, intro));
    }
    auto* form = new QFormLayout;
    layout->addLayout(form);
    pages->addWidget(widget);
    return {widget, layout, form};
}

void wizardInformation(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages, "");
    p.layout->addWidget(
        text(p.widget,
             "This wizard walks you through the settings Parvex needs to send and receive faxes: "
             "the port your fax modem is on, how it dials, and what happens when a fax comes in."));
    p.layout->addWidget(text(p.widget,
                             "Use Next > and < Back to move through the pages, or choose a page "
                             "from the list. Finish saves your changes; Cancel leaves the settings "
                             "as they were."));
    c.firstRunNotice = text(p.widget, kFirstRunNotice);
    c.firstRunNotice->setObjectName("firstRunNotice");
    QFont bold = c.firstRunNotice->font();
    bold.setBold(true);
    c.firstRunNotice->setFont(bold);
    p.layout->addWidget(c.firstRunNotice);
}

void modemAndPort(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages,
                      "Choose the communications port your fax modem is connected to. "
                      "Find Modem Port tests each port for a modem.");
    c.findModem = button(p.widget, "Find Modem Port", "findModemButton");
    c.port = field<QComboBox>(p.widget, p.form, "&Port", "portList", c.findModem);

    auto* dialing = new QGroupBox("Dialing", p.widget);
    auto* row = new QHBoxLayout(dialing);
    c.tone = new QRadioButton("&Tone", dialing);
    c.tone->setObjectName("toneButton");
    c.pulse = new QRadioButton("P&ulse", dialing);
    c.pulse->setObjectName("pulseButton");
    row->addWidget(c.tone);
    row->addWidget(c.pulse);
    row->addStretch();
    p.form->addRow(dialing);

    c.resetBefore =
        field<QLineEdit>(p.widget, p.form, "&Reset string before fax sessions", "resetBeforeBox");
    p.form->addRow(QString(), text(p.widget, "(Usually AT&F or blank)"));
    c.resetAfter =
        field<QLineEdit>(p.widget, p.form, "Reset string &after fax sessions", "resetAfterBox");
    p.form->addRow(QString(), text(p.widget, "(Usually ATZ or blank)"));
    p.layout->addStretch();
}

void sendingPart1(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages,
                      "How the modem sends. Check Fax Class asks the modem which classes "
                      "it offers; most modems work best with Class 1.");
    c.checkClassSend = button(p.widget, "Check Fax Class", "checkClassSendButton");
    c.sendClass =
        classList(p.widget, p.form, "Fax &class for sending", "sendClassList", c.checkClassSend);
    c.sendRate = rateList(p.widget, p.form, "&Transfer rate (bps)", "sendRateList");
    c.initHelpSend = button(p.widget, "Help with Init Strings", "initHelpSendButton");
    c.sendInit =
        field<QLineEdit>(p.widget, p.form, "Extra &init string", "sendInitBox", c.initHelpSend);
    p.layout->addStretch();
}

void sendingPart2(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages,
                      "Who you are, as the receiving fax machine shows it, and what is "
                      "dialled around every number.");
    c.stationId = field<QLineEdit>(p.widget, p.form, "Your &fax number (Station ID)", "faxBox");
    c.stationId->setMaxLength(kStationIdLength);
    c.name = field<QLineEdit>(p.widget, p.form, "Your &name", "nameBox");
    c.name->setMaxLength(kNameLength);
    c.ecm = new QCheckBox("Use Fax Error Control when SENDING", p.widget);
    c.ecm->setObjectName("ecmCheck");
    p.form->addRow(c.ecm);
    c.dialPrefix = field<QLineEdit>(p.widget, p.form, "Dial &prefix", "dialPrefixBox");
    c.dialSuffix = field<QLineEdit>(p.widget, p.form, "Dial &suffix", "dialSuffixBox");
    p.layout->addWidget(text(p.widget, "A comma in the prefix or suffix pauses for 2 seconds."));
    p.layout->addStretch();
}

void sendingPart3(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages, "What happens when the other end does not answer.");
    c.dialAttempts = field<QLineEdit>(p.widget, p.form, "&Dial attempts", "dialAttemptsBox");
    c.retryWait = field<QLineEdit>(p.widget, p.form, "&Seconds between attempts", "retryWaitBox");
    c.blindDial = check(p.widget, p.layout, "Blind Dial", "blindDialCheck");
    c.ignoreBusy = check(p.widget, p.layout, "Ignore Busy Signal", "ignoreBusyCheck");
    c.renegotiate =
        check(p.widget, p.layout, "Renegotiate Between Pages when SENDING", "renegotiateCheck");
    p.layout->addStretch();
}

void receivingPart1(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages, "How the modem receives. Same as SEND copies the sending setting.");
    c.sameClass = button(p.widget, "Same as SEND", "sameClassButton");
    c.sameClass->setAccessibleName("Same as SEND: fax class");
    c.receiveClass =
        classList(p.widget, p.form, "Fax &class for receiving", "receiveClassList", c.sameClass);
    c.sameRate = button(p.widget, "Same as SEND", "sameRateButton");
    c.sameRate->setAccessibleName("Same as SEND: transfer rate");
    c.receiveRate =
        field<QComboBox>(p.widget, p.form, "&Transfer rate (bps)", "receiveRateList", c.sameRate);
    for (const int rate : kTransferRates) {
        c.receiveRate->addItem(QString::number(rate));
    }
    c.sameInit = button(p.widget, "Same as SEND", "sameInitButton");
    c.sameInit->setAccessibleName("Same as SEND: init string");
    c.receiveInit =
        field<QLineEdit>(p.widget, p.form, "Extra &init string", "receiveInitBox", c.sameInit);
    c.checkClassReceive = button(p.widget, "Check Fax Class", "checkClassReceiveButton");
    c.initHelpReceive = button(p.widget, "Help With Init Strings", "initHelpReceiveButton");
    auto* row = new QHBoxLayout;
    row->addWidget(c.checkClassReceive);
    row->addWidget(c.initHelpReceive);
    row->addStretch();
    p.layout->addLayout(row);
    p.layout->addStretch();
}

void receivingPart2(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages, "When Parvex answers, and whether it listens from the start.");
    c.answerOnRing = field<QComboBox>(p.widget, p.form, "&Answer on ring", "answerOnRingList");
    for (int ring = 1; ring <= 8; ++ring) {
        c.answerOnRing->addItem(QString::number(ring));
    }
    c.atStartup = check(p.widget, p.layout, "Start Receiving at program startup", "atStartupCheck");
    c.ecmReceive =
        check(p.widget, p.layout, "Use Fax Error Control when RECEIVING", "ecmReceiveCheck");
    p.layout->addStretch();
}

void receivingPart3(QStackedWidget* pages, TWizardControls& c) {
    TPage p = newPage(pages, "A sound to play when a fax has come in, and printing on receipt.");
    c.wav = field<QLineEdit>(p.widget, p.form, "Sound &file", "wavBox");
    c.chooseSound = button(p.widget, "&Choose", "chooseSoundButton");
    c.playSound = button(p.widget, "Play &Now", "playSoundButton");
    c.noSound = button(p.widget, "None", "noSoundButton");
    auto* row = new QHBoxLayout;
    row->addWidget(c.chooseSound);
    row->addWidget(c.playSound);
    row->addWidget(c.noSound);
    row->addStretch();
    p.form->addRow(QString(), row);
    c.printOnReceipt =
        check(p.widget, p.layout,
              "Print each fax as it is received, on the following printer:", "printOnReceiptCheck");
    c.printer = new QComboBox(p.widget);
    c.printer->setObjectName("printerList");
    c.printer->setAccessibleName("Printer");
    p.layout->addWidget(c.printer);
    p.layout->addStretch();
}

}  // namespace

void buildWizardPages(QStackedWidget* pages, TWizardControls& c) {
    wizardInformation(pages, c);
    modemAndPort(pages, c);
    sendingPart1(pages, c);
    sendingPart2(pages, c);
    sendingPart3(pages, c);
    receivingPart1(pages, c);
    receivingPart2(pages, c);
    receivingPart3(pages, c);
}

}  // namespace px
