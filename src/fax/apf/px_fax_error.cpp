#include "fax/apf/px_fax_error.h"

#include <cstring>

#include "common/px_exceptions.h"

namespace px {

std::string faxDocumentErrorText(ErrorCode code) {
    switch (code) {
        case ecOK:
            return "OK";
        case ecFaxBadFormat:
            return "File is not an APF file";
        case ecBadGraphicsFormat:
            return "Unsupported graphics file format";
        case ecConvertAbort:
            return "User aborted fax conversion";
        case ecUnpackAbort:
            return "User aborted fax unpack";
        case ecTooManyPages:
            return "Document has more pages than a fax file holds (65535)";
        case ecCantMakeBitmap:
            return "CreateBitmapIndirect API failure";
        case ecNoImageLoaded:
            return "No image loaded into viewer";
        case ecNoImageBlockMarked:
            return "No block of image marked";
        case ecFontFileNotFound:
            return "APFAX.FNT not found, or resource bad";
        case ecBmpTooBig:
            return "BMP size exceeds Windows' maxheight of 32767";
        case ecEnhFontTooBig:
            return "Font selected for enhanced text converter too large";
        case ecBadArgument:
            return "Bad argument passed to function";
        case ecGotQuitMsg:
            return "Got quit message";
        case ecShortHeaderWrite:
            return "A file header could not be written whole";
        case ecFileNotFound:
            return "File not found";
        case ecOutOfMemory:
            return "Not enough memory";
        // Codes of the error table that are not this system's errno values.
        case ecReadPastEof:
            return "Attempt to read beyond end of file (the file is cut short)";
        case ecDiskFull:
            return "Disk is full";
        default:
            break;
    }
    if (code < 0 && code > -1000) {
        return std::strerror(-code);
    }
    return "Px exception";
}

void checkFaxResult(ErrorCode code) {
    if (code < 0) {
        throwPxException(code, faxDocumentErrorText(code));
    }
}

}  // namespace px
