// Sending faxes: one or more jobs per session, with redial, header line and
// text or APF covers.
#pragma once

#include <vector>

#include "fax/components/px_abstract_fax.h"

namespace px {

using TFaxNextEvent = std::function<void(TPxAbstractFax& cp, std::string& phoneNumber,
                                         std::string& faxFile, std::string& coverFile)>;

class TPxSendFax : public TPxAbstractFax {
public:
    bool EnhTextEnabled = false;
    std::vector<std::string> FaxFileList;
    bool BlindDial = false;
    bool DetectBusy = true;
    bool ToneDial = true;
    std::string DialPrefix;
    uint16_t DialWait = 60;
    uint16_t DialAttempts = 3;
    uint16_t DialRetryWait = 60;
    uint16_t MaxSendCount = 50;
    uint16_t BufferMinimum = 1000;
    std::string HeaderLine;
    std::string CoverFile;
    std::string PhoneNumber;
    bool SafeMode = true;
    bool FastPage = true;
    std::string HeaderSender, HeaderRecipient, HeaderTitle;
    TFaxNextEvent OnFaxNext;

    ~TPxSendFax() override;

    void BeginSending();
    // Joins the files of FaxFileList into one APF file (EFaxBadFormat when
    // one is not APF).
    void JoinFaxFiles(const std::string& target);
    int DialAttempt() const;
    std::string CurrentPhoneNumber() const override;

protected:
    bool nextFax(TPxFaxJob& job) override;
    std::string fileName() override { return {}; }
    bool accept() override { return true; }
    void finished(int code) override;

private:
    std::string tempFile_;
    int requests_ = 0;
    std::string currentPhone_;
};

}  // namespace px
