#include "cli/convert/px_document_to_apf.h"

#include <QString>

#include "cli/convert/px_convert_options.h"
#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_fax_converter.h"
#include "fax/pdf/px_pdf_import.h"
#include "fax/pdf/px_postscript_import.h"
#include "fax/tiff/px_tiff_import.h"

namespace px {

namespace {

[[noreturn]] void refuse(const std::string& what, ErrorCode code) {
    throw DocumentRefused(what + ": " + faxDocumentErrorText(code), code);
}

// PDF and PostScript, told by their content whatever their names.
void pageDescriptionToApf(TDocumentKind kind, const std::string& in, const std::string& out,
                          const DocumentToApfOptions& options) {
    PostScriptImportOptions ps;
    ps.pdf.fine = options.fine;
    ps.pdf.stationId = options.stationId;
    ps.letter = options.letter;
    std::string message;
    const ErrorCode rc = kind == TDocumentKind::dkPdf
                             ? importPdfToApf(in, out, ps.pdf, &message)
                             : importPostScriptToApf(in, out, ps, &message);
    if (rc != ecOK) {
        throw DocumentRefused(in + " refused: " + message, ecOK);
    }
}

std::vector<std::string> tiffToApf(const std::string& in, const std::string& out,
                                   const DocumentToApfOptions& options) {
    TiffImportOptions tiff;
    tiff.stationId = options.stationId;
    std::string message;
    TiffImportResult result;
    if (const ErrorCode rc = importTiffToApf(in, out, tiff, &message, &result); rc != ecOK) {
        refuse(in + (message.empty() ? "" : " (" + message + ")"), rc);
    }
    if (result.linesDropped == 0) {
        return {};
    }
    return {in + ": " + std::to_string(result.pagesCut) + " page(s) longer than " +
            std::to_string(tiff.maxLines) + " lines; " + std::to_string(result.linesDropped) +
            " lines left out"};
}

TFaxInputDocumentType readerFor(const std::string& in, TDocumentKind kind) {
    switch (kind) {
        case TDocumentKind::dkText:
            return TFaxInputDocumentType::idText;
        case TDocumentKind::dkPcx:
            return TFaxInputDocumentType::idPcx;
        case TDocumentKind::dkDcx:
            return TFaxInputDocumentType::idDcx;
        case TDocumentKind::dkBmp:
        case TDocumentKind::dkPng:
        case TDocumentKind::dkJpeg:
        case TDocumentKind::dkGif:
        case TDocumentKind::dkPnm:
            return TFaxInputDocumentType::idBmp;  // read by Qt's picture readers
        case TDocumentKind::dkTiff:
        case TDocumentKind::dkPdf:
        case TDocumentKind::dkPostScript:
        case TDocumentKind::dkOther:
        default:
            refuse(in + " (neither text nor a supported picture)", ecBadGraphicsFormat);
    }
}

}  // namespace

std::vector<std::string> convertDocumentToApf(const std::string& in, const std::string& out,
                                              const DocumentToApfOptions& options) {
    TDocumentKind kind = TDocumentKind::dkOther;
    if (ErrorCode rc = recogniseDocument(in, kind); rc != ecOK) {
        refuse(in, rc);
    }
    if (kind == TDocumentKind::dkPdf || kind == TDocumentKind::dkPostScript) {
        pageDescriptionToApf(kind, in, out, options);
        return {};
    }
    const std::string ext = lowerSuffix(in);
    if (ext == "pdf" || ext == "ps" || ext == "eps") {
        // Named as a document but holding something else.
        throw DocumentRefused(in + " refused: not a PDF or PostScript file", ecOK);
    }
    if (kind == TDocumentKind::dkTiff) {
        return tiffToApf(in, out, options);
    }
    TPxFaxConverter c;
    c.setMessagePump(nullptr);
    c.setResolution(options.fine ? TFaxResolution::frHigh : TFaxResolution::frNormal);
    c.setWidth(options.wide ? TFaxWidth::fwWide : TFaxWidth::fwNormal);
    if (options.font) {
        c.setFontType(*options.font);
    }
    c.setLeftMargin(options.leftMargin);
    c.setTopMargin(options.topMargin);
    c.setLinesPerPage(options.linesPerPage);
    c.setStationId(QString::fromStdString(options.stationId));
    c.setOptions(coDoubleWidth | coCenterImage);
    c.setInputDocumentType(readerFor(in, kind));
    c.setDocumentFile(QString::fromStdString(in));
    c.setOutFileName(QString::fromStdString(out));
    try {
        c.convert();
    } catch (const EPxException& e) {
        refuse(in + " -> " + out + " (" + documentKindName(kind) + ")", e.ErrorCode());
    }
    return {};
}

}  // namespace px
