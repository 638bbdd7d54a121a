#include "app/preferences/probing_actions.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/host/user_prompts.h"
#include "app/modemprobe/modem_probing.h"
#include "app/preferences/port_list.h"
#include "app/preferences/preferences_services.h"
#include "comms/px_com_port.h"
#include "fax/components/px_send_fax.h"
#include "settings/px_settings.h"
#include "settings/settings_file.h"

namespace px {

namespace {

IniFile readOrEmpty(const SettingsFile& file) {
    try {
        return file.read();
    } catch (const IniFileError&) {
        // An unreadable PX.INI binds no port: the default devices apply.
        return IniFile();
    }
}

}  // namespace

TProbingPort::TProbingPort(const TPreferencesServices& services)
    : port_(std::make_unique<TPxComPort>()), sendFax_(std::make_unique<TPxSendFax>()) {
    port_->setAutoOpen(false);
    port_->setDevicePathResolver([file = services.settingsFile](int number) {
        return comPortDevicePath(readOrEmpty(file), number);
    });
    sendFax_->setComPort(port_.get());
}

TProbingPort::~TProbingPort() {
    // The send component refers to the port; it goes first.
    sendFax_.reset();
}

void findModemPort(QWidget* parent, TPreferencesServices& services, TProbingPort& probe,
                   QComboBox* portList) {
    const int selected = selectedPort(portList);
    const int found = services.probing.findModem(parent, probe.port(), services.settingsFile);
    int choice = selected;
    if (found > 0 && found != selected + 1 &&
        services.prompts.question(parent, "Com Port",
                                  QStringLiteral("Set Com Port to Com %1").arg(found), false)) {
        choice = found - 1;
    }
    fillPortList(portList, readOrEmpty(services.settingsFile), choice);
}

void checkFaxClass(QWidget* parent, TPreferencesServices& services, TProbingPort& probe,
                   int portNumber, QComboBox* classList) {
    const TFaxClassFinding finding =
        services.probing.checkFaxClass(parent, probe.port(), probe.sendFax(), portNumber);
    // The class list starts with "auto detect": entry = class index + 1.
    const int entry = finding.classIndex + 1;
    if (finding.classIndex >= 0 && entry != classList->currentIndex() &&
        services.prompts.question(parent, "Fax Class",
                                  "Set fax class as " + finding.className + " ?", false)) {
        classList->setCurrentIndex(entry);
    }
}

void helpWithInitString(QWidget* parent, TPreferencesServices& services, QLineEdit* edit,
                        bool sending) {
    edit->setText(services.probing.initStringHelp(parent, edit->text(), sending));
}

}  // namespace px
