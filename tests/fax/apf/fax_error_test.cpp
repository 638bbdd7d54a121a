#include <gtest/gtest.h>

#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"

namespace px {
namespace {

template <typename E>
void expectRaises(ErrorCode code, const char* text) {
    try {
        checkFaxResult(code);
        FAIL() << "no exception for " << code;
    } catch (const E& e) {
        EXPECT_EQ(e.ErrorCode(), code);
        EXPECT_STREQ(e.what(), text);
    } catch (const std::exception& e) {
        FAIL() << "wrong exception class for " << code << ": " << e.what();
    }
}

TEST(FaxDocumentErrors, CodesRaiseTheirExceptionClassesWithTheirTexts) {
    EXPECT_NO_THROW(checkFaxResult(ecOK));
    EXPECT_NO_THROW(checkFaxResult(1));
    expectRaises<EFaxBadFormat>(ecFaxBadFormat, "File is not an APF file");
    expectRaises<EConvertAbort>(ecConvertAbort, "User aborted fax conversion");
    expectRaises<EUnpackAbort>(ecUnpackAbort, "User aborted fax unpack");
    expectRaises<EBadGraphicsFormat>(ecBadGraphicsFormat, "Unsupported graphics file format");
    expectRaises<EFax>(ecFontFileNotFound, "APFAX.FNT not found, or resource bad");
    expectRaises<EInOutError>(ecFileNotFound, "File not found");
}

}  // namespace
}  // namespace px
