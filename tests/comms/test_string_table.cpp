// The error text table and its loader.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <vector>

#include "common/px_exceptions.h"
#include "comms/px_error_text.h"
#include "comms/px_os_errors.h"
#include "comms/px_string_manager.h"

namespace px {
namespace {

TEST(ErrorTable, HoldsTheTextsTheSystemQuotes) {
    struct Row {
        ErrorCode code;
        const char* text;
    };
    const Row rows[] = {
        {ecOK, "OK"},
        {ecFileNotFound, "File not found"},
        {-162, "General failure"},
        {ecReadPastEof, "Attempt to read beyond end of file"},
        {ecBadArgument, "Bad argument passed to function"},
        {ecBadId, "ie_BadId - Specified comport doesn't exist"},
        {ecAlreadyOpen, "ie_Open - device already open"},
        {ecNoPortSelected, "The ComNumber property of the TPxComPort has not been set"},
        {ecNotOpenedByTapi, "Comport was not opened by Tapi"},
        {ecNullApi, "No device layer specified"},
        {ecPutBlockFail, "Failed to put entire block"},
        {ecOutputBufferTooSmall, "Output buffer too small for block"},
        {ecBufferIsEmpty, "Buffer is empty"},
        {ecBaseAddressNotSet, "Base address not set"},
        {ecNoMoreTriggers, "No more trigger slots"},
        {ecTriggerTooLong, "Data trigger too long"},
        {ecBadTriggerHandle, "Bad trigger handle"},
        {ecCancelRequested, "Cancel requested"},
        {ecTimeout, "Fatal time out"},
        {ecNoFilename, "No filename specified in protocol receive"},
        {ecFileRejected, "File was rejected"},
        {ecFaxBadFormat, "File is not an APF file"},
        {ecFaxBadMachine, "Fax incompatible with remote fax"},
        {ecFaxBadModemResult, "Bad response from modem"},
        {ecFaxTrainError, "Modems failed to train"},
        {ecFaxInitError, "Error while initializing modem"},
        {ecFaxBusy, "Called fax number was busy"},
        {ecFaxVoiceCall, "Called fax number answered with voice"},
        {ecFaxDataCall, "Incoming data call"},
        {ecFaxNoDialTone, "No dial tone"},
        {ecFaxNoCarrier, "Failed to connect to remote fax"},
        {ecFaxSessionError, "Fax failed in mid-session"},
        {ecFaxPageError, "Fax failed at page end"},
        {ecFaxNoAnswer, "Remote fax did not answer"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(errorText(row.code), row.text) << row.code;
        EXPECT_EQ(errorText(-row.code), row.text) << "looked up by absolute value";
    }
}

TEST(ErrorTable, EveryGroupRowOfTheSerialLayerHasAText) {
    const int groups[][2] = {{1001, 1009},   {2001, 2012},  {3001, 3010},   {5001, 5003},
                             {6001, 6015},   {8060, 8074},  {15001, 15020}, {15101, 15128},
                             {15130, 15216}, {15700, 15742}};
    for (const auto& group : groups) {
        for (int row = group[0]; row <= group[1]; ++row) {
            EXPECT_FALSE(errorTextRow(row).empty()) << row;
        }
    }
    EXPECT_EQ(errorTextRow(15130), "tfNone");
    EXPECT_EQ(errorTextRow(15178), "tfDone");
    EXPECT_EQ(errorTextRow(15179), "rfNone");
    EXPECT_EQ(errorTextRow(15216), "rfDone");
}

TEST(ErrorTable, EveryOperatingSystemErrorBecomesAFailureWithAText) {
    for (int err = 0; err < 200; ++err) {
        const ErrorCode code = errorFromErrno(err);
        EXPECT_LT(code, 0) << err;
        EXPECT_FALSE(errorText(code).empty()) << err;
    }
    // What the com port tells apart: a missing port, and one in use.
    EXPECT_EQ(errorFromErrno(ENOENT), ecFileNotFound);
    EXPECT_EQ(errorFromErrno(ENOTDIR), ecPathNotFound);
    EXPECT_EQ(errorFromErrno(EBUSY), ecAccessDenied);
    EXPECT_EQ(errorFromErrno(EACCES), ecAccessDenied);
}

TEST(ErrorConversion, CodesBecomeTheirExceptionClasses) {
    auto raised = [](ErrorCode code) -> std::exception_ptr {
        try {
            raiseError(code);
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    };
    try {
        std::rethrow_exception(raised(ecNoPortSelected));
    } catch (const ENoPortSelected& e) {
        EXPECT_EQ(e.ErrorCode(), ecNoPortSelected);
        EXPECT_STREQ(e.what(), "The ComNumber property of the TPxComPort has not been set");
    }
    EXPECT_THROW(std::rethrow_exception(raised(ecAlreadyOpen)), EOpenComm);
    EXPECT_THROW(std::rethrow_exception(raised(ecBadTriggerHandle)), ETrigger);
    EXPECT_THROW(std::rethrow_exception(raised(ecFaxBusy)), EFax);
    EXPECT_THROW(std::rethrow_exception(raised(-1001)), EGeneral);
    EXPECT_THROW(std::rethrow_exception(raised(-4003)), EModem);
    EXPECT_THROW(std::rethrow_exception(raised(-7005)), EINI);
    EXPECT_THROW(std::rethrow_exception(raised(ecOutOfMemory)), EOutOfMemory);
    try {
        std::rethrow_exception(raised(ecFileNotFound));
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    try {
        std::rethrow_exception(raised(-99999));
    } catch (const EPxException& e) {
        EXPECT_EQ(e.ErrorCode(), -99999);
        EXPECT_STREQ(e.what(), "Px exception");
    }
    EXPECT_EQ(checkResult(5), 5);
    EXPECT_NO_THROW(checkResult(0));
}

TEST(StringManager, ReportsItsOwnErrors) {
    try {
        TPxStringManager::fromResource("NO_SUCH_TABLE");
        FAIL();
    } catch (const EPxStringError& e) {
        EXPECT_STREQ(e.what(), "String resource not found: NO_SUCH_TABLE");
    }
    auto table = TPxStringManager::fromResource("PXSTRMGR_STRINGS");
    EXPECT_EQ(table.count(), 5u);
    try {
        table.getString(77);
        FAIL();
    } catch (const EPxStringError& e) {
        EXPECT_STREQ(e.what(), "String not found: 77");
    }
    const uint8_t bad[] = {'S', 'T', 'R', '1', 0, 0, 0, 0};
    EXPECT_THROW(TPxStringManager(std::span<const uint8_t>(bad)), EPxStringError);
}

// Mutated resources: a table or a clean error, never a crash or a read
// outside the data (the sanitizer build checks the latter).
TEST(StringManager, SurvivesMutatedResources) {
    auto original = builtinStringResource("PXSTRMGR_STRINGS");
    std::vector<uint8_t> base(original.begin(), original.end());
    std::mt19937 rng(99);
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> data = base;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < edits; ++i) {
            data[rng() % data.size()] = static_cast<uint8_t>(rng());
        }
        if (rng() % 4 == 0) {
            data.resize(rng() % data.size());
        }
        try {
            TPxStringManager table{std::span<const uint8_t>(data)};
            parsed += table.count() > 0;
        } catch (const EPxStringError& e) {
            EXPECT_EQ(e.row(), smInvalidResource);
        }
    }
    EXPECT_GT(parsed, 0);
}

}  // namespace
}  // namespace px
