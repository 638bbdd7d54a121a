// What the find-modem and fax-class windows say, as plain functions of what
// the tests found, so the rules can be checked without a modem.
#pragma once

#include <QString>
#include <cstdint>

#include "common/px_errors.h"

namespace px {

// --- Find modem.
inline constexpr int kFirstProbedPort = 1;
inline constexpr int kLastProbedPort = 6;

QString findModemPortLabel(int portNumber);   // "Com 3:"
QString findModemPortPrefix(int portNumber);  // "Com 3: ", before each outcome below
inline constexpr const char* kFindModemTesting = "TESTING";
inline constexpr const char* kFindModemModem = "MODEM";
inline constexpr const char* kFindModemUnknown = "Unknown";
// The outcome after a port error; `busy` is set for the codes that mean the
// port is in use by another program.
QString findModemErrorText(ErrorCode code, bool& busy);
QString findModemFailureText(const QString& message);
// The closing explanation; `found` is the port number or -1.
QString findModemExplanation(int found, bool portBusy);

// --- Fax class.
enum class TFaxClassRow { Class1 = 0, Class2 = 1, Class2_0 = 2 };
inline constexpr int kFaxClassRows = 3;

struct TFaxClassSupport {
    bool supported[kFaxClassRows] = {false, false, false};

    static TFaxClassSupport fromDetected(std::uint32_t classBits);
    bool any() const { return supported[0] || supported[1] || supported[2]; }
    // Class 1 first, then Class 2, then Class 2.0; -1 when none.
    int recommended() const;
};

QString faxClassName(int row);                         // "Class 2.0"
QString faxClassUnknownText(int row);                  // "Class 2.0 : unknown"
QString faxClassSupportText(int row, bool supported);  // "Class 1   : Supported"
QString faxClassRecommendationText(const QString& name);
QString faxClassNoResponseText(int portNumber);
QString faxClassNoModemQuestion(int portNumber);
QString faxClassResetFailedText(int portNumber);
QString faxClassUndeterminedText(int portNumber);
QString faxClassNoneSupportedText(int portNumber);

}  // namespace px
