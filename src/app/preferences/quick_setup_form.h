// "Quick Setup Form": the port, the sender's name and fax number, asked once
// when the program starts for the first time. It edits a copy of the settings.
#pragma once

#include <QDialog>
#include <memory>

#include "settings/px_settings.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace px {

class TProbingPort;
struct TPreferencesServices;

class TQuickSetupForm : public QDialog {
    Q_OBJECT

public:
    // What the dialog ended with (its result code).
    enum TOutcome { Cancelled = QDialog::Rejected, Ok = QDialog::Accepted, OpenPreferences };

    TQuickSetupForm(const Settings& settings, TPreferencesServices& services,
                    QWidget* parent = nullptr);
    ~TQuickSetupForm() override;

    // The settings given, with the port, name and fax number from the controls.
    Settings settings() const;

    QComboBox* portList() const { return port_; }
    QLineEdit* nameBox() const { return name_; }
    QLineEdit* faxBox() const { return fax_; }
    QPushButton* findModemButton() const { return findModem_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* preferencesButton() const { return preferences_; }

private:
    void findModemPort();

    Settings settings_;
    TPreferencesServices& services_;
    std::unique_ptr<TProbingPort> probe_;
    QComboBox* port_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* fax_ = nullptr;
    QPushButton* findModem_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* preferences_ = nullptr;
};

}  // namespace px
