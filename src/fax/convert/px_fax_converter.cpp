#include "fax/convert/px_fax_converter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "fax/apf/px_apf_writer.h"
#include "fax/apf/px_fax_error.h"
#include "fax/convert/px_bitmap_reader.h"
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
    unsigned pages = 0;
    unsigned lines = 0;
    bool abort = false;
    auto status = [&](bool starting, bool ending) {
        if (onStatus_) {
            onStatus_(*this, starting, ending, pages, lines, reader.bytesRead(),
                      reader.bytesToRead(), abort);
        }
        return abort;
    };
    if (status(true, false)) {
        return ecConvertAbort;
    }
    if (ErrorCode rc = reader.open(toPath(input)); rc != ecOK) {
        return rc;
    }
    TPxApfWriter writer;
    auto fail = [&](ErrorCode rc) {
        status(false, true);
        reader.close();
        writer.abandon();
        return rc;
    };
    if (ErrorCode rc = writer.create(toPath(output)); rc != ecOK) {
        return fail(rc);
    }
    const unsigned width = pageWidthPels();
    const bool fine = resolution_ == TFaxResolution::frHigh;
    const auto flags = static_cast<uint16_t>(kApfLengthWords | (fine ? kApfFine : 0) |
                                             (width == kWideWidthPels ? kApfWide : 0));
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes, 0);
    TPxT4Encoder::Record record{};
    size_t dirty = raster.size();
    bool morePages = true;
    while (morePages) {
        ++pages;
        unsigned lineOnPage = 0;
        if (ErrorCode rc = writer.beginPage(flags); rc != ecOK) {
            return fail(rc);
        }
        for (unsigned i = 0; i < topMargin_; ++i) {
            if (ErrorCode rc = writer.writeRecord(kApfBlankRecord.data(), kApfBlankRecord.size());
                rc != ecOK) {
                return fail(rc);
            }
        }
        for (;;) {
            std::fill_n(raster.begin(), std::max<size_t>(dirty, width / 8), 0);
            unsigned len = 0;
            bool endOfPage = false;
            bool more = false;
            if (ErrorCode rc = reader.readLine(raster.data(), len, endOfPage, more); rc != ecOK) {
                return fail(rc);
            }
            dirty = std::min<size_t>(raster.size(), len);
            ++lineOnPage;
            ++lines;
            if (status(false, false)) {
                return fail(ecConvertAbort);
            }
            if (endOfPage) {
                morePages = more;
                break;
            }
            if (!placement.halfHeight || lineOnPage % 2 == 1) {
                const size_t n = TPxT4Encoder::codeLine(raster.data(), width, leftMargin_,
                                                        placement.doubleWidth, record.data());
                if (ErrorCode rc = writer.writeRecord(record.data(), n); rc != ecOK) {
                    return fail(rc);
                }
                if (onOutputLine_) {
                    onOutputLine_(*this, record.data(), static_cast<unsigned>(n), false, true);
                }
            }
            if ((options_ & coYield) != 0 && (options_ & coYieldOften) != 0 &&
                lineOnPage % 16 == 0) {
                if (ErrorCode rc = yieldOnce(); rc != ecOK) {
                    return fail(rc);
                }
            }
        }
        if (ErrorCode rc =
                writer.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            rc != ecOK) {
            return fail(rc);
        }
        if (onOutputLine_) {
            onOutputLine_(*this, kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size(), true,
                          morePages);
        }
        if (ErrorCode rc = writer.endPage(); rc != ecOK) {
            return fail(rc);
        }
        if ((options_ & coYield) != 0) {
            if (ErrorCode rc = yieldOnce(); rc != ecOK) {
                return fail(rc);
            }
        }
    }
    status(false, true);
    reader.close();
    const QByteArray id = stationId_.toLatin1();
    apfSetSenderIdConverter(writer.header(),
                            std::string(id.constData(), static_cast<size_t>(id.size())));
    if (ErrorCode rc = writer.finish(); rc != ecOK) {
        writer.abandon();
        return rc;
    }
    return ecOK;
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
