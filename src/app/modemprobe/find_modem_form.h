// "Finding Modem...Please wait": tries COM1 to COM6 for a modem that answers
// "AT", then the USB and ACM modems no port number reaches yet; the first of
// those that answers is bound to the first free number in [Ports].
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/modemprobe/probe_dialog.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace px {

class SettingsFile;
class TPxComPort;
class TUserPrompts;

class TFindModemForm : public TProbeDialog {
    Q_OBJECT

public:
    // `deviceRoot` is where the serial devices are listed (/dev).
    TFindModemForm(QWidget* parent, TPxComPort& port, const SettingsFile& settingsFile,
                   TUserPrompts& prompts, std::string deviceRoot = "/dev");

    // The first port number where a modem answered, or -1.
    int result() const { return found_; }

    QLabel* portLabel(int portNumber) const;
    // The labels of the USB and ACM devices tried, in their order.
    const std::vector<QLabel*>& deviceLabels() const { return deviceLabels_; }
    QLabel* explanationLabel() const { return explanation_; }
    QPushButton* okButton() const { return ok_; }

private:
    void FormActivate() override;
    void testNumberedPort(int portNumber);
    void testUnreachedDevices();
    // Opens the port as it stands, asks for a modem and closes it again; the
    // label tells the outcome. True when a modem answered.
    bool testPort(QLabel* label, const QString& prefix);

    TPxComPort& port_;
    const SettingsFile& settingsFile_;
    TUserPrompts& prompts_;
    std::string deviceRoot_;
    std::string resetString_;
    std::vector<QLabel*> portLabels_;
    std::vector<QLabel*> deviceLabels_;
    QVBoxLayout* deviceBox_ = nullptr;
    QLabel* explanation_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool portBusy_ = false;
    int found_ = -1;
};

}  // namespace px
