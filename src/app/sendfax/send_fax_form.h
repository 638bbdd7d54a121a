// The send window: shows whom the fax goes to and how the modem is set up,
// lets the user change the number and the dial prefix and suffix, and sends
// the fax with "Send Fax Now" (open the port, check the modem, reset it, hand
// the files to the send component, report the result). It stays open after a
// send so the user may try again; the result of the last attempt is kept for
// the log.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "common/px_errors.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace px {

class TWorkflowHost;
class TPxComPort;
class TPxEventLoop;
class TPxFaxStatus;
class TPxSendFax;
class THelpCenter;

// What the main window hands the send window.
struct TSendFaxRequest {
    // The document and the cover; with one file it is `firstFile`.
    std::string firstFile;
    std::string secondFile;
    QString recipient;
    QString subject;
    QString number;
    int portNumber = 1;
    QString dialPrefix;
    QString dialSuffix;
    bool prefixDisabled = false;
    bool suffixDisabled = false;
};

inline constexpr const char* kDispatchLogFile = "PX.LOG";

class TSendFaxForm : public QDialog {
    Q_OBJECT

public:
    TSendFaxForm(TWorkflowHost& host, const TSendFaxRequest& request, QWidget* parent = nullptr);
    ~TSendFaxForm() override;

    // The result of the last attempt ("" when none was made), and what the
    // user left in the window.
    const QString& resultText() const { return result_; }
    QString number() const;
    QString dialPrefix() const;
    QString dialSuffix() const;
    bool prefixDisabled() const;
    bool suffixDisabled() const;
    ErrorCode lastSendError() const { return lastSendError_; }
    bool sendInProgress() const { return inProgress_; }
    bool logging() const { return logging_; }

    QPushButton* sendButton() const { return send_; }
    QPushButton* closeButton() const { return close_; }
    QListWidget* configurationList() const { return configuration_; }
    QLabel* statusLine() const { return status_; }
    TPxComPort& comPort() const { return *port_; }
    TPxSendFax& sendFax() const { return *fax_; }
    TPxFaxStatus& faxStatus() const { return *faxStatus_; }

    void SendButtonClick();
    void PreferencesButtonClick();
    void HelpButtonClick();
    void ToggleLogging();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void loadDialing();
    void fillConfiguration();
    void showStatus(const QString& text);
    void hideStatus();
    // The send's steps after the modem check.
    bool startTransmission();
    void FaxFinish(int code);
    // Dumps the dispatch log when on, closes the port, clears the flag.
    void endSession();

    TWorkflowHost& host_;
    TSendFaxRequest request_;
    std::unique_ptr<TPxEventLoop> loop_;
    std::unique_ptr<TPxComPort> port_;
    std::unique_ptr<TPxSendFax> fax_;
    std::unique_ptr<TPxFaxStatus> faxStatus_;
    THelpCenter* help_ = nullptr;

    QLineEdit* numberBox_ = nullptr;
    QLineEdit* prefixBox_ = nullptr;
    QLineEdit* suffixBox_ = nullptr;
    QCheckBox* prefixDisable_ = nullptr;
    QCheckBox* suffixDisable_ = nullptr;
    QListWidget* configuration_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* preferences_ = nullptr;

    QString result_;
    ErrorCode lastSendError_ = ecOK;
    bool inProgress_ = false;
    bool logging_ = false;
};

}  // namespace px
