// The transmit machine's page states, the same for every class: the wait
// for the modem to take data, the page header line, the cover (an APF file
// or text drawn on the fly), the page data in blocks with DLE doubled, and
// the drain after each page.
#include "fax/engine/px_fax_transmitter.h"

#include <algorithm>
#include <ctime>

#include "fax/apf/px_apf_format.h"
#include "fax/engine/px_scan_line_padding.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_reader.h"

namespace px {

using S = TFaxTransmitState;

namespace {
// Zeros written after the header line, up to the buffer minimum, at most.
constexpr uint32_t kMaxPad = 8192;
constexpr unsigned kPageWidth = 1728;
constexpr unsigned kWidePageWidth = 2048;
constexpr unsigned kTextMargin = 48;
// Blank lines before each page's header line.
constexpr int kBlankLines = 8;
// What a Class 2.0 page ends with after DLE (T.32 8.3.3.1): another page
// follows, another follows with new parameters, the document ends.
constexpr uint8_t kPageEndMore = ',';
constexpr uint8_t kPageEndNewParameters = ';';
constexpr uint8_t kPageEndLast = '.';

// Date and time for the header line.
std::string nowText(bool date) {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    size_t n = date ? std::strftime(text, sizeof text, "%d/%m/%Y", &local)
                    : std::strftime(text, sizeof text, "%H:%M", &local);
    return std::string(text, n);
}
}  // namespace

// ------------------------------------------------------------ states

void TPxFaxTransmitter::tfWaitXon(TFaxEvent event) {
    bool go = event == TFaxEvent::ResponseTimer;
    uint8_t byte;
    while (!go && event == TFaxEvent::Data && line_.readByte(byte)) {
        go = byte == kXon;
    }
    if (go) {
        pageStartBytes_ = bytesWritten();
        line_.armOutputFree(kBlock);
        line_.armResponseTimer(modem.dataTimeout);
        setState(S::tfWaitFrHead);
        // The output is normally empty here, so the trigger fires at once.
    }
}

void TPxFaxTransmitter::tfWaitFrHead(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputFree) {
        return;
    }
    setProgress(fpSendPage);
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(true, false);
    }
    setState(S::tfSndPgeHdr);
}

void TPxFaxTransmitter::tfSndPgeHdr() {
    if (!headerLine.empty()) {
        ErrorCode rc = ecOK;
        std::unique_ptr<TPxCustomTextReader> reader = makeTextReader(TFaxTextUse::HeaderLine, rc);
        if (!reader) {
            return fail(rc);
        }
        std::string text = substituteHeader(headerLine, headerValues());
        sendBlankLines();
        // The reader's rows may be wider than the page: what lies beyond the
        // page width is cut off.
        std::vector<uint8_t> line(kWidePageWidth / 8);
        const size_t lineBytes = pageWidth() / 8;
        rc = reader->drawText(text, [&](const uint8_t* raster, unsigned len) {
            std::fill(line.begin(), line.end(), 0);
            std::copy_n(raster, std::min<size_t>(len, lineBytes), line.begin());
            sendTextRow(line.data());
        });
        if (rc != ecOK) {
            return fail(rc);
        }
    } else {
        sendBlankLines();
    }
    uint32_t queued = line_.outputCount();
    uint32_t target = std::min(bufferMinimum, kMaxPad);
    if (queued < target) {
        std::vector<uint8_t> zeros(target - queued, 0);
        writeBytes(zeros.data(), zeros.size());
    }
    setState(sendingCover_ ? S::tfOpenCover : S::tfPrepPage);
}

void TPxFaxTransmitter::tfOpenCover() {
    if (coverIsApf_) {
        if (!loadPage(coverFile, coverPage_)) {
            return fail(ecFaxBadFormat);
        }
        setState(S::tfPrepPage);
        return;
    }
    if (!textCover_) {
        // The first cover page, or one sent again: the text is read from its
        // start up to this page.
        ErrorCode rc = ecOK;
        textCover_ = makeTextReader(TFaxTextUse::TextCover, rc);
        if (textCover_) {
            rc = skipTextPages(*textCover_, coverPage_ - 1);
        }
        if (rc != ecOK) {
            textCover_.reset();
            return fail(rc);
        }
    }
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
    setProgress(fpSendPage);
    setState(S::tfSendCover);
}

void TPxFaxTransmitter::tfSendCover(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputFree) {
        return;
    }
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    while (line_.outputFree() > kBlock) {
        std::fill(raster.begin(), raster.end(), 0);
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        const ErrorCode rc = textCover_->readLine(raster.data(), len, endOfPage, more);
        if (rc != ecOK) {
            return fail(rc);
        }
        if (endOfPage) {
            // Six EOLs end the page (T.4 RTC).
            writeBytes(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            if (!more || coverPage_ >= coverPages) {
                textCover_->close();
                textCover_.reset();
            }
            endPageData();
            return;
        }
        TPxT4Encoder::Record record;
        size_t n =
            TPxT4Encoder::codeLine(raster.data(), pageWidth(), kTextMargin, false, record.data());
        sendRecord(record.data(), n);
    }
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
}

void TPxFaxTransmitter::tfPrepPage() {
    if (!sendingCover_ || !coverIsApf_) {
        if (currentPage == 0) {
            currentPage = 1;
        }
        if (!loadPage(faxFile, currentPage)) {
            return fail(ecFaxBadFormat);
        }
    }
    if (minBytesPerLine_ > 0) {
        // Stored pages are coded without regard to any receiver's scan time.
        pageData_ = padScanLines(pageData_.data(), pageData_.size(), minBytesPerLine_);
    }
    pageBytesSent = 0;
    pageLength = static_cast<uint32_t>(pageData_.size());
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
    setState(S::tfSendPage);
}

void TPxFaxTransmitter::tfSendPage(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event == TFaxEvent::Data) {
        line_.flushInput();
        return;
    }
    if (event != TFaxEvent::OutputFree && event != TFaxEvent::OutputUsed) {
        return;
    }
    for (int n = 0; n < maxSendCount; ++n) {
        if (line_.outputCount() > bufferMinimum || line_.outputFree() < kBlock) {
            break;
        }
        if (pageOffset_ >= pageData_.size()) {
            endPageData();
            return;
        }
        size_t size = std::min<size_t>(kBlock, pageData_.size() - pageOffset_);
        writeStuffed(pageData_.data() + pageOffset_, size);
        pageOffset_ += size;
        pageBytesSent = static_cast<uint32_t>(pageOffset_);
    }
    if (pageOffset_ >= pageData_.size()) {
        endPageData();
        return;
    }
    // Refill when the modem has taken the queue down to the minimum.
    line_.armOutputUsed(bufferMinimum);
    line_.armResponseTimer(modem.dataTimeout);
}

void TPxFaxTransmitter::tfDrainPage(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputUsed) {
        return;
    }
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(false, false);
    }
    more_ = morePages();
    if (more_) {
        advancePage();
    }
    // The modem may still hold much of the page: its OK comes when the
    // line has carried it.
    line_.armResponseTimer(drainWait());
    if (isClass1()) {
        setState(S::tf1PageEnd);
    } else if (faxClass == TFaxClass::fcClass2) {
        writeDleEtx();
        setState(S::tf2SendEOP);
    } else {
        const uint8_t mark = !more_                               ? kPageEndLast
                             : resolution_ != previousResolution_ ? kPageEndNewParameters
                                                                  : kPageEndMore;
        const uint8_t end[2] = {kDle, mark};
        writeBytes(end, 2);
        setState(S::tf2SendEOP);
    }
    setProgress(fpSendPage);
    statusNow_ = true;
}

// ------------------------------------------------------------ pages and files

void TPxFaxTransmitter::endPageData() {
    if (isClass1()) {
        writeDleEtx();
        pageDataFlowing_ = false;
    }
    setProgress(fpSendPage);
    line_.armOutputUsed(0);
    line_.armResponseTimer(drainWait());
    setState(S::tfDrainPage);
}

int32_t TPxFaxTransmitter::drainWait() const {
    const uint32_t bps = isClass1() ? class1Speed(modem.speedIndex).bps : 0;
    return modem.dataTimeout + lineTimeTicks(bytesWritten() - pageStartBytes_, bps);
}

bool TPxFaxTransmitter::morePages() const {
    if (sendingCover_) {
        return coverPage_ < coverPages || (fileOpen_ && file_.pageCount() > 0);
    }
    return fileOpen_ && currentPage < file_.pageCount();
}

bool TPxFaxTransmitter::loadPage(const std::string& file, int page) {
    TPxApfReader reader;
    ApfPageInfo info;
    if (reader.open(file) != ecOK || reader.findPage(static_cast<unsigned>(page), info) != ecOK) {
        return false;
    }
    pageData_.clear();
    const ErrorCode rc = reader.readPage(info, [&](const uint8_t* data, size_t size) {
        pageData_.insert(pageData_.end(), data, data + size);
        return true;
    });
    pageFlags_ = info.header.flags;
    pageOffset_ = 0;
    return rc == ecOK;
}

void TPxFaxTransmitter::takePageFlags(const TPxApfReader& reader, int page) {
    ApfPageInfo info;
    if (reader.findPage(static_cast<unsigned>(page), info) == ecOK) {
        pageFlags_ = info.header.flags;
        resolution_ = (pageFlags_ & kApfFine) ? '1' : '0';
    }
}

void TPxFaxTransmitter::advancePage() {
    previousResolution_ = resolution_;
    if (sendingCover_ && coverPage_ < coverPages) {
        ++coverPage_;
        TPxApfReader cover;
        if (coverIsApf_ && cover.open(coverFile) == ecOK) {
            takePageFlags(cover, coverPage_);
        }
        return;
    }
    if (sendingCover_) {
        sendingCover_ = false;
        currentPage = 1;
    } else {
        ++currentPage;
    }
    takePageFlags(file_, currentPage);
}

void TPxFaxTransmitter::stepBackPage() {
    resolution_ = previousResolution_;
    if (sendingCover_) {
        --coverPage_;
    } else if (currentPage > 1) {
        --currentPage;
    } else if (hasCover) {
        sendingCover_ = true;
        coverPage_ = coverPages;
        currentPage = 0;
    }
}

// ------------------------------------------------------------ drawing

void TPxFaxTransmitter::sendRecord(const uint8_t* data, size_t size) {
    writeStuffed(data, size);
    if (size < minBytesPerLine_) {
        std::vector<uint8_t> pad(minBytesPerLine_ - size, 0);
        writeBytes(pad.data(), pad.size());
    }
}

void TPxFaxTransmitter::sendBlankLines() {
    if (pageWidth() != kPageWidth) {
        // The stored blank record is 1728 pels of white, a line a receiver
        // of a wider page counts as bad: these are coded as wide as the page.
        const std::vector<uint8_t> white(kWidePageWidth / 8, 0);
        for (int i = 0; i < kBlankLines; ++i) {
            sendTextRow(white.data());
        }
        return;
    }
    for (int i = 0; i < kBlankLines; ++i) {
        writeBytes(kApfBlankRecord.data(), kApfBlankRecord.size());
        if (minBytesPerLine_ >= 7) {
            std::vector<uint8_t> pad(minBytesPerLine_ - 5, 0);
            writeBytes(pad.data(), pad.size());
        }
    }
}

unsigned TPxFaxTransmitter::pageWidth() const {
    return (pageFlags_ & kApfWide) ? kWidePageWidth : kPageWidth;
}

void TPxFaxTransmitter::sendTextRow(const uint8_t* raster) {
    TPxT4Encoder::Record record;
    size_t n = TPxT4Encoder::codeLine(raster, pageWidth(), 0, false, record.data());
    sendRecord(record.data(), n);
}

std::unique_ptr<TPxCustomTextReader> TPxFaxTransmitter::makeTextReader(TFaxTextUse use,
                                                                       ErrorCode& rc) const {
    const bool fine = resolution_ == '1';
    rc = ecOK;
    std::unique_ptr<TPxCustomTextReader> reader;
    if (textReaderFactory) {
        reader = textReaderFactory(use, fine);
        if (!reader) {
            rc = ecFontFileNotFound;
            return nullptr;
        }
    } else {
        auto plain = std::make_unique<TPxTextReader>();
        rc = use == TFaxTextUse::HeaderLine
                 ? plain->setup(TFaxFont::ffSmall, fine, kPageWidth, 0)
                 : plain->setup(TFaxFont::ffStandard, fine, kPageWidth, kTextMargin);
        if (rc != ecOK) {
            return nullptr;
        }
        reader = std::move(plain);
    }
    if (use == TFaxTextUse::TextCover) {
        // A text cover's "$" words are filled in as each line is drawn, with
        // the values of the page it is on.
        reader->setLineFilter(
            [this](const std::string& line) { return substituteHeader(line, headerValues()); });
    }
    return reader;
}

TPxHeaderValues TPxFaxTransmitter::headerValues() const {
    TPxHeaderValues values;
    values.date = nowText(true);
    values.time = nowText(false);
    values.stationId = stationId;
    values.sender = headerSender;
    values.recipient = headerRecipient;
    values.title = headerTitle;
    values.totalPages = totalPages;
    values.pageNumber =
        !hasCover ? currentPage : (sendingCover_ ? coverPage_ : currentPage + coverPages);
    return values;
}

ErrorCode TPxFaxTransmitter::countCoverPages() {
    coverPages = 0;
    if (coverIsApf_) {
        TPxApfReader cover;
        if (cover.open(coverFile) != ecOK || cover.pageCount() == 0) {
            return ecFaxBadFormat;
        }
        coverPages = cover.pageCount();
        return ecOK;
    }
    // A dry pass: the reader pages the text as it will when it is sent.
    ErrorCode rc = ecOK;
    std::unique_ptr<TPxCustomTextReader> reader = makeTextReader(TFaxTextUse::TextCover, rc);
    if (!reader) {
        return rc;
    }
    rc = skipTextPages(*reader, -1);
    reader->close();
    return rc;
}

ErrorCode TPxFaxTransmitter::skipTextPages(TPxCustomTextReader& reader, int pages) {
    ErrorCode rc = reader.open(coverFile);
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (int skipped = 0; rc == ecOK && skipped != pages;) {
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        rc = reader.readLine(raster.data(), len, endOfPage, more);
        if (rc == ecOK && endOfPage) {
            ++skipped;
            if (pages < 0) {
                coverPages = skipped;
            }
            if (!more) {
                break;
            }
        }
    }
    return rc;
}

}  // namespace px
