// Modem probing without a modem: scripted findings, and a record of what the
// preference windows asked.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "app/incoming/receive_sound.h"
#include "app/modemprobe/modem_probing.h"
#include "settings/settings_file.h"

namespace px::test {

class TScriptedProbing : public TModemProbing {
public:
    int foundPort = -1;
    // When set, the search binds this device to foundPort in [Ports], as it
    // does for a USB modem no number reached.
    std::optional<std::string> boundDevice;
    TFaxClassFinding finding;
    QString helperResult;

    int searches = 0;
    TPxComPort* searchedWith = nullptr;
    int checkedPort = 0;
    TPxSendFax* checkedWith = nullptr;
    QString helperGot;
    std::optional<bool> helperSending;

    int findModem(QWidget*, TPxComPort& port, const SettingsFile& file) override {
        ++searches;
        searchedWith = &port;
        if (boundDevice) {
            file.update([&](IniFile& ini) {
                ini.writeString("Ports", "COM" + std::to_string(foundPort), *boundDevice);
            });
        }
        return foundPort;
    }
    TFaxClassFinding checkFaxClass(QWidget*, TPxComPort&, TPxSendFax& sendFax,
                                   int portNumber) override {
        checkedPort = portNumber;
        checkedWith = &sendFax;
        return finding;
    }
    QString initStringHelp(QWidget*, const QString& text, bool sending) override {
        helperGot = text;
        helperSending = sending;
        return helperResult;
    }
};

// Hands the workflow one scripted probing that outlives each window.
class TForwardingProbing : public TModemProbing {
public:
    explicit TForwardingProbing(TModemProbing& to) : to_(to) {}
    int findModem(QWidget* parent, TPxComPort& port, const SettingsFile& file) override {
        return to_.findModem(parent, port, file);
    }
    TFaxClassFinding checkFaxClass(QWidget* parent, TPxComPort& port, TPxSendFax& sendFax,
                                   int portNumber) override {
        return to_.checkFaxClass(parent, port, sendFax, portNumber);
    }
    QString initStringHelp(QWidget* parent, const QString& text, bool sending) override {
        return to_.initStringHelp(parent, text, sending);
    }

private:
    TModemProbing& to_;
};

class TRecordingSound : public TReceiveSound {
public:
    QStringList played;
    void play(const QString& path) override { played << path; }
};

}  // namespace px::test
