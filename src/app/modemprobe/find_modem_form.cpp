#include "app/modemprobe/find_modem_form.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "app/host/port_routines.h"
#include "app/host/user_prompts.h"
#include "app/modemprobe/probe_texts.h"
#include "common/px_exceptions.h"
#include "comms/px_com_port.h"
#include "comms/px_serial_ports.h"
#include "settings/port_choices.h"
#include "settings/settings_file.h"

namespace px {

namespace {

constexpr const char* kSearchingCaption = "Finding Modem...Please wait";
constexpr const char* kDoneCaption = "Find Modem";
constexpr const char* kTestingText = "Testing Communications ports...please wait.";

// A device and its /dev/serial/by-id name are one modem.
std::string sameDevice(const std::string& path) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

// What the user sees for a device tried under the number it would get.
QString deviceLabelPrefix(int portNumber, const std::string& path) {
    return "Com " + QString::number(portNumber) + " (" + QString::fromStdString(path) + "): ";
}

// Puts the port's number back, and the device it reaches, however the test ends.
class TPortRestorer {
public:
    explicit TPortRestorer(TPxComPort& port)
        : port_(port), number_(port.ComNumber()), resolver_(port.devicePathResolver()) {}
    ~TPortRestorer() {
        port_.setDevicePathResolver(resolver_);
        port_.setComNumber(number_);
    }
    TPortRestorer(const TPortRestorer&) = delete;
    TPortRestorer& operator=(const TPortRestorer&) = delete;

private:
    TPxComPort& port_;
    int number_;
    std::function<std::string(int)> resolver_;
};

}  // namespace

TFindModemForm::TFindModemForm(QWidget* parent, TPxComPort& port, const SettingsFile& settingsFile,
                               TUserPrompts& prompts, std::string deviceRoot)
    : TProbeDialog(parent),
      port_(port),
      settingsFile_(settingsFile),
      prompts_(prompts),
      deviceRoot_(std::move(deviceRoot)) {
    setObjectName("FindModemForm");
    setWindowTitle(kSearchingCaption);
    auto* layout = new QVBoxLayout(this);
    explanation_ = new QLabel(kTestingText, this);
    explanation_->setObjectName("Explanation");
    explanation_->setWordWrap(true);
    explanation_->setMinimumWidth(380);
    explanation_->setMinimumHeight(explanation_->fontMetrics().lineSpacing() * 4);
    explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(explanation_);
    for (int n = kFirstProbedPort; n <= kLastProbedPort; ++n) {
        auto* label = new QLabel(findModemPortLabel(n), this);
        label->setObjectName(QString("Com%1Label").arg(n));
        label->setIndent(16);
        layout->addWidget(label);
        portLabels_.push_back(label);
    }
    deviceBox_ = new QVBoxLayout;
    layout->addLayout(deviceBox_);
    ok_ = new QPushButton("Ok", this);
    ok_->setObjectName("OkButton");
    ok_->setAccessibleName("Ok");
    ok_->setVisible(false);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addSpacing(8);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    try {
        resetString_ = settingsFile_.load().resetting.string;
    } catch (const std::exception&) {
        // Without readable settings the modem check asks "AT" only.
    }
}

QLabel* TFindModemForm::portLabel(int portNumber) const {
    if (portNumber < kFirstProbedPort || portNumber > kLastProbedPort) {
        return nullptr;
    }
    return portLabels_[static_cast<std::size_t>(portNumber - kFirstProbedPort)];
}

void TFindModemForm::FormActivate() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        TPortRestorer restore(port_);
        for (int n = kFirstProbedPort; n <= kLastProbedPort; ++n) {
            testNumberedPort(n);
        }
        if (found_ < 0) {
            testUnreachedDevices();
        }
    }
    explanation_->setText(findModemExplanation(found_, portBusy_));
    QApplication::restoreOverrideCursor();
    prompts_.beep();
    setWindowTitle(kDoneCaption);
    ok_->setVisible(true);
    ok_->setDefault(true);
    ok_->setFocus();
    setFinished();
}

void TFindModemForm::testNumberedPort(int portNumber) {
    QLabel* label = portLabel(portNumber);
    port_.setComNumber(portNumber);
    if (testPort(label, findModemPortPrefix(portNumber)) && found_ < 0) {
        found_ = portNumber;
    }
}

bool TFindModemForm::testPort(QLabel* label, const QString& prefix) {
    label->setText(prefix + kFindModemTesting);
    QCoreApplication::processEvents();
    bool modem = false;
    try {
        port_.setOpen(true);
        if (port_.Open()) {
            modem = checkForModem(port_, resetString_);
        }
        label->setText(prefix + (modem ? kFindModemModem : kFindModemUnknown));
    } catch (const EPxException& e) {
        label->setText(prefix + findModemErrorText(e.ErrorCode(), portBusy_));
    } catch (const std::exception& e) {
        label->setText(prefix + findModemFailureText(QString::fromUtf8(e.what())));
    }
    try {
        port_.setOpen(false);
    } catch (const std::exception&) {
        // A port that failed to open has nothing to close.
    }
    return modem;
}

void TFindModemForm::testUnreachedDevices() {
    IniFile ini;
    try {
        ini = settingsFile_.read();
    } catch (const std::exception&) {
        return;  // without [Ports] no number can be given out safely
    }
    const std::vector<PortChoice> choices = portChoices(ini, listSerialPorts(deviceRoot_));
    std::set<std::string> reached;
    int freeNumber = 0;
    for (const PortChoice& choice : choices) {
        if (!choice.needsBinding) {
            reached.insert(sameDevice(choice.path));
        } else if (freeNumber == 0) {
            freeNumber = choice.number;
        }
    }
    if (freeNumber == 0) {
        return;
    }
    for (const PortChoice& choice : choices) {
        if (!choice.needsBinding || !reached.insert(sameDevice(choice.path)).second) {
            continue;
        }
        auto* label = new QLabel(this);
        label->setObjectName(QString("Device%1Label").arg(deviceLabels_.size() + 1));
        label->setIndent(16);
        deviceBox_->addWidget(label);
        deviceLabels_.push_back(label);
        port_.setDevicePathResolver([path = choice.path](int) { return path; });
        port_.setComNumber(freeNumber);
        if (!testPort(label, deviceLabelPrefix(freeNumber, choice.path))) {
            continue;
        }
        try {
            const PortChoice binding{freeNumber, choice.path, true};
            settingsFile_.update([&](IniFile& file) { bindPortChoice(file, binding); });
            found_ = freeNumber;
        } catch (const std::exception& e) {
            label->setText(deviceLabelPrefix(freeNumber, choice.path) +
                           findModemFailureText(QString::fromUtf8(e.what())));
        }
        return;
    }
}

}  // namespace px
