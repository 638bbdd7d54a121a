#include "fax/components/px_send_fax.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "comms/px_error_text.h"
#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_buffered_file.h"
#include "fax/engine/px_fax_transmitter.h"

namespace px {

namespace {

bool readAll(const std::string& path, std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    data.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        data.insert(data.end(), buffer, buffer + n);
    }
    bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

// Hands the send's text readers (header line and text covers in other fonts)
// to its transmitter.
void useTextReaders(TPxFaxTransmitter& tx, const TPxEnhTextReaders& readers) {
    if (readers) {
        tx.textReaderFactory = [readers](TFaxTextUse use, bool fine) {
            return readers(use == TFaxTextUse::HeaderLine, fine);
        };
    }
}

}  // namespace

TPxSendFax::~TPxSendFax() {
    if (!tempFile_.empty()) {
        std::remove(tempFile_.c_str());
    }
}

void TPxSendFax::JoinFaxFiles(const std::string& target) {
    std::vector<uint8_t> joined;
    uint32_t pages = 0;
    for (size_t i = 0; i < FaxFileList.size(); ++i) {
        std::vector<uint8_t> data;
        ApfFileHeader header;
        if (!readAll(FaxFileList[i], data) || data.size() < kApfFileHeaderSize ||
            !ApfFileHeader::unpack(data.data(), header)) {
            raiseError(ecFaxBadFormat);
        }
        if (i == 0) {
            joined = data;
        } else {
            joined.insert(joined.end(), data.begin() + kApfFileHeaderSize, data.end());
        }
        pages += header.pageCount;
    }
    if (joined.size() < kApfFileHeaderSize) {
        raiseError(ecFaxBadFormat);
    }
    ApfFileHeader header;
    ApfFileHeader::unpack(joined.data(), header);
    header.pageCount = static_cast<uint16_t>(pages);
    auto bytes = header.pack();
    std::copy(bytes.begin(), bytes.end(), joined.begin());
    FILE* f = std::fopen(target.c_str(), "wb");
    if (f == nullptr) {
        raiseError(ecPathNotFound);
    }
    bool ok = std::fwrite(joined.data(), 1, joined.size(), f) == joined.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(target.c_str());
        raiseError(ecDiskFull);
    }
}

void TPxSendFax::BeginSending() {
    // Checked before the files are joined, so a refused start leaves nothing behind.
    checkPort();
    requests_ = 0;
    if (!tempFile_.empty()) {
        std::remove(tempFile_.c_str());
        tempFile_.clear();
    }
    if (FaxFileList.size() >= 2 && !OnFaxNext) {
        std::string path =
            (std::filesystem::temp_directory_path() / ("~PX" + std::to_string(::getpid()) + ".APF"))
                .string();
        JoinFaxFiles(path);
        tempFile_ = path;
    }
    modem_.toneDial = ToneDial;
    modem_.blindDial = BlindDial;
    modem_.detectBusy = DetectBusy;
    modem_.dialWait = secondsToTicks(DialWait);
    beginSession([this](TPxFaxLine& line) {
        auto tx = std::make_unique<TPxFaxTransmitter>(line, *this);
        tx->maxSendCount = MaxSendCount;
        tx->bufferMinimum = BufferMinimum;
        tx->headerLine = HeaderLine.substr(0, 255);
        tx->fastPage = FastPage;
        tx->dialPrefix = DialPrefix.substr(0, 40);
        tx->dialAttempts = DialAttempts;
        tx->dialRetryWait = secondsToTicks(DialRetryWait);
        tx->headerSender = HeaderSender;
        tx->headerRecipient = HeaderRecipient;
        tx->headerTitle = HeaderTitle;
        useTextReaders(*tx, EnhTextReaders());
        return tx;
    });
}

void TPxSendFax::finished(int code) {
    if (!tempFile_.empty()) {
        std::remove(tempFile_.c_str());
        tempFile_.clear();
    }
    TPxAbstractFax::finished(code);
}

TPxEnhTextReaders TPxSendFax::EnhTextReaders() const {
    if (!EnhTextEnabled || !EnhTextReaderMaker) {
        return {};
    }
    return [maker = EnhTextReaderMaker, header = EnhHeaderFont, body = EnhFont](
               bool headerLine, bool fine) { return maker(headerLine ? header : body, fine); };
}

int TPxSendFax::DialAttempt() const {
    return sessionValue([](const TPxFaxSession& s) { return s.dialAttempt + 1; }, 1);
}

std::string TPxSendFax::CurrentPhoneNumber() const {
    return sessionValue([](const TPxFaxSession& s) { return s.phoneNumber; }, PhoneNumber);
}

TFaxNextAnswer TPxSendFax::nextFax(TPxFaxJob& job) {
    auto reply = std::make_shared<TPxFaxJob>();
    const bool answered = deliver([this, reply] {
        if (OnFaxNext) {
            OnFaxNext(*this, reply->phoneNumber, reply->faxFile, reply->coverFile);
        } else if (requests_ == 0) {
            reply->phoneNumber = PhoneNumber;
            reply->faxFile = tempFile_.empty()
                                 ? (FaxFileList.size() == 1 ? FaxFileList[0] : FaxFile)
                                 : tempFile_;
            reply->coverFile = CoverFile;
        }
        ++requests_;
    });
    if (!answered) {
        return TFaxNextAnswer::Missed;
    }
    if (reply->phoneNumber.empty()) {
        return TFaxNextAnswer::NoMore;
    }
    job.phoneNumber = reply->phoneNumber.substr(0, 40);
    job.faxFile = reply->faxFile;
    job.coverFile = reply->coverFile;
    return TFaxNextAnswer::Another;
}

}  // namespace px
