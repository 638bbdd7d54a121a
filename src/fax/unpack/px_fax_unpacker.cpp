#include "fax/unpack/px_fax_unpacker.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "fax/apf/px_fax_error.h"
#include "fax/qt/px_qt_services.h"
#include "fax/t4/px_t4_raster.h"
#include "fax/unpack/px_page_export.h"

namespace px {

TPxFaxUnpacker::TPxFaxUnpacker() : pump_(processOneMessage) {}

void TPxFaxUnpacker::setOptions(unsigned options) {
    options_ = options;
    abort_ = (options & uoAbort) != 0;
}

void TPxFaxUnpacker::setHorizMult(unsigned v) {
    if (v != 0) {
        scaling_.horizMult = v;
    }
}
void TPxFaxUnpacker::setHorizDiv(unsigned v) {
    if (v != 0) {
        scaling_.horizDiv = v;
    }
}
void TPxFaxUnpacker::setVertMult(unsigned v) {
    if (v != 0) {
        scaling_.vertMult = v;
    }
}
void TPxFaxUnpacker::setVertDiv(unsigned v) {
    if (v != 0) {
        scaling_.vertDiv = v;
    }
}

void TPxFaxUnpacker::setInFileName(const QString& name) {
    if (name.compare(inFileName_, Qt::CaseInsensitive) != 0) {
        const QFileInfo info(name);
        const QString suffix = info.suffix();
        outFileName_ = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    }
    inFileName_ = name;
}

QString TPxFaxUnpacker::outputName(const QString& extension) const {
    if (outFileName_.isEmpty()) {
        const QFileInfo info(inFileName_);
        const QString suffix = info.suffix();
        const QString base = suffix.isEmpty()
                                 ? inFileName_
                                 : inFileName_.left(inFileName_.size() - suffix.size() - 1);
        return base + "." + extension;
    }
    if (QFileInfo(outFileName_).suffix().isEmpty()) {
        return outFileName_ + "." + extension;
    }
    return outFileName_;
}

void TPxFaxUnpacker::prepare(TPxPageUnpacker& unpacker) {
    unpacker.setSettings(settings_);
    abort_ = (options_ & uoAbort) != 0;
    unpacker.setAbortFlag(&abort_);
    if (onStatus_) {
        unpacker.setStatusHook(
            [this](const std::string&, unsigned page, uint64_t done, uint64_t total) {
                onStatus_(*this, inFileName_, page, done, total);
                // The handler may have set uoAbort.
                abort_ = (options_ & uoAbort) != 0;
            });
    }
    if ((options_ & uoYield) != 0 && pump_) {
        unpacker.setYieldHook([this] {
            const ErrorCode rc = pump_();
            abort_ = (options_ & uoAbort) != 0;
            return rc;
        });
    }
}

ErrorCode TPxFaxUnpacker::collect(unsigned page, bool forBitmap, TPxPageBitmap& bitmap) {
    if (inFileName_.isEmpty()) {
        return ecFileNotFound;
    }
    TPxPageUnpacker unpacker;
    prepare(unpacker);
    ErrorCode lineError = ecOK;
    bool started = false;
    const ErrorCode rc =
        unpacker.unpack(toPath(inFileName_), page, forBitmap, [&](const uint8_t* data, unsigned n) {
            if (!started) {
                started = true;
                lineError =
                    bitmap.start(unpacker.pageHeader().wide() ? kWideLineBytes : kNormalLineBytes);
            }
            if (lineError == ecOK) {
                lineError = bitmap.addLine(data, n);
            }
        });
    if (rc != ecOK) {
        return rc;
    }
    if (!started) {
        if (ErrorCode s =
                bitmap.start(unpacker.pageHeader().wide() ? kWideLineBytes : kNormalLineBytes);
            s != ecOK) {
            return s;
        }
    }
    if (lineError != ecOK) {
        return lineError;
    }
    dropped_ = bitmap.droppedLines();
    return bitmap.finish(scaling_);
}

QImage TPxFaxUnpacker::unpackPage(unsigned page) {
    TPxPageBitmap bitmap;
    checkFaxResult(collect(page, true, bitmap));
    if (bitmap.empty()) {
        return {};
    }
    QImage image(static_cast<int>(bitmap.widthPels()), static_cast<int>(bitmap.lines()),
                 QImage::Format_Mono);
    if (image.isNull()) {
        checkFaxResult(ecCantMakeBitmap);
    }
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const auto rowBytes = static_cast<unsigned>((bitmap.widthPels() + 7) / 8);
    for (unsigned y = 0; y < bitmap.lines(); ++y) {
        const uint8_t* src = bitmap.row(y);
        uchar* dst = image.scanLine(static_cast<int>(y));
        for (unsigned x = 0; x < rowBytes; ++x) {
            dst[x] = static_cast<uchar>(~src[x]);
        }
    }
    return image;
}

QString TPxFaxUnpacker::unpackToFile(unsigned page, const QString& extension, PageWriter writer) {
    TPxPageBitmap bitmap;
    checkFaxResult(collect(page, false, bitmap));
    const QString name = outputName(extension);
    checkFaxResult(writer(toPath(name), bitmap));
    return name;
}

QString TPxFaxUnpacker::unpackPageToPcx(unsigned page) {
    return unpackToFile(page, "PCX", writePagePcx);
}

QString TPxFaxUnpacker::unpackPageToDcx(unsigned page) {
    return unpackToFile(page, "DCX", writePageDcx);
}

QString TPxFaxUnpacker::unpackPageToBmp(unsigned page) {
    return unpackToFile(page, "BMP", writePageBmp);
}

void TPxFaxUnpacker::unpackPageToOutputLine(unsigned page) {
    if (inFileName_.isEmpty()) {
        checkFaxResult(ecFileNotFound);
    }
    TPxPageUnpacker unpacker;
    prepare(unpacker);
    if (onOutputLine_) {
        onOutputLine_(*this, true, false, nullptr, 0, page);
    }
    const ErrorCode rc =
        unpacker.unpack(toPath(inFileName_), page, false, [&](const uint8_t* data, unsigned n) {
            if (onOutputLine_) {
                onOutputLine_(*this, false, false, data, n, page);
            }
        });
    if (onOutputLine_) {
        onOutputLine_(*this, false, true, nullptr, 0, page);
    }
    checkFaxResult(rc);
}

unsigned TPxFaxUnpacker::numberOfPages() const {
    TPxApfReader reader;
    checkFaxResult(reader.open(toPath(inFileName_)));
    return reader.pageCount();
}

uint16_t TPxFaxUnpacker::firstPageFlags() const {
    TPxApfReader reader;
    checkFaxResult(reader.open(toPath(inFileName_)));
    ApfPageInfo page;
    checkFaxResult(reader.findPage(1, page));
    return page.header.flags;
}

bool TPxFaxUnpacker::firstPageIsFine() const {
    return (firstPageFlags() & kApfFine) != 0;
}

bool TPxFaxUnpacker::firstPageIsWide() const {
    return (firstPageFlags() & kApfWide) != 0;
}

}  // namespace px
