// The unpacker component: APF pages to bitmaps and to PCX, DCX and BMP files.
#pragma once

#include <QImage>
#include <QString>
#include <functional>

#include "fax/unpack/px_page_bitmap.h"
#include "fax/unpack/px_page_unpacker.h"

namespace px {

enum TUnpackerOption : unsigned { uoYield = 1, uoAbort = 2 };

class TPxFaxUnpacker {
public:
    using StatusEvent =
        std::function<void(TPxFaxUnpacker& sender, const QString& fileName, unsigned pageNum,
                           uint64_t bytesUnpacked, uint64_t bytesToUnpack)>;
    using OutputLineEvent =
        std::function<void(TPxFaxUnpacker& sender, bool starting, bool ending, const uint8_t* data,
                           unsigned len, unsigned pageNum)>;
    // Handles one pending application message; returns ecGotQuitMsg on quit.
    using MessagePump = std::function<ErrorCode()>;

    TPxFaxUnpacker();

    unsigned options() const { return options_; }
    void setOptions(unsigned options);
    bool whitespaceCompression() const { return settings_.whitespaceCompression; }
    void setWhitespaceCompression(bool on) { settings_.whitespaceCompression = on; }
    unsigned whitespaceFrom() const { return settings_.whitespaceFrom; }
    void setWhitespaceFrom(unsigned n) { settings_.whitespaceFrom = n; }
    unsigned whitespaceTo() const { return settings_.whitespaceTo; }
    void setWhitespaceTo(unsigned n) { settings_.whitespaceTo = n; }
    bool scaling() const { return scaling_.enabled; }
    void setScaling(bool on) { scaling_.enabled = on; }
    unsigned horizMult() const { return scaling_.horizMult; }
    unsigned horizDiv() const { return scaling_.horizDiv; }
    unsigned vertMult() const { return scaling_.vertMult; }
    unsigned vertDiv() const { return scaling_.vertDiv; }
    // Setting 0 is ignored.
    void setHorizMult(unsigned v);
    void setHorizDiv(unsigned v);
    void setVertMult(unsigned v);
    void setVertDiv(unsigned v);
    TAutoScaleMode autoScaleMode() const { return settings_.autoScale; }
    void setAutoScaleMode(TAutoScaleMode mode) { settings_.autoScale = mode; }
    const QString& inFileName() const { return inFileName_; }
    // A name that differs (ignoring case) also sets OutFileName to it
    // without its extension.
    void setInFileName(const QString& name);
    const QString& outFileName() const { return outFileName_; }
    void setOutFileName(const QString& name) { outFileName_ = name; }
    void setOnStatus(StatusEvent handler) { onStatus_ = std::move(handler); }
    void setOnOutputLine(OutputLineEvent handler) { onOutputLine_ = std::move(handler); }
    void setMessagePump(MessagePump pump) { pump_ = std::move(pump); }

    // A monochrome image of the page in which a 1 bit is white, as wide as the
    // rightmost black pel (rounded up to 16 pels); a null image for a page
    // without black pels.
    QImage unpackPage(unsigned page);
    // Write the page to a file named by the output name rule; return the name.
    QString unpackPageToPcx(unsigned page);
    QString unpackPageToDcx(unsigned page);
    QString unpackPageToBmp(unsigned page);
    // Delivers the page's lines to OnOutputLine.
    void unpackPageToOutputLine(unsigned page);

    unsigned numberOfPages() const;
    bool firstPageIsFine() const;
    bool firstPageIsWide() const;

    // Lines dropped on the last page beyond the page line limit.
    uint64_t droppedLines() const { return dropped_; }

    // The output file name for a format extension ("PCX", "DCX", "BMP").
    QString outputName(const QString& extension) const;

private:
    using PageWriter = ErrorCode (*)(const std::string&, const TPxPageBitmap&);

    ErrorCode collect(unsigned page, bool forBitmap, TPxPageBitmap& bitmap);
    QString unpackToFile(unsigned page, const QString& extension, PageWriter writer);
    void prepare(TPxPageUnpacker& unpacker);
    uint16_t firstPageFlags() const;

    unsigned options_ = uoYield;
    bool abort_ = false;
    UnpackSettings settings_;
    PageScaling scaling_;
    QString inFileName_;
    QString outFileName_;
    StatusEvent onStatus_;
    OutputLineEvent onOutputLine_;
    MessagePump pump_;
    uint64_t dropped_ = 0;
};

}  // namespace px
