#include "fax/convert/px_fax_converter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_fax_error.h"
#include "fax/convert/px_bitmap_reader.h"
#include "fax/convert/px_conversion_driver.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_pcx_file_reader.h"
#include "fax/convert/px_text_ex_reader.h"
#include "fax/qt/px_qt_services.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/t4/px_text_reader.h"

namespace px {
namespace {

// The existing file whose name matches `path` but for letter case; `path`
// itself when there is none.
QString resolveIgnoringCase(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return path;
    }
    const QDir dir = info.dir();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return path;
}

QString withoutSuffix(const QString& name) {
    const QString suffix = QFileInfo(name).suffix();
    return suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
}

// Lines supplied by the application's events.
class UserReader : public TPxFaxInputReader {
public:
    explicit UserReader(TPxFaxConverter& owner, const TPxFaxConverter::OpenFileEvent& open,
                        const TPxFaxConverter::CloseFileEvent& close,
                        const TPxFaxConverter::ReadLineEvent& read)
        : owner_(owner), open_(open), close_(close), read_(read) {}

    ErrorCode open(const std::string& name) override {
        if (!read_) {
            return ecBadArgument;
        }
        if (open_) {
            open_(owner_, QFile::decodeName(name.c_str()));
        }
        return ecOK;
    }
    ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage, bool& morePages) override {
        len = 0;
        endOfPage = morePages = false;
        read_(owner_, raster, len, endOfPage, morePages);
        len = std::min<unsigned>(len, kRasterBytes);
        bytes_ += len;
        return ecOK;
    }
    void close() override {
        if (close_) {
            close_(owner_);
        }
    }
    uint64_t bytesRead() const override { return bytes_; }
    uint64_t bytesToRead() const override { return 0; }

private:
    TPxFaxConverter& owner_;
    const TPxFaxConverter::OpenFileEvent& open_;
    const TPxFaxConverter::CloseFileEvent& close_;
    const TPxFaxConverter::ReadLineEvent& read_;
    uint64_t bytes_ = 0;
};

}  // namespace

TPxFaxConverter::TPxFaxConverter() : pump_(processOneMessage) {}

void TPxFaxConverter::setOptions(unsigned options) {
    if ((options & coYieldOften) != 0) {
        options |= coYield;
    }
    options_ = options;
}

void TPxFaxConverter::setDocumentFile(const QString& name) {
    documentFile_ = name;
    outFileName_ = name.isEmpty() ? QString() : withoutSuffix(name) + ".APF";
}

unsigned TPxFaxConverter::pageWidthPels() const {
    return width_ == TFaxWidth::fwWide ? kWideWidthPels : kNormalWidthPels;
}

QString TPxFaxConverter::inputFileName() const {
    if (documentFile_.isEmpty() || !QFileInfo(documentFile_).suffix().isEmpty()) {
        return resolveIgnoringCase(documentFile_);
    }
    QString ext;
    switch (inputType_) {
        case TFaxInputDocumentType::idText:
        case TFaxInputDocumentType::idTextEx:
            ext = "TXT";
            break;
        case TFaxInputDocumentType::idUser:
            ext = defUserExtension_;
            break;
        case TFaxInputDocumentType::idNone:
        case TFaxInputDocumentType::idTiff:
        case TFaxInputDocumentType::idPcx:
        case TFaxInputDocumentType::idDcx:
        case TFaxInputDocumentType::idBmp:
        case TFaxInputDocumentType::idBitmap:
        default:
            break;
    }
    // A file that exists under the bare name is taken as it is.
    if (ext.isEmpty() || QFileInfo::exists(resolveIgnoringCase(documentFile_))) {
        return resolveIgnoringCase(documentFile_);
    }
    return resolveIgnoringCase(documentFile_ + "." + ext);
}

QString TPxFaxConverter::outputFileName() const {
    if (!outFileName_.isEmpty()) {
        return QFileInfo(outFileName_).suffix().isEmpty() ? outFileName_ + ".APF" : outFileName_;
    }
    if (documentFile_.isEmpty()) {
        return QString::fromLatin1(kApfDefaultName);
    }
    return withoutSuffix(documentFile_) + ".APF";
}

TPxFaxConverter::Placement TPxFaxConverter::placeImage(unsigned imageWidth) const {
    Placement p;
    const unsigned w = pageWidthPels();
    const bool normal = resolution_ == TFaxResolution::frNormal;
    const unsigned room = w > leftMargin_ ? w - leftMargin_ : 0;
    p.doubleWidth = (options_ & coDoubleWidth) != 0 && normal && 2 * imageWidth <= room;
    p.halfHeight = (options_ & coHalfHeight) != 0 && normal && !p.doubleWidth;
    if ((options_ & coCenterImage) != 0 && w > imageWidth && w - imageWidth > 15) {
        p.offsetBytes = p.doubleWidth ? (w > 2 * imageWidth ? (w - 2 * imageWidth) / 32 : 0)
                                      : (w - imageWidth) / 16;
    }
    return p;
}

ErrorCode TPxFaxConverter::yieldOnce() {
    return pump_ ? pump_() : ecOK;
}

std::unique_ptr<TPxFaxInputReader> TPxFaxConverter::makeReader(const QImage* bitmap,
                                                               Placement& placement,
                                                               ErrorCode& rc) {
    const bool fine = resolution_ == TFaxResolution::frHigh;
    rc = ecOK;
    const bool text = inputType_ == TFaxInputDocumentType::idText ||
                      inputType_ == TFaxInputDocumentType::idTextEx;
    if (text) {
        // Text readers take what looks like text (a PostScript program is
        // text too); a picture, a PDF or binary data would come out as a page
        // of garbage.
        TDocumentKind kind = TDocumentKind::dkOther;
        rc = recogniseDocument(toPath(inputFileName()), kind);
        if (rc == ecOK && kind != TDocumentKind::dkText && kind != TDocumentKind::dkPostScript) {
            rc = ecBadGraphicsFormat;
        }
        if (rc != ecOK) {
            return nullptr;
        }
    }
    switch (inputType_) {
        case TFaxInputDocumentType::idPcx:
        case TFaxInputDocumentType::idDcx: {
            auto reader = std::make_unique<TPxPcxFileReader>(
                inputType_ == TFaxInputDocumentType::idPcx ? TPxPcxFileReader::Form::Pcx
                                                           : TPxPcxFileReader::Form::Dcx);
            rc = reader->load(toPath(inputFileName()));
            if (rc != ecOK) {
                return nullptr;
            }
            placement = placeImage(static_cast<unsigned>(reader->firstPage().width()));
            reader->setOffsetBytes(placement.offsetBytes);
            reader->setMessagePump(pump_);
            return reader;
        }
        case TFaxInputDocumentType::idText: {
            auto reader = std::make_unique<TPxTextReader>();
            rc = reader->setup(fontType_, fine, pageWidthPels(), leftMargin_);
            reader->setTabStop(tabStop_);
            reader->setLinesPerPage(linesPerPage_);
            return reader;
        }
        case TFaxInputDocumentType::idTextEx: {
            auto reader = std::make_unique<TPxTextExReader>();
            rc = reader->setup(enhFont_, fine, pageWidthPels(), leftMargin_);
            reader->setTabStop(tabStop_);
            reader->setLinesPerPage(linesPerPage_);
            return reader;
        }
        case TFaxInputDocumentType::idBitmap:
        case TFaxInputDocumentType::idBmp:
        case TFaxInputDocumentType::idTiff: {
            QImage image;
            if (inputType_ == TFaxInputDocumentType::idBitmap) {
                if (bitmap == nullptr || bitmap->isNull()) {
                    rc = ecBadArgument;
                    return nullptr;
                }
                image = *bitmap;
            } else {
                const QString name = inputFileName();
                TDocumentKind kind = TDocumentKind::dkOther;
                rc = recogniseDocument(toPath(name), kind);
                if (rc == ecOK && kind == TDocumentKind::dkBmp) {
                    // Qt fills what a cut BMP lacks; a cut file is an error here.
                    rc = checkBmpComplete(toPath(name));
                }
                if (rc != ecOK) {
                    return nullptr;
                }
                // Whatever picture format Qt reads; anything else is unsupported.
                if (!image.load(name)) {
                    rc = ecBadGraphicsFormat;
                    return nullptr;
                }
            }
            auto reader = std::make_unique<TPxBitmapReader>();
            placement = placeImage(static_cast<unsigned>(image.width()));
            reader->setBitmap(image);
            reader->setOffsetBytes(placement.offsetBytes);
            reader->setMessagePump(pump_);
            return reader;
        }
        case TFaxInputDocumentType::idUser:
            return std::make_unique<UserReader>(*this, onOpenUserFile_, onCloseUserFile_,
                                                onReadUserLine_);
        case TFaxInputDocumentType::idNone:
        default:
            rc = ecBadArgument;
            return nullptr;
    }
}

size_t TPxFaxConverter::codeLine(const uint8_t* raster, uint8_t* record) const {
    return TPxT4Encoder::codeLine(raster, pageWidthPels(), leftMargin_, false, record);
}

TPxFaxFont TPxFaxConverter::loadFaxFont(size_t bytesPerGlyph, bool doubleRows) {
    TPxFaxFont font;
    checkFaxResult(font.loadBuiltIn(bytesPerGlyph, doubleRows));
    return font;
}

void TPxFaxConverter::renderTextRow(const TPxFaxFont& font, const std::string& text, unsigned row,
                                    uint8_t* raster, size_t rasterBytes) {
    font.renderTextRow(text, row, raster, rasterBytes);
}

ErrorCode TPxFaxConverter::run(TPxFaxInputReader& reader, const Placement& placement,
                               const QString& input, const QString& output) {
    ConversionLayout layout;
    layout.widthPels = pageWidthPels();
    layout.fine = resolution_ == TFaxResolution::frHigh;
    layout.leftMargin = leftMargin_;
    layout.topMargin = topMargin_;
    layout.doubleWidth = placement.doubleWidth;
    layout.halfHeight = placement.halfHeight;
    layout.yield = (options_ & coYield) != 0;
    layout.yieldOften = (options_ & coYieldOften) != 0;
    const QByteArray id = stationId_.toLatin1();
    layout.stationId = std::string(id.constData(), static_cast<size_t>(id.size()));
    ConversionHooks hooks;
    bool abort = false;  // once set, the handler sees it set in later calls
    if (onStatus_) {
        hooks.status = [&](bool starting, bool ending, unsigned pages, unsigned lines) {
            onStatus_(*this, starting, ending, pages, lines, reader.bytesRead(),
                      reader.bytesToRead(), abort);
            return abort;
        };
    }
    hooks.yield = [this] { return yieldOnce(); };
    if (onOutputLine_) {
        hooks.outputLine = [this](const uint8_t* data, unsigned size, bool endOfPage,
                                  bool morePages) {
            onOutputLine_(*this, data, size, endOfPage, morePages);
        };
    }
    return runConversion(reader, toPath(input), toPath(output), layout, hooks);
}

void TPxFaxConverter::convert() {
    Placement placement;
    ErrorCode rc = ecOK;
    std::unique_ptr<TPxFaxInputReader> reader = makeReader(nullptr, placement, rc);
    checkFaxResult(rc);
    checkFaxResult(run(*reader, placement, inputFileName(), outputFileName()));
}

void TPxFaxConverter::convertBitmapToFile(const QImage& bitmap) {
    const TFaxInputDocumentType saved = inputType_;
    inputType_ = TFaxInputDocumentType::idBitmap;
    Placement placement;
    ErrorCode rc = ecOK;
    std::unique_ptr<TPxFaxInputReader> reader = makeReader(&bitmap, placement, rc);
    if (rc == ecOK) {
        rc = run(*reader, placement, documentFile_, outputFileName());
    }
    inputType_ = saved;
    checkFaxResult(rc);
}

}  // namespace px
