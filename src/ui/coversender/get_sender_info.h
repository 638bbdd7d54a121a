// "Sender Information": the user's own name, company, fax and voice numbers
// for the covers.
#pragma once

#include <QDialog>
#include <functional>

#include "cover/sender/sender_info.h"
#include "settings/settings_file.h"

class QLineEdit;
class QPushButton;

namespace px {

class TGetSenderInfo : public QDialog {
    Q_OBJECT
public:
    explicit TGetSenderInfo(const TSenderInfo& info, QWidget* parent = nullptr);

    // The values in the boxes.
    TSenderInfo values() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* CompanyEdit() const { return company_; }
    QLineEdit* FaxEdit() const { return fax_; }
    QLineEdit* VoiceEdit() const { return voice_; }
    QPushButton* AcceptButton() const { return accept_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QLineEdit* name_;
    QLineEdit* company_;
    QLineEdit* fax_;
    QLineEdit* voice_;
    QPushButton* accept_;
    QPushButton* cancel_;
};

// Opens the dialog on the settings' sender information. On "&Accept" the
// values go into `settings` and the whole settings file is written; returns
// whether they were accepted. Cancel changes and writes nothing.
bool changeSenderInfo(QWidget* parent, Settings& settings, const SettingsFile& file);
// The same for an owner that writes its settings itself: `save` runs after the
// values are stored (whatever it raises reaches the caller).
bool changeSenderInfo(QWidget* parent, Settings& settings, const std::function<void()>& save);

}  // namespace px
