// Receiving faxes: waits for calls, answers, writes each fax into an APF file.
#pragma once

#include "fax/components/px_abstract_fax.h"
#include "fax/engine/px_fax_receiver.h"

namespace px {

using TFaxAcceptEvent = std::function<void(TPxAbstractFax& cp, bool& accept)>;
using TFaxNameEvent = std::function<void(TPxAbstractFax& cp, std::string& name)>;

class TPxReceiveFax : public TPxAbstractFax {
public:
    uint16_t AnswerOnRing = 1;
    bool FaxAndData = false;
    bool OneFax = false;
    bool ConstantStatus = false;
    TFaxAcceptEvent OnFaxAccept;
    TFaxNameEvent OnFaxName;

    ~TPxReceiveFax() override;

    std::string DestinationDir() const { return destinationDir_; }
    // A path separator is added unless the text ends with one (or a colon).
    void setDestinationDir(const std::string& dir);

    void BeginReceiving();
    // For a call already ringing (answer now) or answered by the modem.
    void BeginReceivingAnsweredCall(bool answerNow);

protected:
    TFaxNextAnswer nextFax(TPxFaxJob&) override { return TFaxNextAnswer::NoMore; }
    std::string fileName() override;
    bool accept() override;
    void log(int logCode) override;

private:
    void start(TPxFaxReceiver::StartMode mode);
    std::string destinationDir_;
};

}  // namespace px
