// What a session asks of and reports to its component (the engine's messages).
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

struct TPxFaxJob {
    std::string phoneNumber;
    std::string faxFile;
    std::string coverFile;
};

// The answer to "next fax wanted": a job, none, or no answer in time (the
// application did not take the question).
enum class TFaxNextAnswer { Another, NoMore, Missed };

class TPxFaxClient {
public:
    virtual ~TPxFaxClient() = default;

    // Next fax wanted (transmit): Another fills `job`.
    virtual TFaxNextAnswer nextFax(TPxFaxJob& job) = 0;
    virtual void status(bool first, bool last) = 0;
    virtual void log(int logCode) = 0;
    // File name wanted (receive); empty: the default naming rule applies.
    virtual std::string fileName() = 0;
    // Accept this call? (receive)
    virtual bool accept() = 0;
    // A failure: a negative code (px_fax_session.h).
    virtual void error(ErrorCode code) = 0;
    // The session has ended with ecOK or the failure; posted, never sent from
    // inside the machine.
    virtual void finish(ErrorCode code) = 0;
};

}  // namespace px
