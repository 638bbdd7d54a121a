// "Finding Fax Class...Please wait": asks the modem on one port which fax
// classes it offers and recommends one.
#pragma once

#include <QString>

#include "app/modemprobe/probe_dialog.h"
#include "app/modemprobe/probe_texts.h"

class QLabel;
class QPushButton;

namespace px {

class TPxComPort;
class TPxSendFax;
class TUserPrompts;

class TCheckFaxClassForm : public TProbeDialog {
    Q_OBJECT

public:
    TCheckFaxClassForm(QWidget* parent, TPxComPort& port, TPxSendFax& sendFax, int portNumber,
                       TUserPrompts& prompts);

    // The recommended class (0 Class 1, 1 Class 2, 2 Class 2.0; -1 none) and its name.
    int classIndex() const { return classIndex_; }
    QString className() const { return faxClassName(classIndex_); }
    const TFaxClassSupport& support() const { return support_; }

    QLabel* classLabel(int row) const { return classLabels_[row]; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* okButton() const { return ok_; }

private:
    void FormActivate() override;
    // The steps up to the classes' labels; each failure leaves its texts.
    void askModem();
    void showUnknown();
    void showSupport();

    TPxComPort& port_;
    TPxSendFax& sendFax_;
    int portNumber_;
    TUserPrompts& prompts_;
    QLabel* status_ = nullptr;
    QLabel* classLabels_[kFaxClassRows] = {};
    QPushButton* ok_ = nullptr;
    TFaxClassSupport support_;
    int classIndex_ = -1;
};

}  // namespace px
