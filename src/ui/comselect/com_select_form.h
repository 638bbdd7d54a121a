// "Select Port": lets the user pick the serial port when none is configured.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "settings/port_choices.h"

class QListWidget;

namespace px {

class TComSelectForm : public QDialog {
    Q_OBJECT
public:
    TComSelectForm(std::vector<PortChoice> choices, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // The entry chosen, or nullptr when the list is empty.
    const PortChoice* chosen() const;

private:
    std::vector<PortChoice> choices_;
    QListWidget* list_;
};

// Shows the form with the serial devices of this machine and the [Ports]
// bindings of the settings file. Returns the chosen port number, writing its
// binding to the file when it needs one, or 0 when the user cancels.
int selectPortNumber(QWidget* parent, const std::string& settingsPath);

}  // namespace px
