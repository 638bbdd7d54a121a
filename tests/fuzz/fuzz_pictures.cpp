// Pictures offered for faxing (BMP, PCX, DCX and whatever the content says):
// an APF file or a clean error, and no file left behind on failure.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "common/px_exceptions.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_fax_converter.h"
#include "fuzz_file.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = fuzz::scratchFile("in.pic");
    static const std::string out = fuzz::scratchFile("out.apf");
    fuzz::writeInput(in, data, size);
    TDocumentKind kind = TDocumentKind::dkOther;
    if (recogniseDocument(in, kind) != ecOK) {
        std::abort();
    }
    TFaxInputDocumentType type = TFaxInputDocumentType::idNone;
    switch (kind) {
        case TDocumentKind::dkPcx:
            type = TFaxInputDocumentType::idPcx;
            break;
        case TDocumentKind::dkDcx:
            type = TFaxInputDocumentType::idDcx;
            break;
        case TDocumentKind::dkBmp:
            type = TFaxInputDocumentType::idBmp;
            break;
        case TDocumentKind::dkText:
        case TDocumentKind::dkTiff:
        case TDocumentKind::dkPng:
        case TDocumentKind::dkJpeg:
        case TDocumentKind::dkGif:
        case TDocumentKind::dkPnm:
        case TDocumentKind::dkPdf:
        case TDocumentKind::dkPostScript:
        case TDocumentKind::dkOther:
        default:
            return 0;  // other readers have targets of their own
    }
    TPxFaxConverter converter;
    converter.setMessagePump(nullptr);
    converter.setOptions(coDoubleWidth | coCenterImage);
    converter.setInputDocumentType(type);
    converter.setDocumentFile(QString::fromStdString(in));
    converter.setOutFileName(QString::fromStdString(out));
    try {
        converter.convert();
    } catch (const EPxException&) {
        if (::access(out.c_str(), F_OK) == 0) {
            std::abort();  // a failed conversion left a file
        }
    }
    ::unlink(out.c_str());
    return 0;
}
