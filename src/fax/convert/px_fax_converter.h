// The converter component: text and pictures to APF fax files.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "common/px_limits.h"
#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_fax_input_reader.h"
#include "fax/t4/px_t4_encoder.h"

namespace px {

enum class TFaxInputDocumentType {
    idNone,
    idText,
    idTextEx,
    idTiff,
    idPcx,
    idDcx,
    idBmp,
    idBitmap,
    idUser
};
enum TFaxCvtOption : unsigned {
    coDoubleWidth = 1,
    coHalfHeight = 2,
    coCenterImage = 4,
    coYield = 8,
    coYieldOften = 16,
};
enum class TFaxResolution { frNormal, frHigh };
enum class TFaxWidth { fwNormal, fwWide };

class TPxFaxConverter {
public:
    using StatusEvent = std::function<void(
        TPxFaxConverter& sender, bool starting, bool ending, unsigned pagesConverted,
        unsigned linesConverted, uint64_t bytesConverted, uint64_t bytesToConvert, bool& abort)>;
    using OutputLineEvent = std::function<void(TPxFaxConverter& sender, const uint8_t* data,
                                               unsigned len, bool endOfPage, bool morePages)>;
    using OpenFileEvent = std::function<void(TPxFaxConverter& sender, const QString& fileName)>;
    using CloseFileEvent = std::function<void(TPxFaxConverter& sender)>;
    using ReadLineEvent = std::function<void(TPxFaxConverter& sender, uint8_t* data, unsigned& len,
                                             bool& endOfPage, bool& morePages)>;
    // Handles one pending application message; ecGotQuitMsg on quit.
    using MessagePump = std::function<ErrorCode()>;

    TPxFaxConverter();

    TFaxInputDocumentType inputDocumentType() const { return inputType_; }
    void setInputDocumentType(TFaxInputDocumentType type) { inputType_ = type; }
    unsigned options() const { return options_; }
    // With coYieldOften, coYield is stored as well.
    void setOptions(unsigned options);
    TFaxResolution resolution() const { return resolution_; }
    void setResolution(TFaxResolution r) { resolution_ = r; }
    TFaxWidth width() const { return width_; }
    void setWidth(TFaxWidth w) { width_ = w; }
    unsigned topMargin() const { return topMargin_; }
    void setTopMargin(unsigned lines) { topMargin_ = lines; }
    unsigned leftMargin() const { return leftMargin_; }
    void setLeftMargin(unsigned pels) { leftMargin_ = pels; }
    unsigned linesPerPage() const { return linesPerPage_; }
    void setLinesPerPage(unsigned lines) { linesPerPage_ = lines; }
    unsigned tabStop() const { return tabStop_; }
    void setTabStop(unsigned stop) { tabStop_ = stop; }
    const QFont& enhFont() const { return enhFont_; }
    void setEnhFont(const QFont& font) { enhFont_ = font; }
    const QString& fontFile() const { return fontFile_; }
    void setFontFile(const QString& name) { fontFile_ = name; }
    TFaxFont fontType() const { return fontType_; }
    void setFontType(TFaxFont type) { fontType_ = type; }
    const QString& documentFile() const { return documentFile_; }
    // Also sets OutFileName to the same name with the extension "APF".
    void setDocumentFile(const QString& name);
    const QString& outFileName() const { return outFileName_; }
    void setOutFileName(const QString& name) { outFileName_ = name; }
    const QString& defUserExtension() const { return defUserExtension_; }
    void setDefUserExtension(const QString& ext) { defUserExtension_ = ext; }
    // Goes into the file header's sender identifier; cut to 20 characters.
    const QString& stationId() const { return stationId_; }
    void setStationId(const QString& id) { stationId_ = id.left(kStationIdLength); }

    void setOnStatus(StatusEvent handler) { onStatus_ = std::move(handler); }
    void setOnOutputLine(OutputLineEvent handler) { onOutputLine_ = std::move(handler); }
    void setOnOpenUserFile(OpenFileEvent handler) { onOpenUserFile_ = std::move(handler); }
    void setOnCloseUserFile(CloseFileEvent handler) { onCloseUserFile_ = std::move(handler); }
    void setOnReadUserLine(ReadLineEvent handler) { onReadUserLine_ = std::move(handler); }
    void setMessagePump(MessagePump pump) { pump_ = std::move(pump); }

    // Converts DocumentFile with the reader of InputDocumentType into
    // OutFileName (named by the output rule). No partial file remains after
    // a failure.
    void convert();
    // Converts a page picture: selects idBitmap for the time of the call.
    void convertBitmapToFile(const QImage& bitmap);

    // The output name rule and the input name with its default extension.
    QString outputFileName() const;
    QString inputFileName() const;

    // Services the transmit header line shares.
    static TPxFaxFont loadFaxFont(size_t bytesPerGlyph, bool doubleRows);
    static void renderTextRow(const TPxFaxFont& font, const std::string& text, unsigned row,
                              uint8_t* raster, size_t rasterBytes);
    // Codes a raster line into a line record at the current width and left
    // margin; returns the record length.
    size_t codeLine(const uint8_t* raster, uint8_t* record) const;

    unsigned pageWidthPels() const;

private:
    struct Placement {
        bool doubleWidth = false;
        bool halfHeight = false;
        unsigned offsetBytes = 0;
    };

    ErrorCode run(TPxFaxInputReader& reader, const Placement& placement, const QString& input,
                  const QString& output);
    std::unique_ptr<TPxFaxInputReader> makeReader(const QImage* bitmap, Placement& placement,
                                                  ErrorCode& rc);
    Placement placeImage(unsigned imageWidth) const;
    ErrorCode yieldOnce();

    TFaxInputDocumentType inputType_ = TFaxInputDocumentType::idNone;
    unsigned options_ = coDoubleWidth | coCenterImage | coYield;
    TFaxResolution resolution_ = TFaxResolution::frNormal;
    TFaxWidth width_ = TFaxWidth::fwNormal;
    unsigned topMargin_ = 0;
    unsigned leftMargin_ = 50;
    unsigned linesPerPage_ = 60;
    unsigned tabStop_ = 4;
    QFont enhFont_;
    QString fontFile_ = QStringLiteral("APFAX.FNT");
    TFaxFont fontType_ = TFaxFont::ffStandard;
    QString documentFile_;
    QString outFileName_;
    QString defUserExtension_;
    QString stationId_;
    StatusEvent onStatus_;
    OutputLineEvent onOutputLine_;
    OpenFileEvent onOpenUserFile_;
    CloseFileEvent onCloseUserFile_;
    ReadLineEvent onReadUserLine_;
    MessagePump pump_;
};

}  // namespace px
