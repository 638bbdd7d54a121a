// The status panel's line while receive mode runs, made from the receive
// component's progress on every status report.
#pragma once

#include <QString>
#include <cstdint>

namespace px {

// What one status report tells.
struct TReceiveProgress {
    QString progressText;  // the progress state's text, as the engine has it
    int page = 0;
    std::uint32_t bytes = 0;
    QString remoteId;  // the far station's ID; empty while unknown
};

class TReceiveStatusText {
public:
    // The line to show. The page and byte parts are taken while page data
    // comes in and stay with the later reports of the same call.
    QString next(const TReceiveProgress& progress);
    // A new call: the parts of the last one are forgotten.
    void reset();

private:
    QString pagePart_;
    QString bytePart_;
};

// The engine's text for the error of a failed receive; "Unknown error" when
// none was reported or the code has no text.
QString receiveErrorText(int code);

// Whether a shown line tells that the modem is answering a call.
bool tellsAnswering(const QString& line);

}  // namespace px
