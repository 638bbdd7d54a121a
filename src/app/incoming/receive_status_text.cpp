#include "app/incoming/receive_status_text.h"

#include "comms/px_error_text.h"

namespace px {
namespace {

// Class 2 modems end each call with this report; the user reads it as the end.
constexpr const char* kClass2HangupText = "GOT CLASS 2 FHNG CODE";
constexpr const char* kHangupShown = "Hangup successful";
constexpr const char* kPageDataText = "Getting page data";
constexpr const char* kPageDataShown = "Receiving fax";
// A cancelled call is not news while the machine waits for the next one.
constexpr const char* kAbortWord = "ABORT";
constexpr const char* kAnsweringWord = "ANSWERING";
constexpr const char* kUnknownError = "Unknown error";

}  // namespace

void TReceiveStatusText::reset() {
    pagePart_.clear();
    bytePart_.clear();
}

QString TReceiveStatusText::next(const TReceiveProgress& progress) {
    QString text = progress.progressText.trimmed();
    if (text.compare(QLatin1String(kClass2HangupText), Qt::CaseInsensitive) == 0) {
        text = kHangupShown;
    }
    if (text == QLatin1String(kPageDataText)) {
        text = kPageDataShown;
        pagePart_ = progress.page > 0 ? ", page " + QString::number(progress.page) : QString();
        bytePart_ =
            progress.bytes > 0 ? " (" + QString::number(progress.bytes) + " bytes)" : QString();
    }
    const QString id = progress.remoteId.trimmed();
    if (!id.isEmpty()) {
        text += " from: " + id + pagePart_ + bytePart_;
    }
    if (text.contains(QLatin1String(kAbortWord), Qt::CaseInsensitive)) {
        return {};
    }
    return text;
}

QString receiveErrorText(int code) {
    const std::string text = code == 0 ? std::string() : errorText(code);
    return text.empty() ? QString(kUnknownError) : QString::fromStdString(text);
}

bool tellsAnswering(const QString& line) {
    return line.contains(QLatin1String(kAnsweringWord), Qt::CaseInsensitive);
}

}  // namespace px
