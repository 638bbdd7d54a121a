// The receive machine's page states, the same for every class: the page
// data read with DLE undone into the received APF file, and the file itself
// (its name, its pages, its end).
#include "fax/engine/px_fax_receiver.h"

#include <sys/stat.h>

#include <cstdio>

#include "fax/apf/px_apf_format.h"

namespace px {

using R = TFaxReceiveState;

namespace {
// Received octets taken from the input in one event, at most.
constexpr size_t kMaxPerEvent = 10000;

uint8_t reverseBits(uint8_t b) {
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
}  // namespace

std::string defaultReceiveName(const std::string& dir, const std::string& ext) {
    std::string prefix = dir;
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\' && prefix.back() != ':') {
        prefix += '/';
    }
    for (int n = 1; n <= 9999; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "FAX%04d.", n);
        std::string path = prefix + name + ext;
        if (!fileExists(path)) {
            return path;
        }
    }
    return prefix + kApfDefaultName;
}

// ------------------------------------------------------------ states

void TPxFaxReceiver::rfStartPage() {
    ++currentPage;
    if (fileState_ == TReceiveFileState::NewFile || !fileOpen_) {
        if (fileOpen_) {
            closeFile(true);
        }
        const ErrorCode rc = createFile();
        if (rc != ecOK) {
            return fail(rc);
        }
        fileState_ = TReceiveFileState::AddingPages;
    }
    block_.clear();
    pageOpen_ = true;
    dle_ = false;
    line_.armResponseTimer(modem.dataTimeout);
    if (!isClass1()) {
        const uint8_t dc2 = kDc2;
        writeBytes(&dc2, 1);
    }
    setProgress(fpGetPage);
    statusNow_ = true;
    setState(R::rfGtPgDta);
}

void TPxFaxReceiver::rfGtPgDta(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::Data) {
        return;
    }
    const bool reversed = faxClass == TFaxClass::fcClass2;
    uint8_t byte;
    size_t count = 0;
    while (count < kMaxPerEvent && line_.readByte(byte)) {
        ++count;
        if (dle_) {
            dle_ = false;
            if (byte == kEtx) {
                pageLength = static_cast<uint32_t>(block_.size());
                setProgress(fpGetPage);
                line_.setSoftwareFlow(false, false);
                collector_.reset();
                setState(isClass1() ? R::rf1FinPage : R::rf2GtPgRslt);
                return;
            }
            if (byte != kDle) {
                continue;
            }
        } else if (byte == kDle) {
            dle_ = true;
            continue;
        }
        block_.push_back(reversed ? reverseBits(byte) : byte);
    }
    pageBytesSent = static_cast<uint32_t>(block_.size());
    line_.armResponseTimer(modem.dataTimeout);
}

// ------------------------------------------------------------ the file

ErrorCode TPxFaxReceiver::createFile() {
    std::string name = client_.fileName();
    if (name.empty()) {
        name = defaultReceiveName(destinationDir, faxFileExt);
    }
    fileName_ = name;
    faxFile = name;
    const ErrorCode rc = writer_.create(name);
    if (rc != ecOK) {
        return rc;
    }
    apfSetSenderIdReceiver(writer_.header(), remoteId);
    writer_.updateHeader();
    fileOpen_ = true;
    pages_ = 0;
    reportLog(lfaxReceiveStart);
    return ecOK;
}

void TPxFaxReceiver::finishPage() {
    if (!pageOpen_ || !fileOpen_) {
        return;
    }
    pageOpen_ = false;
    uint16_t flags =
        static_cast<uint16_t>((modem.fine ? kApfFine : 0) | (modem.wide ? kApfWide : 0));
    ErrorCode rc = writer_.beginPage(flags);
    if (rc == ecOK) {
        rc = writer_.writeRaw(block_.data(), block_.size());
    }
    if (rc == ecOK) {
        rc = writer_.endPage();
    }
    if (rc == ecOK) {
        rc = writer_.updateHeader();
    }
    block_.clear();
    if (rc != ecOK) {
        fail(rc);
        return;
    }
    ++pages_;
}

void TPxFaxReceiver::dropPage() {
    pageOpen_ = false;
    block_.clear();
}

void TPxFaxReceiver::closeFile(bool ok) {
    if (!fileOpen_) {
        return;
    }
    fileOpen_ = false;
    if (pages_ == 0 && !ok) {
        writer_.abandon();  // nothing received: no empty file is left behind
        return;
    }
    writer_.finish();
}

}  // namespace px
