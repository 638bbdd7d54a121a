#include "fax/components/px_receive_fax.h"

#include <memory>

namespace px {

TPxReceiveFax::~TPxReceiveFax() = default;

void TPxReceiveFax::setDestinationDir(const std::string& dir) {
    destinationDir_ = dir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\' && dir.back() != ':') {
        destinationDir_ += '/';
    }
}

void TPxReceiveFax::BeginReceiving() {
    start(TPxFaxReceiver::StartMode::Normal);
}

void TPxReceiveFax::BeginReceivingAnsweredCall(bool answerNow) {
    start(answerNow ? TPxFaxReceiver::StartMode::AnswerNow
                    : TPxFaxReceiver::StartMode::ValidateConnection);
}

void TPxReceiveFax::start(TPxFaxReceiver::StartMode mode) {
    modem_.answerOnRing = AnswerOnRing;
    modem_.faxAndData = FaxAndData ? '1' : '0';
    beginSession([this, mode](TPxFaxLine& line) {
        auto rx = std::make_unique<TPxFaxReceiver>(line, *this);
        rx->oneFax = OneFax;
        rx->constantStatus = ConstantStatus;
        rx->destinationDir = destinationDir_;
        rx->startMode = mode;
        return rx;
    });
}

std::string TPxReceiveFax::fileName() {
    // A name that comes too late is not used: the default naming applies.
    auto name = std::make_shared<std::string>();
    const bool answered = deliver([this, name] {
        if (OnFaxName) {
            OnFaxName(*this, *name);
        } else {
            *name = defaultReceiveName(destinationDir_, FaxFileExt);
        }
        FaxFile = *name;
    });
    return answered ? *name : std::string();
}

bool TPxReceiveFax::accept() {
    // Without an answer in time the call is taken, as without a handler.
    auto ok = std::make_shared<bool>(true);
    const bool answered = deliver([this, ok] {
        if (OnFaxAccept) {
            bool accepted = true;
            OnFaxAccept(*this, accepted);
            *ok = accepted;
        }
    });
    return !answered || *ok;
}

void TPxReceiveFax::log(int logCode) {
    if (logCode == lfaxReceiveStart && session_) {
        FaxFile = session_->faxFile;
    }
    TPxAbstractFax::log(logCode);
}

}  // namespace px
