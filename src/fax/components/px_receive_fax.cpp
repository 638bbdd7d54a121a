#include "fax/components/px_receive_fax.h"

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
    std::string name;
    deliver([&] {
        if (OnFaxName) {
            OnFaxName(*this, name);
        } else {
            name = defaultReceiveName(destinationDir_, FaxFileExt);
        }
        FaxFile = name;
    });
    return name;
}

bool TPxReceiveFax::accept() {
    bool ok = true;
    deliver([&] {
        if (OnFaxAccept) {
            OnFaxAccept(*this, ok);
        }
    });
    return ok;
}

void TPxReceiveFax::log(int logCode) {
    if (logCode == lfaxReceiveStart && session_) {
        FaxFile = session_->faxFile;
    }
    TPxAbstractFax::log(logCode);
}

}  // namespace px
